// Reading a song file into the open song; File Open and the recent files.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "afteropen.h"
#include "appglobals.h"
#include "controlfiles.h"
#include "engine.h"
#include "msgbox.h"
#include "opendlg.h"
#include "pathname.h"
#include "playlist.h"
#include "recent.h"
#include "resource.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"
#include "songread_internal.h"
#include "stepservices.h"
#include "trackattach.h"
#include "viewglobals.h"
#include "viewservices.h"
#include "viewwindows.h"
#include "wholefile.h"
#include "windownav.h"

namespace {

constexpr WPARAM kPlayNextListSong = 2379;
constexpr int kKeptTracks = 18;

HGLOBAL NewBlock(const void* bytes, size_t size, size_t blockSize) {
  HGLOBAL h = GlobalAlloc(kShareableZeroed, blockSize);
  if (!h) return nullptr;
  auto* p = static_cast<uint8_t*>(GlobalLock(h));
  std::memset(p, 0xFE, blockSize);
  std::memcpy(p, bytes, size);
  GlobalUnlock(h);
  return h;
}

// One file track ready to go into the song.
struct StagedTrack {
  HGLOBAL header = nullptr;
  HGLOBAL events = nullptr;
};

void FreeStaged(std::vector<StagedTrack>& staged) {
  for (StagedTrack& t : staged) {
    if (t.header) GlobalFree(t.header);
    if (t.events) GlobalFree(t.events);
    t = {};
  }
}


void ShowUnreadable(const char* path) {
  ShowMessageById(nullptr, MB_OK | MB_ICONSTOP, IDS_NOT_SONG_DATA, path);
}

// The own format. The whole file is checked and every block made before the
// song is touched, so a damaged file leaves the song as it was.
int ReadOwnFormat(HANDLE file, DWORD size, const SongHeader& head, const char* path,
                  SongHandleTable* table, int& lastTrack) {
  HGLOBAL image = ReadWholeFile(file, size);
  if (!image) {
    ShowUnreadable(path);
    return 0;
  }
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(image));
  int mode = g_song.trackFileMode;
  int stored = head.trackCount ? head.trackCount : 18;
  int first = mode == 2 ? kKeptTracks + 1 : 1;
  int last = first + stored - 1;
  bool tooMany = last > g_song.maxTrack;
  if (tooMany) last = g_song.maxTrack;
  if (last > kMaxTracks) last = kMaxTracks;
  int count = last >= first ? last - first + 1 : 0;

  std::vector<StoredTrack> where(count);
  std::vector<StagedTrack> staged(count);
  bool ok = FindStoredTracks(bytes, size, count, where.data());
  for (int i = 0; ok && i < count; ++i) {
    const uint8_t* at = bytes + where[i].offset;
    staged[i].header = NewBlock(at, kTrackHeaderFileSize, sizeof(TrackHeader));
    staged[i].events = NewBlock(at + kTrackHeaderFileSize, where[i].eventBytes,
                                where[i].eventBytes + sizeof(StepEvent));
    ok = staged[i].header && staged[i].events;
    if (ok) {
      // The stored size counts 46 header bytes, the one in memory 48; the
      // two bytes beyond the stored ones are not the block filler.
      auto* th = static_cast<TrackHeader*>(GlobalLock(staged[i].header));
      th->size += sizeof(TrackHeader) - kTrackHeaderFileSize;
      std::memset(th->unstored, 0, sizeof th->unstored);
      GlobalUnlock(staged[i].header);
    }
  }
  GlobalUnlock(image);
  GlobalFree(image);
  if (!ok) {
    FreeStaged(staged);
    ShowUnreadable(path);
    return 0;
  }
  if (tooMany) {
    ShowMessageById(nullptr, MB_OK | MB_ICONEXCLAMATION, IDS_TOO_MANY_TRACKS);
  }

  auto* songHeader = static_cast<SongHeader*>(GlobalLock(table->h[kHeaderEntry]));
  if (mode == 0) *songHeader = head;
  if (tooMany) songHeader->trackCount = static_cast<uint16_t>(g_song.maxTrack);
  int songTimeBase = songHeader->timeBase;
  GlobalUnlock(table->h[kHeaderEntry]);

