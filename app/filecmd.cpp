#include "filecmd.h"

#include "msgbox.h"
#include "opendlg.h"
#include "programstate.h"
#include "recent.h"
#include "resource.h"
#include "savedlg.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"
#include "trackattach.h"

namespace {

void ClearTrackMarks(HWND frame) {
  SongDocument* doc = LockSongDocument(frame);
  if (!doc) return;
  if (auto* tw = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n) tw->state[n - 1] = 0;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(frame);
}

int WriteUnderName(HWND frame) {
  if (SaveSong(frame) != kWriteOk) return 0;
  ClearTrackMarks(frame);
  return 1;
}

}  // namespace

void NewSongCommand(HWND frame) {
  if (!QuerySaveAll(IDS_QUERY_SAVE_REPLACE)) return;
  CloseSongWindows(frame);
  NewSong(frame);
  RefreshTrackEditors(frame);
}

void OpenCommand(HWND frame) {
  if (QuerySaveAll(IDS_QUERY_SAVE_REPLACE)) SongOpenDialog(frame);
}

void RecentFileCommand(HWND frame, UINT id) {
  (void)frame;
  if (QuerySaveAll(IDS_QUERY_SAVE_REPLACE)) OpenRecentFile(id);
}

int SaveAsCommand(HWND frame) {
  if (!SongSaveAsDialog(g_prog.currentStep)) return 0;
  g_song.untitled = 0;
  return WriteUnderName(frame);
}

int SaveToSongName(HWND frame) {
  if (g_song.untitled) return SaveAsCommand(frame);
  g_song.backupSwitch = g_settings.makeBackup;
  return WriteUnderName(frame);
}

int SaveCommand(HWND frame) {
  g_song.saveType = 0;
  g_song.trackWriteMode = 0;
  // The own format never goes into a file named for another one.
  if (!g_song.untitled && !HasSongExtension(g_song.fileName)) return SaveAsCommand(frame);
  return SaveToSongName(frame);
}
