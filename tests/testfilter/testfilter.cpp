// A small filter library for the tests of the filter slots. It reads and
// writes a format of its own, simple enough to build by hand in a test:
//
//   offset 0   "TESTSONG"                 8 bytes
//          8   time base                  16-bit, little-endian
//         10   tempo                      16-bit
//         12   beat numerator             8-bit
//         13   beat denominator           8-bit
//         14   track count n (0-100)      8-bit
//         15   n tracks, each: event count c (16-bit), then c StepEvents of
//              6 bytes (code, vel, step, gate), the end event not included.
//
// Built three ways: as is; with TESTFILTER_LOWERCASE_VERSION (version text
// "zkfw2", which a host must refuse); with TESTFILTER_NO_MAKEEXPFILE (no
// ordinal 24, its .def lists the rest).
#include <windows.h>

#include <cstring>

#include "zk/song.h"

namespace {

constexpr char kSignature[8] = {'T', 'E', 'S', 'T', 'S', 'O', 'N', 'G'};
constexpr size_t kFixedBytes = 15;
constexpr UINT kShareable = GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT;

#ifdef TESTFILTER_LOWERCASE_VERSION
constexpr char kVersion[8] = {'z', 'k', 'f', 'w', '2', 0, 0, 0};
#else
constexpr char kVersion[8] = {'Z', 'K', 'F', 'W', '2', 0, 0, 0};
#endif

int AppendTexts(char* list, int position, const char* texts, int length) {
  std::memcpy(list + static_cast<int16_t>(position), texts, length);
  return static_cast<int16_t>(position) + length;
}

uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
[[maybe_unused]] void Put16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void Replace(HGLOBAL& entry, HGLOBAL block) {
  if (entry) GlobalFree(entry);
  entry = block;
}

// One track of the image into fresh blocks on the table; false when the
// image ends early or memory runs out.
bool ReadTrack(SongHandleTable* table, int k, const unsigned char*& p, const unsigned char* end) {
  if (end - p < 2) return false;
  size_t count = Get16(p);
  p += 2;
  if (count > static_cast<size_t>(kMaxTrackEvents) ||
      static_cast<size_t>(end - p) < count * sizeof(StepEvent))
    return false;
  HGLOBAL events = GlobalAlloc(kShareable, (count + 1) * sizeof(StepEvent));
  HGLOBAL header = GlobalAlloc(kShareable, sizeof(TrackHeader));
  if (!events || !header) {
    if (events) GlobalFree(events);
    if (header) GlobalFree(header);
    return false;
  }
  auto* e = static_cast<StepEvent*>(GlobalLock(events));
  std::memcpy(e, p, count * sizeof(StepEvent));
  e[count] = EndEvent();
  GlobalUnlock(events);
  p += count * sizeof(StepEvent);

  auto* h = static_cast<TrackHeader*>(GlobalLock(header));
  h->size = static_cast<uint32_t>(sizeof(TrackHeader) + (count + 1) * sizeof(StepEvent));
  h->number = static_cast<uint8_t>(k);
  h->channel = static_cast<uint8_t>((k - 1) & 0x0F);
  std::memset(h->comment, ' ', sizeof h->comment);
  GlobalUnlock(header);

  Replace(table->h[TrackEventsEntry(k)], events);
  Replace(table->h[TrackHeaderEntry(k)], header);
  return true;
}

}  // namespace

