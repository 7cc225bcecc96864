#include "favorites.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "appglobals.h"
#include "cp932text.h"
#include "dlgedit.h"
#include "inifile.h"
#include "msgbox.h"
#include "resource.h"
#include "shellutil.h"

namespace {

// A stored value: name, "=", address, each at most what a buffer holds.
constexpr int kValueSize = 2 * kFavoriteBlockSize;


}  // namespace

std::string FavoriteKey(int position) {
  char key[16];
  std::snprintf(key, sizeof key, "Web%d", position);
  return key;
}

bool SplitFavoriteValue(const std::string& value, FavoriteEntry* entry) {
  // "=" is never the second byte of a double-byte character, so the first
  // one found is a real one.
  const size_t at = value.find('=');
  if (at == std::string::npos) return false;
  entry->name = CutCp932Text(value.substr(0, at), kFavoriteTextMax);
  entry->address = CutCp932Text(value.substr(at + 1), kFavoriteTextMax);
  return true;
}

std::string FavoriteValue(const FavoriteEntry& entry) {
  if (entry.name.empty() && entry.address.empty()) return "";
  return entry.name + "=" + entry.address;
}

std::vector<FavoriteEntry> FavoriteListFromValues(const std::vector<std::string>& values,
                                                  const FavoriteEntry& fallback) {
  std::vector<FavoriteEntry> list;
  for (int n = 0; n < kFavoriteCount; ++n) {
    const std::string value = n < static_cast<int>(values.size()) ? values[n] : std::string();
    FavoriteEntry entry;
    if (n == 0 && value.empty()) {
      entry.name = CutCp932Text(fallback.name, kFavoriteTextMax);
      entry.address = CutCp932Text(fallback.address, kFavoriteTextMax);
      list.push_back(entry);
    } else if (SplitFavoriteValue(value, &entry)) {
      list.push_back(entry);
    }
  }
  return list;
}

std::vector<std::string> FavoriteValuesOf(const std::vector<FavoriteEntry>& entries) {
  std::vector<std::string> values(kFavoriteCount);
  for (int n = 0; n < kFavoriteCount && n < static_cast<int>(entries.size()); ++n) values[n] = FavoriteValue(entries[n]);
  return values;
}

bool CanAddFavorite(int count) { return count < kFavoriteCount; }

bool IsValidFavoriteName(const std::string& name) { return name.find('=') == std::string::npos; }

std::vector<FavoriteEntry> ReadFavorites(const FavoriteEntry& fallback) {
  std::vector<std::string> values;
  for (int n = 0; n < kFavoriteCount; ++n)
    values.push_back(IniGetString(kFavoritesSection, FavoriteKey(n).c_str(), "", kValueSize));
  return FavoriteListFromValues(values, fallback);
}

void WriteFavorites(const std::vector<FavoriteEntry>& entries) {
  const std::vector<std::string> values = FavoriteValuesOf(entries);
  for (int n = 0; n < kFavoriteCount; ++n) IniWriteString(kFavoritesSection, FavoriteKey(n).c_str(), values[n].c_str());
}

FavoriteEntry DefaultFavorite() {
  return FavoriteEntry{LoadAppString(IDS_FAVORITE_DEFAULT_NAME), LoadAppString(IDS_FAVORITE_DEFAULT_ADDRESS)};
}

bool FavoriteAddressBlocks::Allocate() {
  Free();
  for (HGLOBAL& block : blocks_) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, kFavoriteBlockSize);
    if (!block) {
      Free();
      return false;
    }
  }
  return true;
}

void FavoriteAddressBlocks::Free() {
  for (HGLOBAL& block : blocks_) {
    if (block) GlobalFree(block);
    block = nullptr;
  }
}

std::string FavoriteAddressBlocks::Get(int position) const {
  if (position < 0 || position >= kFavoriteCount || !blocks_[position]) return "";
  const char* p = static_cast<const char*>(GlobalLock(blocks_[position]));
  if (!p) return "";
  const std::string address(p, strnlen(p, kFavoriteTextMax));
  GlobalUnlock(blocks_[position]);
  return address;
}

