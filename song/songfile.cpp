#include "songfile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "appglobals.h"
#include "exportsave.h"
#include "filterslots.h"
#include "msgbox.h"
#include "pathname.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "stepservices.h"

namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, data, size, &written, nullptr) && written == size;
}

// Header, then per track its 46 stored header bytes and its events.
bool WriteSongBody(HANDLE file, const SongHandleTable& table) {
  int tracks = g_song.trackCount;
  if (g_song.trackWriteMode != 0 && tracks > 18) tracks = 18;
  HGLOBAL hh = table.h[kHeaderEntry];
  if (!hh) return false;
  auto* header = static_cast<SongHeader*>(GlobalLock(hh));
  header->trackCount = static_cast<uint16_t>(tracks);
  std::memcpy(header->markers, g_song.markers, sizeof header->markers);
  bool ok = WriteAll(file, header, sizeof *header);
  header->trackCount = static_cast<uint16_t>(g_song.trackCount);
  GlobalUnlock(hh);

  for (int n = 1; ok && n <= tracks; ++n) {
    HGLOBAL th = table.h[TrackHeaderEntry(n)];
    HGLOBAL eh = table.h[TrackEventsEntry(n)];
    if (!th || !eh) return false;
    TrackHeader stored = *static_cast<const TrackHeader*>(GlobalLock(th));
    GlobalUnlock(th);
    DWORD eventBytes = stored.size >= sizeof(TrackHeader) ? stored.size - sizeof(TrackHeader) : 0;
    // Never write past the block, whatever the header's size field says.
    DWORD blockBytes = static_cast<DWORD>(GlobalSize(eh));
    if (eventBytes > blockBytes) eventBytes = blockBytes;
    stored.size = static_cast<uint32_t>(kTrackHeaderFileSize + eventBytes);
    ok = WriteAll(file, &stored, kTrackHeaderFileSize);
    if (ok) {
      ok = WriteAll(file, GlobalLock(eh), eventBytes);
      GlobalUnlock(eh);
    }
  }
  return ok;
}

// Puts the written temporary file in place of current; with the backup option
// the previous file becomes ".BAK". On failure current is as it was.
bool ReplaceWithTemp(const std::string& temp, const std::string& current) {
  if (!g_song.backupSwitch)
    return MoveFileExA(temp.c_str(), current.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  std::string backup = ReplacePathExtension(current, LoadAppString(IDS_BACKUP_EXT));
  // The older backup goes in the same step that puts the new one in place,
  // so a file that cannot be moved (held open elsewhere) leaves it alone.
  bool hadFile =
      MoveFileExA(current.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (MoveFileA(temp.c_str(), current.c_str())) return true;
  if (hadFile) MoveFileA(backup.c_str(), current.c_str());
  return false;
}

}  // namespace

int WriteSongFile(HWND frame, const char* path) {
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetCursor(old);
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_CREATE, path);
    return kWriteCreateFailed;
  }
  bool ok = false;
  SongDocument* doc = LockSongDocument(frame);
  if (doc && doc->handleTable) {
    auto* table = static_cast<const SongHandleTable*>(LocalLock(doc->handleTable));
    ok = table && WriteSongBody(file, *table);
    LocalUnlock(doc->handleTable);
  }
  if (doc) UnlockSongDocument(frame);
  ok = CloseHandle(file) && ok;
  SetCursor(old);
  if (!ok) {
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, path);
    return kWriteShort;
  }
  return kWriteOk;
}

void PrepareSongForWrite(HWND frame) {
  UpdateSongSize(frame);
  RenumberAllSameMeasureRefs();
}

int WriteSongCopy(HWND frame, const char* path) {
  PrepareSongForWrite(frame);
  return WriteSongFile(frame, path);
}

int SaveSong(HWND frame) {
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  PrepareSongForWrite(frame);
  std::string current = g_song.fileName;
  // Write beside the file first, so that a failed write never damages it.
  std::string temp = PathFolder(current) + (g_song.backupSwitch ? "zkfw.tmp" : "zkfw$new.tmp");
  const int slot = g_song.saveType - 1;
  const bool exported = slot >= 0 && slot < kFilterSlots && g_exportSlots[slot].makeExpFile;
  int result = kWriteOk;
  if (exported) {
    // The filter reports its own failures.
    if (!SaveViaExportFilter(frame, temp.c_str(), slot)) result = kWriteShort;
  } else {
    result = WriteSongFile(frame, temp.c_str());
  }
  if (result == kWriteOk && !ReplaceWithTemp(temp, current)) {
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_WRITE, current.c_str());
    result = kWriteShort;
  }
  if (result != kWriteOk) DeleteFileA(temp.c_str());
  if (!exported) SetSongTitle(current.c_str());
  SetCursor(old);
  return result;
}