extern "C" {

// Ordinals 2 and 18.
int WINAPI GetImpVersion(char* buffer) {
  std::memcpy(buffer, kVersion, sizeof kVersion);
  return 100;
}

// Ordinal 3.
int WINAPI GetFileExtension(char* list, int position) {
  static const char texts[] = "Test songs (*.TST)\0*.TST";
  return AppendTexts(list, position, texts, sizeof texts);
}

// Ordinal 19.
int WINAPI GetExpFileExtension(char* list, int position) {
  static const char texts[] = "Test export (*.TSX)\0*.TSX";
  return AppendTexts(list, position, texts, sizeof texts);
}

// Ordinal 20.
int WINAPI SetExpFileExtension(HWND, char* extension, void*) {
  static const char text[8] = {'.', 't', 's', 'x', 0, 0, 0, 0};
  std::memcpy(extension, text, sizeof text);
  return 1;
}

// Ordinal 5.
int WINAPI CheckImpFile(HGLOBAL head) {
  if (!head || GlobalSize(head) < sizeof kSignature) return 0;
  const void* p = GlobalLock(head);
  int ok = p && std::memcmp(p, kSignature, sizeof kSignature) == 0;
  GlobalUnlock(head);
  return ok;
}

// Ordinal 8. Frees the image in every case.
int WINAPI ReadinFile(HWND progress, HGLOBAL tableHandle, HGLOBAL image,
                                            int, int) {
  size_t size = image ? GlobalSize(image) : 0;
  const auto* begin = size ? static_cast<const unsigned char*>(GlobalLock(image)) : nullptr;
  auto* table = tableHandle ? static_cast<SongHandleTable*>(GlobalLock(tableHandle)) : nullptr;
  bool ok = begin && table && size >= kFixedBytes &&
            std::memcmp(begin, kSignature, sizeof kSignature) == 0 && begin[14] <= kMaxTracks;
  if (ok && !table->h[kHeaderEntry]) table->h[kHeaderEntry] = GlobalAlloc(kShareable, sizeof(SongHeader));
  if (ok && table->h[kHeaderEntry]) {
    if (progress) SetDlgItemTextA(progress, 1751, "TESTSONG");
    auto* header = static_cast<SongHeader*>(GlobalLock(table->h[kHeaderEntry]));
    header->timeBase = Get16(begin + 8);
    header->tempo = Get16(begin + 10);
    header->beatNum = begin[12];
    header->beatDen = begin[13];
    GlobalUnlock(table->h[kHeaderEntry]);
    const unsigned char* p = begin + kFixedBytes;
    for (int k = 1; ok && k <= begin[14]; ++k) ok = ReadTrack(table, k, p, begin + size);
  } else {
    ok = false;
  }
  if (table) GlobalUnlock(tableHandle);
  if (begin) GlobalUnlock(image);
  if (image) GlobalFree(image);
  return ok ? 1 : 0;
}

#ifndef TESTFILTER_NO_MAKEEXPFILE
// Ordinal 24. Writes the image of tracks 1 to trackCount; frees the table
// block (never the song's blocks it names).
int WINAPI MakeExpFile(HINSTANCE, HWND, HWND, HGLOBAL tableHandle,
                                             HGLOBAL* output, DWORD* length, int trackCount,
                                             int, int) {
  auto* table = static_cast<SongHandleTable*>(GlobalLock(tableHandle));
  int tracks = trackCount < 0 ? 0 : trackCount > kMaxTracks ? kMaxTracks : trackCount;
  size_t counts[kMaxTracks + 1] = {};
  size_t total = kFixedBytes;
  for (int k = 1; k <= tracks; ++k) {
    HGLOBAL block = table->h[TrackEventsEntry(k)];
    if (block) {
      size_t slots = GlobalSize(block) / sizeof(StepEvent);
      const auto* e = static_cast<const StepEvent*>(GlobalLock(block));
      while (counts[k] < slots && e[counts[k]].code != kEndCode) ++counts[k];
      GlobalUnlock(block);
    }
    total += 2 + counts[k] * sizeof(StepEvent);
  }
  if (GlobalSize(*output) < total) {
    if (HGLOBAL grown = GlobalReAlloc(*output, total, GMEM_MOVEABLE)) *output = grown;
  }
  int result = 0;
  if (GlobalSize(*output) >= total) {
    auto* out = static_cast<unsigned char*>(GlobalLock(*output));
    std::memcpy(out, kSignature, sizeof kSignature);
    const auto* header = static_cast<const SongHeader*>(GlobalLock(table->h[kHeaderEntry]));
    Put16(out + 8, header->timeBase);
    Put16(out + 10, header->tempo);
    out[12] = header->beatNum;
    out[13] = header->beatDen;
    out[14] = static_cast<unsigned char>(tracks);
    GlobalUnlock(table->h[kHeaderEntry]);
    unsigned char* p = out + kFixedBytes;
    for (int k = 1; k <= tracks; ++k) {
      Put16(p, static_cast<uint16_t>(counts[k]));
      p += 2;
      if (counts[k]) {
        HGLOBAL block = table->h[TrackEventsEntry(k)];
        std::memcpy(p, GlobalLock(block), counts[k] * sizeof(StepEvent));
        GlobalUnlock(block);
        p += counts[k] * sizeof(StepEvent);
      }
    }
    GlobalUnlock(*output);
    *length = static_cast<DWORD>(total);
    result = 1;
  }
  GlobalUnlock(tableHandle);
  GlobalFree(tableHandle);
  return result;
}
#endif

// Ordinal 25.
int WINAPI ExpFilterOption(HWND, HWND) { return IDOK; }

}  // extern "C"