void FavoriteAddressBlocks::Set(int position, const std::string& address) {
  if (position < 0 || position >= kFavoriteCount || !blocks_[position]) return;
  char* p = static_cast<char*>(GlobalLock(blocks_[position]));
  if (!p) return;
  const std::string cut = CutCp932Text(address, kFavoriteTextMax);
  std::memset(p, 0, kFavoriteBlockSize);
  std::memcpy(p, cut.data(), cut.size());
  GlobalUnlock(blocks_[position]);
}

void FavoriteAddressBlocks::Insert(int position, const std::string& address) {
  if (position < 0 || position >= kFavoriteCount) return;
  // The last block makes room at position.
  HGLOBAL last = blocks_[kFavoriteCount - 1];
  std::move_backward(blocks_ + position, blocks_ + kFavoriteCount - 1, blocks_ + kFavoriteCount);
  blocks_[position] = last;
  Set(position, address);
}

void FavoriteAddressBlocks::Remove(int position) {
  if (position < 0 || position >= kFavoriteCount) return;
  HGLOBAL removed = blocks_[position];
  std::move(blocks_ + position + 1, blocks_ + kFavoriteCount, blocks_ + position);
  blocks_[kFavoriteCount - 1] = removed;
  Set(kFavoriteCount - 1, "");
}

namespace {

FavoriteAddressBlocks g_blocks;
// The entry being added or edited, shared by both dialogs.
char g_editName[kFavoriteBlockSize];
char g_editAddress[kFavoriteBlockSize];

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_FAVORITE_LIST); }
int ListCount(HWND dialog) { return static_cast<int>(SendMessageA(ListOf(dialog), LB_GETCOUNT, 0, 0)); }
int Selection(HWND dialog) { return static_cast<int>(SendMessageA(ListOf(dialog), LB_GETCURSEL, 0, 0)); }
void Select(HWND dialog, int position) { SendMessageA(ListOf(dialog), LB_SETCURSEL, position, 0); }

std::string NameAt(HWND dialog, int position) {
  const LRESULT length = SendMessageA(ListOf(dialog), LB_GETTEXTLEN, position, 0);
  if (length == LB_ERR) return "";
  std::string name(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(ListOf(dialog), LB_GETTEXT, position, reinterpret_cast<LPARAM>(&name[0]));
  name.resize(static_cast<size_t>(length));
  return name;
}

void InsertName(HWND dialog, int position, const char* name) {
  SendMessageA(ListOf(dialog), LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(name));
}

// A full list takes no more (the last entry would be lost); an empty one
// has nothing to edit or delete.
void UpdateButtons(HWND dialog) {
  const int count = ListCount(dialog);
  EnableWindow(GetDlgItem(dialog, IDC_FAVORITE_ADD), CanAddFavorite(count));
  EnableWindow(GetDlgItem(dialog, IDC_FAVORITE_EDIT), count > 0);
  EnableWindow(GetDlgItem(dialog, IDC_FAVORITE_DELETE), count > 0);
}

bool RunEntryDialog(HWND owner) {
  return DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_FAVORITE_EDIT), owner, FavoriteEditDlgProc, 0) == 1;
}

BOOL OnListInit(HWND dialog) {
  CentreWindowOverFrame(dialog);
  const std::vector<FavoriteEntry> entries = ReadFavorites(DefaultFavorite());
  for (size_t n = 0; n < entries.size(); ++n) {
    SendMessageA(ListOf(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[n].name.c_str()));
    g_blocks.Set(static_cast<int>(n), entries[n].address);
  }
  Select(dialog, 0);
  UpdateButtons(dialog);
  return TRUE;
}

void OnAdd(HWND dialog) {
  if (!CanAddFavorite(ListCount(dialog))) return;
  g_editName[0] = g_editAddress[0] = '\0';
  if (!RunEntryDialog(dialog)) return;
  const int position = std::max(Selection(dialog), 0);
  g_blocks.Insert(position, g_editAddress);
  InsertName(dialog, position, g_editName);
  Select(dialog, position);
  UpdateButtons(dialog);
}

