#include "pathname.h"
#include "partfile.h"

#include <algorithm>
#include <cstring>

#include "msgbox.h"
#include "recent.h"
#include "resource.h"
#include "songmodel.h"
#include "stepservices.h"

namespace {

int SongTimeBase() {
  HGLOBAL h = SongEntry(kHeaderEntry);
  if (!h) return g_song.timeBase;
  auto* header = static_cast<const SongHeader*>(GlobalLock(h));
  int t = header ? header->timeBase : g_song.timeBase;
  GlobalUnlock(h);
  return t;
}

// Message for a conversion that failed; 1 when it succeeded.
int ReportStatus(PartStatus status, const char* name) {
  switch (status) {
    case PartStatus::kOk:
      return 1;
    case PartStatus::kTooManyEvents:
      ShowMessageById(nullptr, MB_OK | MB_ICONSTOP, IDS_TRACK_FULL);
      return 0;
    case PartStatus::kNotPart:
    case PartStatus::kDamaged:
      break;
  }
  ShowMessageById(nullptr, MB_OK | MB_ICONSTOP, IDS_NOT_PART_DATA, name ? name : "");
  return 0;
}

// Bytes of the converted image that go into the block.
const uint8_t* ImageStart(const std::vector<uint8_t>& image, int stripHead, size_t* size) {
  size_t skip = stripHead ? kPartHeadBytes : 0;
  *size = image.size() - skip;
  return image.data() + skip;
}

// Copies the image to the start of dest and ends every slot after it.
void PlaceImage(uint8_t* dest, size_t capacity, const uint8_t* image, size_t size) {
  std::memcpy(dest, image, size);
  std::memset(dest + size, kEndCode, capacity - size);
}

// Puts the image into the block, enlarging a movable block that is too small.
bool StoreImage(HGLOBAL block, const std::vector<uint8_t>& image, int stripHead) {
  size_t size = 0;
  const uint8_t* start = ImageStart(image, stripHead, &size);
  size_t capacity = GlobalSize(block);
  if (capacity < size) {
    void* p = GlobalLock(block);
    bool fixed = p == static_cast<void*>(block);
    GlobalUnlock(block);
    size_t want = std::max(size, kPartBlockBytes);
    // A fixed block may only grow where it stands: a new handle would be
    // lost to the caller.
    if (!GlobalReAlloc(block, want, fixed ? 0 : GMEM_MOVEABLE)) return false;
    capacity = GlobalSize(block);
    if (capacity < size) return false;
  }
  auto* dest = static_cast<uint8_t*>(GlobalLock(block));
  if (!dest) return false;
  PlaceImage(dest, capacity, start, size);
  GlobalUnlock(block);
  return true;
}

int ConvertIntoBlock(const uint8_t* data, size_t size, HGLOBAL block, const char* name,
                     int stripHead, int dropMode) {
  std::vector<uint8_t> image;
  PartStatus status = ConvertPartBytes(data, size, SongTimeBase(), dropMode != 0, &image);
  if (status == PartStatus::kOk && !StoreImage(block, image, stripHead))
    status = PartStatus::kTooManyEvents;
  if (!ReportStatus(status, name)) return 0;
  RenumberAllSameMeasureRefs();
  return 1;
}

std::string FolderOf(const char* path) {
  std::string p = path;
  size_t start = PathNameStart(p);
  if (start == 0) return ".";
  size_t slash = start - 1;
  // "C:" alone names the drive's current folder, "C:\" its root.
  bool keep = p[slash] == ':' || slash == 0 || p[slash - 1] == ':';
  return p.substr(0, keep ? slash + 1 : slash);
}

}  // namespace

bool ReadDropBlockHead(const uint8_t* block, size_t size, DropBlockHead* head) {
  if (!block || size < kDropEventsOffset) return false;
  // Each field holds one byte; the other byte of a 16-bit field is not ours.
  const int count = block[22] | block[19] << 8;
  if (static_cast<size_t>(count) > (size - kDropEventsOffset) / sizeof(StepEvent)) return false;
  head->count = count;
  head->x = static_cast<int16_t>(block[24] | block[26] << 8);
  head->y = static_cast<int16_t>(block[28] | block[25] << 8);
  return true;
}