  for (int i = 0; i < count; ++i) {
    int k = first + i;
    HGLOBAL& th = table->h[TrackHeaderEntry(k)];
    if (th) GlobalFree(th);
    th = staged[i].header;
    HGLOBAL& eh = table->h[TrackEventsEntry(k)];
    if (mode != 0) {
      // The song keeps its own header, so the file's tracks take its time base.
      auto* events = static_cast<StepEvent*>(GlobalLock(staged[i].events));
      RescaleTimeBase(events, static_cast<int>(GlobalSize(staged[i].events) / sizeof(StepEvent)),
                      head.timeBase, songTimeBase);
      GlobalUnlock(staged[i].events);
    }
    if (mode == 1) {
      AppendIntoSongTrack(table, k, staged[i].events);
      GlobalFree(staged[i].events);
    } else {
      if (eh) GlobalFree(eh);
      eh = staged[i].events;
    }
  }
  lastTrack = last;
  return 1;
}

// While a file is read the frame takes no input and refuses to close, so
// that no box shown meanwhile (a filter's among them, whoever owns it) lets
// the song be freed under the read.
class FrameHeldForRead {
 public:
  explicit FrameHeldForRead(HWND frame)
      : frame_(frame && IsWindow(frame) ? frame : nullptr),
        active_(frame_ && GetActiveWindow() == frame_),
        disabled_(frame_ && !EnableWindow(frame_, FALSE)) {}
  ~FrameHeldForRead() {
    if (!disabled_) return;
    EnableWindow(frame_, TRUE);
    // Whatever the read showed took the activation away with it.
    if (active_ && GetActiveWindow() != frame_) SetActiveWindow(frame_);
  }
  FrameHeldForRead(const FrameHeldForRead&) = delete;
  FrameHeldForRead& operator=(const FrameHeldForRead&) = delete;

 private:
  HWND frame_;
  bool active_;
  bool disabled_;
};

bool IsPlaylist(const char* head, DWORD length) {
  static const char kTag[] = "; LoopcastFiles";
  return length >= 15 && _strnicmp(head, kTag, 15) == 0;
}

}  // namespace

bool FillMissingSongEntries(SongHandleTable* table, int trackCount) {
  bool ok = true;
  if (!table->h[kHeaderEntry]) {
    // A default header also resets the song's counts: keep ours.
    SongGlobals kept = g_song;
    table->h[kHeaderEntry] = MakeDefaultSongHeader();
    g_song = kept;
    ok = table->h[kHeaderEntry] != nullptr;
  }
  for (int n = 1; n <= trackCount && n <= kMaxTracks; ++n) {
    if (!table->h[TrackHeaderEntry(n)]) table->h[TrackHeaderEntry(n)] = NewTrackHeader(n);
    if (!table->h[TrackEventsEntry(n)]) table->h[TrackEventsEntry(n)] = NewEmptyTrack();
    ok = ok && table->h[TrackHeaderEntry(n)] && table->h[TrackEventsEntry(n)];
  }
  return ok;
}

