#include "listplay.h"

#include <cstring>
#include <string>

#include "engine.h"
#include "frame.h"
#include "playlist.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"
#include "trackattach.h"

namespace {

constexpr char kPlaylistTag[] = "; LoopcastFiles";
constexpr DWORD kPlaylistTagLength = sizeof kPlaylistTag - 1;

// The list has ended and the program closes. The list is forgotten first: a
// close that is refused must not leave a list that closes the program again
// after the next ordinary play.
void EndListPlay(HWND frame) {
  g_playlist.entries.clear();
  g_playlist.total = 0;
  g_playlist.current = 0;
  g_playlist.passSongs = 0;
  g_playlist.failures = 0;
  g_playlist.busy = false;
  PostMessageA(frame, WM_CLOSE, 0, 0);
}

void SkipFailedSong(HWND frame) {
  ReportListSong(false);
  g_playlist.busy = false;
  PostMessageA(frame, WM_COMMAND, kCmdNextListSong, 0);
}

}  // namespace

bool IsPlaylistFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char head[kPlaylistTagLength] = {};
  DWORD got = 0;
  if (!ReadFile(file, head, sizeof head, &got, nullptr)) got = 0;
  CloseHandle(file);
  return got == kPlaylistTagLength && _strnicmp(head, kPlaylistTag, kPlaylistTagLength) == 0;
}

void PlayNextListSong(HWND frame) {
  // 2379 follows every end of play; without a list it is not ours.
  if (g_playlist.entries.empty()) return;
  if (EngineIsPlaying() || g_playlist.busy) return;
  g_playlist.busy = true;

  ListStep step = NextListSong();
  if (step.action == ListAction::kClose) {
    EndListPlay(frame);
    return;
  }
  const std::string path = ListSongPath(step.song);
  // Reading a playlist would restart list play from that list and, when it
  // names itself, load it for ever.
  if (IsPlaylistFile(path.c_str())) {
    SkipFailedSong(frame);
    return;
  }

  g_song.trackFileMode = 0;   // a list song replaces the song, never merges into it
  CloseSongWindows(frame);
  NewSong(frame);
  if (!ReadSongFile(frame, path.c_str())) {
    SkipFailedSong(frame);
    return;
  }
  SetDirFromPath(path.c_str());
  UpdateSongSize(frame);
  g_playlist.busy = false;
  RefreshTrackEditors(frame);
  PostMessageA(frame, WM_COMMAND, IDM_PLAY_START, 0);
}
