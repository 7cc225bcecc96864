// The export side of the filter's exports: MakeExpFile (24) and
// ExpFilterOption (25), thin glue over the export and the options dialog.
#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include <zk/song.h>

#include "filterprogress.h"
#include "filtersettings.h"
#include "optionsdlg.h"
#include "playsong.h"
#include "resource.h"
#include "smfexport.h"

namespace {

// Puts the image into the host's block, growing it when it is too small.
bool StoreImage(const std::vector<uint8_t>& image, HGLOBAL* output) {
  HGLOBAL block = *output;
  SIZE_T need = image.empty() ? 1 : image.size();
  if (!block || GlobalSize(block) < need) {
    HGLOBAL grown = block ? GlobalReAlloc(block, need, GMEM_MOVEABLE)
                          : GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, need);
    if (!grown) return false;
    block = grown;
    *output = block;
  }
  void* p = GlobalLock(block);
  if (!p) return false;
  if (!image.empty()) std::memcpy(p, image.data(), image.size());
  GlobalUnlock(block);
  return true;
}

// Time base and track count of the song of a song window: its word 0 holds
// the song record, whose handle table's entry 0 is the header.
OptionsDialogSong SongOfWindow(HWND songWindow) {
  OptionsDialogSong s;
  if (!songWindow || !IsWindow(songWindow)) return s;
  HGLOBAL record = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(songWindow, 0));
  auto* doc = record ? static_cast<SongDocument*>(GlobalLock(record)) : nullptr;
  if (!doc) return s;
  if (auto* table = doc->handleTable ? static_cast<SongHandleTable*>(LocalLock(doc->handleTable)) : nullptr) {
    HGLOBAL h = table->h[kHeaderEntry];
    if (h && GlobalSize(h) >= offsetof(SongHeader, tempo)) {
      if (auto* header = static_cast<const SongHeader*>(GlobalLock(h))) {
        s.timeBase = header->timeBase;
        s.trackCount = header->trackCount;
        GlobalUnlock(h);
      }
    }
    LocalUnlock(doc->handleTable);
  }
  GlobalUnlock(record);
  return s;
}

}  // namespace

extern "C" {

// Returns 1 with the file in *output and its length in *length; 0 (and a
// length of 0) when the song cannot be read or memory runs out. The handle
// table block is freed in every case, never the song's blocks it names.
int WINAPI MakeExpFile(HINSTANCE, HWND, HWND progress, HGLOBAL table, HGLOBAL* output,
                                             DWORD* length, int trackCount, int, int) {
  if (length) *length = 0;
  SmfExportOptions o;
  o.format = g_exportOptions.format;
  std::memcpy(o.portNumber, g_exportOptions.portNumber, sizeof o.portNumber);
  o.portMode = g_exportOptions.portMode;
  o.timeBase = g_exportOptions.timeBase;
  o.convFlags = ReadExportConvFlags();
  // The bar-management track only has to name a track of this song.
  if (g_exportOptions.barTrack >= trackCount) g_exportOptions.barTrack = 0;
  ShowProgressText(progress, IDS_EXPORT_PROGRESS);

  PlaySong song;
  bool haveSong = CopyPlaySong(table, trackCount, song);
  if (table) GlobalFree(table);
  if (!haveSong || !output || !length) return 0;

  std::vector<uint8_t> image;
  SmfExportProgress bar;
  if (progress) bar = [progress](int done, int total) { ShowProgressBar(progress, done, total); };
  if (ExportSmf(std::move(song), o, image, bar) != SmfExportStatus::kOk) return 0;
  if (!StoreImage(image, output)) return 0;
  *length = static_cast<DWORD>(image.size());
  if (progress) ShowProgressBar(progress, 1, 1);
  return 1;
}

int WINAPI ExpFilterOption(HWND songWindow, HWND parent) {
  return RunExportOptionsDialog(FilterInstance(), parent, SongOfWindow(songWindow));
}

}  // extern "C"
