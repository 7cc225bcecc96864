// Help: favourite web pages. The list lives in [Favorites] of the settings
// file as keys "Web0" to "Web49", each "name=address"; the list dialog keeps
// the names in its list box and the addresses in one block per position.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

constexpr int kFavoriteCount = 50;
constexpr int kFavoriteBlockSize = 260;  // an address and its terminator
constexpr int kFavoriteTextMax = kFavoriteBlockSize - 1;
constexpr char kFavoritesSection[] = "Favorites";

struct FavoriteEntry {
  std::string name;
  std::string address;
  bool operator==(const FavoriteEntry& other) const { return name == other.name && address == other.address; }
};

// "Web%d".
std::string FavoriteKey(int position);
// Splits a stored value at its first "=" (an address may hold more); false
// when it has none, and such a value is no entry.
bool SplitFavoriteValue(const std::string& value, FavoriteEntry* entry);
// The stored value of an entry: name, "=", address, or empty where that
// would be "=" alone.
std::string FavoriteValue(const FavoriteEntry& entry);
// The list that stored values (index = key number, missing keys empty) make:
// fallback stands in for key 0 when that is empty; values without "=" are
// skipped; addresses are cut to what a block holds.
std::vector<FavoriteEntry> FavoriteListFromValues(const std::vector<std::string>& values,
                                                  const FavoriteEntry& fallback);
// The 50 values written back for a list (empty beyond its end).
std::vector<std::string> FavoriteValuesOf(const std::vector<FavoriteEntry>& entries);
// True while the list has room for one more.
bool CanAddFavorite(int count);
// A name with "=" would come back split at it.
bool IsValidFavoriteName(const std::string& name);

// [Favorites] of the settings file, read and written whole.
std::vector<FavoriteEntry> ReadFavorites(const FavoriteEntry& fallback);
void WriteFavorites(const std::vector<FavoriteEntry>& entries);
// The entry used when key 0 is missing or empty.
FavoriteEntry DefaultFavorite();

// The addresses in list order: 50 zero-filled shareable blocks of 260 bytes.
// Inserting drops the last block's address, deleting adds an empty block at
// the end.
class FavoriteAddressBlocks {
 public:
  FavoriteAddressBlocks() = default;
  ~FavoriteAddressBlocks() { Free(); }
  FavoriteAddressBlocks(const FavoriteAddressBlocks&) = delete;
  FavoriteAddressBlocks& operator=(const FavoriteAddressBlocks&) = delete;

  bool Allocate();
  void Free();
  bool Allocated() const { return blocks_[0] != nullptr; }
  std::string Get(int position) const;
  // Cut to 259 bytes.
  void Set(int position, const std::string& address);
  void Insert(int position, const std::string& address);
  void Remove(int position);

 private:
  HGLOBAL blocks_[kFavoriteCount] = {};
};

// Opens the address of list position index with the system's handler for
// it; false (and nothing shown) when there is none or it cannot be opened.
bool OpenFavoriteLink(int index);
// Frame command: the list dialog over the frame, then the chosen entry.
void OpenFavorites();

INT_PTR CALLBACK FavoritesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FavoriteEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
