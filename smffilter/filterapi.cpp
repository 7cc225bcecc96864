// The import side of the filter's exports (and the version and file-type
// entries the export slot shares): thin glue between the host's memory
// handles and the pure import.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "filterprogress.h"
#include "filtersettings.h"
#include "resource.h"
#include "smfimport.h"
#include "smfreader.h"
#include "zk/song.h"

namespace {

constexpr char kVersion[6] = {'Z', 'K', 'F', 'W', '2', 0};
// Windows file-dialog filters: description, NUL, pattern, NUL.
constexpr char kImportEntry[] = "MIDIﾌｧｲﾙ (*.MID;*.STD)\0*.MID;*.STD";
constexpr char kExportEntry[] = "MIDIﾌｧｲﾙ(*.MID)\0*.MID";
constexpr char kDefaultExtension[] = ".mid";
static_assert(sizeof kImportEntry == 35 && sizeof kExportEntry == 22);

// What a damaged file lost, one line each, under one message.
void ShowDamage(HWND owner, const SmfImportReport& r) {
  if (!r.Damaged()) return;
  std::string text = FilterText(IDS_DAMAGED_INTRO);
  auto line = [&](bool on, UINT id) {
    if (on) text += "\r\n" + FilterText(id);
  };
  line(r.truncated, IDS_DROP_TRUNCATED);
  if (r.missingTracks) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, FilterText(IDS_DROP_MISSING_TRACKS).c_str(), r.missingTracks);
    text += std::string("\r\n") + buffer;
  }
  line(r.tooManyChunks, IDS_DROP_EXTRA_CHUNKS);
  line(r.zeroDivision, IDS_DROP_BAD_DIVISION);
  line(r.timeBaseFallback, IDS_DROP_TIMEBASE);
  line(r.zeroTempo, IDS_DROP_ZERO_TEMPO);
  line(r.badTimeSignature, IDS_DROP_BAD_TIMESIG);
  line(r.tiesDropped, IDS_DROP_QUEUE_FULL);
  line(r.badPort, IDS_DROP_BAD_PORT);
  line(r.badBytes, IDS_DROP_BAD_BYTES);
  MessageBoxA(owner, text.c_str(), FilterText(IDS_IMPORT_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// Memory has run out: the texts go on the stack, not the heap.
void ShowNoMemory(HWND owner) {
  char text[256] = {};
  char caption[128] = {};
  LoadStringA(FilterInstance(), IDS_REFUSED_NO_MEMORY, text, sizeof text);
  LoadStringA(FilterInstance(), IDS_IMPORT_CAPTION, caption, sizeof caption);
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

void ShowFullTrack(int track) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, FilterText(IDS_IMPORT_TRACK_FULL).c_str(), track);
  MessageBoxA(nullptr, buffer, FilterText(IDS_LIBRARY_CAPTION).c_str(),
              MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

HGLOBAL NewBlock(const void* data, size_t bytes, size_t blockBytes) {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, blockBytes);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  std::memcpy(p, data, bytes);
  GlobalUnlock(h);
  return h;
}

// The song's time base from its header block (480 when it has none).
uint16_t SongTimeBase(HGLOBAL header) {
  uint16_t tb = 480;
  if (header && GlobalSize(header) >= sizeof(SongHeader)) {
    if (auto* h = static_cast<SongHeader*>(GlobalLock(header))) {
      tb = h->timeBase;
      GlobalUnlock(header);
    }
  }
  return tb;
}

// Blocks for every imported track, all or none.
bool NewTrackBlocks(const SmfImportResult& r, std::vector<HGLOBAL>* headers,
                    std::vector<HGLOBAL>* events) {
  // The lists' room first: running out there leaves no block behind.
  headers->reserve(r.tracks.size());
  events->reserve(r.tracks.size());
  for (const SmfImportTrack& t : r.tracks) {
    HGLOBAL h = NewBlock(&t.header, sizeof t.header, sizeof t.header);
    HGLOBAL e = h ? NewBlock(t.events.data(), t.events.size() * sizeof(StepEvent), kFullBlockBytes)
                  : nullptr;
    headers->push_back(h);
    events->push_back(e);
    if (!e) {
      for (HGLOBAL b : *headers)
        if (b) GlobalFree(b);
      for (HGLOBAL b : *events)
        if (b) GlobalFree(b);
      return false;
    }
  }
  return true;
}

void Replace(HGLOBAL& entry, HGLOBAL block) {
  if (entry && entry != block) GlobalFree(entry);
  entry = block;
}

// Puts the import into the song: header fields, then every track. Nothing
// is changed unless every block could be had.
bool StoreSong(const SmfImportResult& r, SongHandleTable* table) {
  HGLOBAL headerBlock = table->h[kHeaderEntry];
  bool newHeader = !headerBlock || GlobalSize(headerBlock) < sizeof(SongHeader);
  if (newHeader) {
    SongHeader blank;
    std::memset(&blank, 0, sizeof blank);
    headerBlock = NewBlock(&blank, sizeof blank, sizeof blank);
    if (!headerBlock) return false;
  }
  std::vector<HGLOBAL> headers, events;
  auto* h = static_cast<SongHeader*>(GlobalLock(headerBlock));
  if (!h || !NewTrackBlocks(r, &headers, &events)) {
    if (h) GlobalUnlock(headerBlock);
    if (newHeader) GlobalFree(headerBlock);
    return false;
  }
  if (r.titleSeen) std::memcpy(h->title, r.title, sizeof h->title);
  if (r.memoSeen) std::memcpy(h->memo, r.memo, sizeof h->memo);
  h->trackCount = static_cast<uint16_t>(r.tracks.size());
  h->timeBase = r.timeBase;
  h->tempo = r.tempo;
  h->beatNum = r.beatNum;
  h->beatDen = r.beatDen;
  if (r.keySeen) h->key = r.key;
  GlobalUnlock(headerBlock);
  Replace(table->h[kHeaderEntry], headerBlock);
  for (size_t i = 0; i < r.tracks.size(); ++i) {
    int k = static_cast<int>(i) + 1;
    Replace(table->h[TrackHeaderEntry(k)], headers[i]);
    Replace(table->h[TrackEventsEntry(k)], events[i]);
  }
  return true;
}

SmfImportOptions ImportOptionsFor(HWND progress, const SongHandleTable& table, int yieldFlag) {
  ImportSettings settings = ReadImportSettings();
  SmfImportOptions options;
  options.flags = settings.flags;
  options.format1Mix = settings.format1Mix;
  options.keepFileTimeBase = settings.keepFileTimeBase;
  options.maxTrack = settings.maxTrack;
  options.portMode = g_exportOptions.portMode;
  options.songTimeBase = SongTimeBase(table.h[kHeaderEntry]);
  if (yieldFlag) options.yield = [] { Sleep(1); };
  if (progress) options.progress = [progress](int done, int total) { ShowProgressBar(progress, done, total); };
  return options;
}

// Says what the import refused, cut or dropped, and puts what it read into
// the song; 1 when the song took it.
int TakeImport(HWND progress, const SmfImportResult& r, SongHandleTable* table) {
  if (r.status == SmfImportStatus::kNoMemory) {
    ShowNoMemory(progress);
    return 0;
  }
  std::string caption = FilterText(IDS_IMPORT_CAPTION);
  if (r.status == SmfImportStatus::kNoTracks)
    MessageBoxA(progress, FilterText(IDS_REFUSED_NO_TRACKS).c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  if (r.status != SmfImportStatus::kOk) return 0;
  if (r.report.trackLimit)
    MessageBoxA(progress, FilterText(IDS_IMPORT_TOO_MANY_TRACKS).c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  for (int track : r.report.fullTracks) ShowFullTrack(track);
  ShowDamage(progress, r.report);
  return StoreSong(r, table) ? 1 : 0;
}

}  // namespace

extern "C" {

int WINAPI GetImpVersion(char* buffer) {
  if (buffer) std::memcpy(buffer, kVersion, sizeof kVersion);
  return 100;
}

int WINAPI GetFileExtension(char* list, int position) {
  uint16_t at = static_cast<uint16_t>(position);
  std::memcpy(list + at, kImportEntry, sizeof kImportEntry);
  return at + static_cast<int>(sizeof kImportEntry);
}

int WINAPI GetExpFileExtension(char* list, int position) {
  uint16_t at = static_cast<uint16_t>(position);
  std::memcpy(list + at, kExportEntry, sizeof kExportEntry);
  return at + static_cast<int>(sizeof kExportEntry);
}

int WINAPI SetExpFileExtension(void*, char* extension, void*) {
  if (extension) std::memcpy(extension, kDefaultExtension, sizeof kDefaultExtension);
  return 1;
}

int WINAPI CheckImpFile(HGLOBAL image) {
  if (!image) return 0;
  const auto* p = static_cast<const uint8_t*>(GlobalLock(image));
  if (!p) return 0;
  // The block may be any length, even shorter than a header.
  int ok = IsSmfImage(p, GlobalSize(image)) ? 1 : 0;
  GlobalUnlock(image);
  return ok;
}

int WINAPI ReadinFile(HWND progress, HGLOBAL tableBlock, HGLOBAL image, int, int yieldFlag) {
  auto* table = tableBlock ? static_cast<SongHandleTable*>(GlobalLock(tableBlock)) : nullptr;
  const auto* bytes = image ? static_cast<const uint8_t*>(GlobalLock(image)) : nullptr;
  int result = 0;
  try {
    ShowProgressText(progress, IDS_IMPORT_PROGRESS);
    if (table && bytes) {
      SmfImportResult r = ImportSmf(bytes, GlobalSize(image), ImportOptionsFor(progress, *table, yieldFlag));
      GlobalUnlock(image);
      bytes = nullptr;
      // The image is the filter's to free, whatever happens.
      GlobalFree(image);
      image = nullptr;
      result = TakeImport(progress, r, table);
    }
  } catch (const std::bad_alloc&) {
    ShowNoMemory(progress);
    result = 0;
  }
  if (bytes) GlobalUnlock(image);
  if (image) GlobalFree(image);
  if (table) GlobalUnlock(tableBlock);
  return result;
}

}  // extern "C"
