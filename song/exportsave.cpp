#include "pathname.h"
#include "exportsave.h"

#include <string>

#include "appglobals.h"
#include "filterslots.h"
#include "msgbox.h"
#include "progressdlg.h"
#include "resource.h"
#include "songmodel.h"
#include "stepservices.h"

namespace {

constexpr DWORD kFirstOutputBlock = 0x10000;
constexpr DWORD kWritePiece = 32768;

std::string FolderOf(const std::string& path) {
  std::string folder = PathFolder(path);
  return folder.empty() ? std::string(".\\") : folder;
}

bool WritePieces(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    DWORD piece = size > kWritePiece ? kWritePiece : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, piece, &written, nullptr) || written != piece) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

// A shareable table naming the song's own header, track headers and event
// blocks (not copies), as the filter reads the song.
HGLOBAL BuildExportHandleTable(HWND frame) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, sizeof(SongHandleTable));
  if (!h) return nullptr;
  auto* out = static_cast<SongHandleTable*>(GlobalLock(h));
  SongDocument* doc = LockSongDocument(frame);
  if (doc && doc->handleTable) {
    auto* song = static_cast<const SongHandleTable*>(LocalLock(doc->handleTable));
    if (song) {
      out->h[kHeaderEntry] = song->h[kHeaderEntry];
      for (int k = 1; k <= g_song.trackCount && k < kMaxTracks; ++k) {
        out->h[TrackHeaderEntry(k)] = song->h[TrackHeaderEntry(k)];
        out->h[TrackEventsEntry(k)] = song->h[TrackEventsEntry(k)];
      }
    }
    LocalUnlock(doc->handleTable);
  }
  if (doc) UnlockSongDocument(frame);
  GlobalUnlock(h);
  return h;
}

}  // namespace

int WriteImageReplacing(const char* path, const void* data, size_t size) {
  std::string folder = FolderOf(path);
  char temp[MAX_PATH];
  // A fresh unique name: nothing already there is ever written over.
  if (!GetTempFileNameA(folder.c_str(), "zkx", 0, temp)) return IDS_CANNOT_CREATE;
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temp);
    return IDS_CANNOT_CREATE;
  }
  bool ok = WritePieces(file, static_cast<const char*>(data), size);
  ok = CloseHandle(file) && ok;
  if (ok) ok = MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) {
    DeleteFileA(temp);
    return IDS_CANNOT_WRITE;
  }
  return 0;
}

bool SaveViaExportFilter(HWND frame, const char* path, int slot) {
  if (slot < 0 || slot >= kFilterSlots || !g_exportSlots[slot].makeExpFile) return false;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  RenumberAllSameMeasureRefs();

  HGLOBAL table = BuildExportHandleTable(frame);
  HGLOBAL output = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, kFirstOutputBlock);
  if (!table || !output) {
    if (table) GlobalFree(table);
    if (output) GlobalFree(output);
    SetCursor(old);
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, path);
    return false;
  }
  DWORD length = 0;
  int trackMode = g_song.trackWriteMode != 0 ? 1 : 0;
  HWND progress = CreateProgressDialog(frame, "");
  // The filter frees the table (never the blocks it names) before it
  // returns, so it is not freed here.
  const int made = g_exportSlots[slot].makeExpFile(AppInstance(), frame, progress, table, &output, &length,
                                                   g_song.trackCount, static_cast<int16_t>(trackMode), 0);

  int failure = IDS_CANNOT_WRITE;
  // A filter that reports a failure leaves nothing worth writing.
  const void* image = made && output ? GlobalLock(output) : nullptr;
  // A length beyond the block the filter handed back would read past it.
  if (image && length <= GlobalSize(output)) failure = WriteImageReplacing(path, image, length);
  if (image) GlobalUnlock(output);
  if (progress) DestroyProgressDialog(progress);
  if (output) GlobalFree(output);
  SetCursor(old);
  if (failure) ShowMessageById(frame, MB_OK | MB_ICONSTOP, failure, path);
  return failure == 0;
}