void OnEdit(HWND dialog) {
  if (ListCount(dialog) <= 0) return;
  const int position = std::max(Selection(dialog), 0);
  std::snprintf(g_editName, sizeof g_editName, "%s", NameAt(dialog, position).c_str());
  std::snprintf(g_editAddress, sizeof g_editAddress, "%s", g_blocks.Get(position).c_str());
  if (!RunEntryDialog(dialog)) return;
  SendMessageA(ListOf(dialog), LB_DELETESTRING, position, 0);
  InsertName(dialog, position, g_editName);
  g_blocks.Set(position, g_editAddress);
  Select(dialog, position);
}

void OnDelete(HWND dialog) {
  const int position = Selection(dialog);
  if (position < 0) return;
  SendMessageA(ListOf(dialog), LB_DELETESTRING, position, 0);
  g_blocks.Remove(position);
  // The entry that took its place, or the new last one.
  const int count = ListCount(dialog);
  if (count > 0) Select(dialog, std::min(position, count - 1));
  UpdateButtons(dialog);
}

void OnOpen(HWND dialog) {
  std::vector<FavoriteEntry> entries;
  const int count = std::min(ListCount(dialog), kFavoriteCount);
  for (int n = 0; n < count; ++n) entries.push_back(FavoriteEntry{NameAt(dialog, n), g_blocks.Get(n)});
  WriteFavorites(entries);
  EndDialog(dialog, Selection(dialog) + 1);
}

BOOL OnListCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOpen(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_FAVORITE_ADD:
      OnAdd(dialog);
      return TRUE;
    case IDC_FAVORITE_EDIT:
      OnEdit(dialog);
      return TRUE;
    case IDC_FAVORITE_DELETE:
      OnDelete(dialog);
      return TRUE;
  }
  return FALSE;
}

BOOL OnEntryInit(HWND dialog) {
  CentreWindowOverFrame(dialog);
  SendDlgItemMessageA(dialog, IDC_FAVORITE_NAME, EM_LIMITTEXT, kFavoriteTextMax, 0);
  SendDlgItemMessageA(dialog, IDC_FAVORITE_ADDRESS, EM_LIMITTEXT, kFavoriteTextMax, 0);
  SetDlgItemTextA(dialog, IDC_FAVORITE_NAME, g_editName);
  SetDlgItemTextA(dialog, IDC_FAVORITE_ADDRESS, g_editAddress);
  return TRUE;
}

void OnEntryOk(HWND dialog) {
  char name[kFavoriteBlockSize] = "";
  char address[kFavoriteBlockSize] = "";
  GetDlgItemTextA(dialog, IDC_FAVORITE_NAME, name, sizeof name);
  GetDlgItemTextA(dialog, IDC_FAVORITE_ADDRESS, address, sizeof address);
  if (!IsValidFavoriteName(name)) {
    ShowMessageById(dialog, MB_OK | MB_ICONEXCLAMATION, IDS_FAVORITE_NAME_EQUALS);
    HWND field = GetDlgItem(dialog, IDC_FAVORITE_NAME);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    return;
  }
  std::memcpy(g_editName, name, sizeof name);
  std::memcpy(g_editAddress, address, sizeof address);
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK FavoritesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnListInit(dialog);
    case WM_COMMAND:
      return OnListCommand(dialog, wParam);
  }
  return FALSE;
}

INT_PTR CALLBACK FavoriteEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnEntryInit(dialog);
    case WM_COMMAND:
      return StepDialogOkCancel(dialog, wParam, OnEntryOk);
  }
  return FALSE;
}

bool OpenFavoriteLink(int index) {
  if (!g_blocks.Allocated() || index < 0 || index >= kFavoriteCount) return false;
  const std::string address = Trimmed(g_blocks.Get(index));
  if (address.empty()) return false;
  // The system's handler for the address, started by the shell: no command
  // line is built from the text, and our priorities stay as they are. A
  // failure shows nothing.
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = g_app.frame;
  info.lpVerb = "open";
  info.lpFile = address.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExA(&info) != FALSE;
}

void OpenFavorites() {
  if (g_blocks.Allocated()) return;  // already open
  if (!g_blocks.Allocate()) return;
  const INT_PTR chosen =
      DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(IDD_FAVORITES), g_app.frame, FavoritesDlgProc, 0);
  if (chosen > 0) OpenFavoriteLink(static_cast<int>(chosen - 1));
  g_blocks.Free();
}