HGLOBAL NewPartBlock() {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, kPartBlockBytes);
  if (!h) return nullptr;
  auto* events = static_cast<StepEvent*>(GlobalLock(h));
  for (int i = 0; i < kTrackSlots; ++i) events[i].code = kEndCode;
  GlobalUnlock(h);
  return h;
}

int ReadPartFromBlock(HGLOBAL block, const char* name, int stripHead, int dropMode) {
  if (!block) return ReportStatus(PartStatus::kNotPart, name);
  size_t size = GlobalSize(block);
  auto* p = static_cast<const uint8_t*>(GlobalLock(block));
  if (!p) return ReportStatus(PartStatus::kNotPart, name);
  // Converted from a copy: the image is built beside the data, then stored.
  std::vector<uint8_t> data(p, p + size);
  GlobalUnlock(block);
  return ConvertIntoBlock(data.data(), data.size(), block, name, stripHead, dropMode);
}

int ReadPartFromMapping(HANDLE mapping, const char* name, int stripHead, int dropMode) {
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (!view) return ReportStatus(PartStatus::kNotPart, name);
  MEMORY_BASIC_INFORMATION info{};
  size_t size = VirtualQuery(view, &info, sizeof info) ? info.RegionSize : 0;
  std::vector<uint8_t> data(view, view + size);
  std::vector<uint8_t> image;
  PartStatus status = ConvertPartBytes(data.data(), data.size(), SongTimeBase(), dropMode != 0,
                                       &image, kMappingRecordSourceLimit);
  if (status == PartStatus::kOk) {
    size_t imageSize = 0;
    const uint8_t* start = ImageStart(image, stripHead, &imageSize);
    if (imageSize > size)
      status = PartStatus::kTooManyEvents;
    else
      PlaceImage(view, size, start, imageSize);
  }
  UnmapViewOfFile(view);
  if (!ReportStatus(status, name)) return 0;
  RenumberAllSameMeasureRefs();
  return 1;
}

int ReadPartFile(HWND owner, const char* path, HGLOBAL block, int stripHead) {
  if (!path || !*path) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_OPEN, path);
    return 0;
  }
  std::vector<uint8_t> data(kPartFileReadLimit);
  DWORD got = 0;
  if (!ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_READ, path);
  CloseHandle(file);
  // Length fields are checked against what was read, not the block's size.
  data.resize(got);
  return ConvertIntoBlock(data.data(), data.size(), block, path, stripHead, 0);
}

std::string ForceExtension(const std::string& path, const std::string& ext) {
  return ReplacePathExtension(path, ext);
}

int WriteFileReplacing(HWND owner, const char* path, const void* data, DWORD size) {
  char temp[MAX_PATH];
  HANDLE file = INVALID_HANDLE_VALUE;
  if (GetTempFileNameA(FolderOf(path).c_str(), "zkp", 0, temp)) {
    file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE) DeleteFileA(temp);
  }
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_CREATE, path);
    return 0;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
  ok = CloseHandle(file) && ok;
  // The old file is replaced only by a complete new one.
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
  if (!ok) {
    DeleteFileA(temp);
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, path);
    return 0;
  }
  return 1;
}

int WriteBlockReplacing(HWND owner, const char* path, HGLOBAL block, DWORD byteCount) {
  size_t capacity = block ? GlobalSize(block) : 0;
  const void* p = capacity ? GlobalLock(block) : nullptr;
  std::vector<uint8_t> data;
  if (p) data.assign(static_cast<const uint8_t*>(p),
                     static_cast<const uint8_t*>(p) + std::min<size_t>(capacity, byteCount));
  if (p) GlobalUnlock(block);
  if (data.size() < byteCount) {
    // Never read past the block; what it lacks could not be written.
    ShowMessageById(owner, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, path);
    return 0;
  }
  return WriteFileReplacing(owner, path, data.data(), byteCount);
}

int SavePartToFile(HWND owner, const char* path, HGLOBAL block, DWORD byteCount, int setData) {
  if (!WriteBlockReplacing(owner, path, block, byteCount)) return 0;
  if (!setData) SaveLastDirectory(path, kLastPartDirectoryKey, 1);
  return 1;
}

int LoadPartFromFile(HWND owner, const char* path, HGLOBAL block, int setData) {
  int ok = ReadPartFile(owner, path, block, 0);
  if (ok && !setData) SaveLastDirectory(path, kLastPartDirectoryKey, 1);
  return ok;
}