int ReadSongFile(HWND frame, const char* path) {
  FrameHeldForRead held(frame);
  HCURSOR oldCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SongDocument* doc = LockSongDocument(frame);
  if (!doc || !doc->handleTable) {
    if (doc) UnlockSongDocument(frame);
    SetCursor(oldCursor);
    return 0;
  }
  doc->word1 = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    UnlockSongDocument(frame);
    SetCursor(oldCursor);
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_OPEN, path);
    return 0;
  }
  DWORD size = GetFileSize(file, nullptr);
  HGLOBAL head = GlobalAlloc(kShareableZeroed, sizeof(SongHeader));
  DWORD headBytes = ReadFileIntoBlock(file, sizeof(SongHeader), head);
  SongHeader headCopy{};
  if (head) {
    headCopy = *static_cast<const SongHeader*>(GlobalLock(head));
    GlobalUnlock(head);
  }

  if (IsPlaylist(headCopy.signature, headBytes)) {
    CloseHandle(file);
    if (head) GlobalFree(head);
    UnlockSongDocument(frame);
    ReadPlaylist(path);
    if (frame) PostMessageA(frame, WM_COMMAND, kPlayNextListSong, 0);
    SetCursor(oldCursor);
    return 1;
  }

  auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
  int lastTrack = 0;
  int read;
  if (headBytes >= sizeof headCopy.signature &&
      std::memcmp(headCopy.signature, kSongSignature, sizeof headCopy.signature) == 0) {
    read = ReadOwnFormat(file, size, headCopy, path, table, lastTrack);
  } else {
    read = head ? ReadForeignFile(frame, file, size, head, path, table) : 0;
  }
  CloseHandle(file);
  if (head) GlobalFree(head);
  if (!read) {
    LocalUnlock(doc->handleTable);
    UnlockSongDocument(frame);
    SetCursor(oldCursor);
    return 0;
  }

  if (!g_app.portsUnavailable) SendInitAfterFileOpen();
  FillMissingSongEntries(table, g_song.trackCount);
  HGLOBAL hh = table->h[kHeaderEntry];
  auto* header = static_cast<SongHeader*>(GlobalLock(hh));
  g_settings.smpteMode = header->smpte.mode;
  g_settings.smpteHour = header->smpte.hours;
  g_settings.smpteMin = header->smpte.minutes;
  g_settings.smpteSec = header->smpte.seconds;
  g_settings.smpteFrame = header->smpte.frames;
  g_settings.smpteBit = header->smpte.bits;
  std::memcpy(g_song.markers, header->markers, sizeof g_song.markers);
  char mt32Name[16], gsName[16];
  std::memcpy(mt32Name, header->mt32File, sizeof mt32Name);
  std::memcpy(gsName, header->gsFile, sizeof gsName);

  // Tracks loaded past the old count belong to the song too.
  int count = g_song.trackCount;
  if (header->trackCount > count) count = header->trackCount;
  if (lastTrack > count) count = lastTrack;
  // A filter's count is kept to maxTrack too (the song may already be larger).
  int limit = g_song.trackCount > g_song.maxTrack ? g_song.trackCount : g_song.maxTrack;
  if (count > limit) count = limit;
  if (count > kMaxTracks) count = kMaxTracks;
  g_song.trackCount = count;
  header->trackCount = static_cast<uint16_t>(count);
  GlobalUnlock(hh);
  // Tracks between the old count and the first loaded one are made empty.
  FillMissingSongEntries(table, g_song.trackCount);
  LocalUnlock(doc->handleTable);
  if (doc->trackWindows) {
    auto* tw = static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows));
    for (uint32_t& state : tw->state) state = 2;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(frame);

  LoadControlFiles(path, mt32Name, gsName);
  RepaintMarkerButtons();
  SetSongTitle(path);
  if (!g_app.portsUnavailable && GetKeyState(VK_CONTROL) >= 0) SendControlData(frame);
  SetCursor(oldCursor);
  return 1;
}

namespace {

// What [OTHER] SongLoadAfter asks to see after a song is opened.
constexpr int32_t kAfterLoadConductor = 0x01;
constexpr int32_t kAfterLoadMemo = 0x02;
constexpr int32_t kAfterLoadTrackList = 0x04;

bool ShownAndNotIconic(HWND window) { return window && IsWindow(window) && !IsIconic(window); }

}  // namespace

void OpenSongFile(const char* path) {
  if (EngineIsPlaying()) return;
  HWND frame = g_app.frame;
  if (path && *path) {
    const std::string full = FullPathOf(path);
    if (g_song.trackFileMode == 0) {
      CloseSongWindows(frame);
      NewSong(frame);
    }
    // Only a read that succeeded gives the song a name of its own.
    if (ReadSongFile(frame, full.c_str())) g_song.untitled = 0;
    AddRecentFile(full.c_str());
    SaveLastDirectory(full.c_str(), kLastDataDirectoryKey, 1);
  }
  RenumberAllSameMeasureRefs();
  UpdateSongSize(frame);
  RefreshTrackEditors(frame);

  const int32_t after = g_settings.songLoadAfter;
  if (after & kAfterLoadTrackList) {
    // The window as it is open, or in the mode it was last shown in.
    OpenTrackWindow(nullptr, g_viewWindows.trackWindowMode);
  }
  if (after & kAfterLoadConductor) OpenConductor(nullptr);
  if ((after & kAfterLoadMemo) && frame) ShowSongMemo(frame);

  if (ShownAndNotIconic(g_views.conductor)) {
    ShowConductorFields();
    InvalidateRect(g_views.conductor, nullptr, TRUE);
  }
  if (ShownAndNotIconic(g_views.userExclusive)) InvalidateRect(g_views.userExclusive, nullptr, TRUE);
}

void OpenRecentFile(UINT commandId) {
  if (commandId < kRecentFileFirstId || commandId >= kRecentFileFirstId + kRecentFileCount) return;
  g_song.trackFileMode = 0;
  if (GetKeyState(VK_SHIFT) < 0) {
    g_song.trackFileMode = 2;
    g_song.startTrack = 18;
  }
  std::string path = RecentFile(static_cast<int>(commandId - kRecentFileFirstId) + 1);
  OpenSongFile(path.c_str());
}
