// Whole-track editing over the song's tables: copy, cut, paste, delete, new
// tracks, moving and duplicating a track. Each track's six table words (its
// header and event block handles, its editor window, state word and two
// cached totals) move as one entry, so every open step editor keeps its own
// track. No windows here: each operation says what the track window must do
// afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editmodel.h"
#include "zk/song.h"

// Commands of the track window's menus and popups.
constexpr UINT kCmdTrackOpen = 4300;
constexpr UINT kCmdTrackProperties = 4111;
constexpr UINT kCmdTrackCut = 40007;
constexpr UINT kCmdTrackCopy = 40001;
constexpr UINT kCmdTrackPaste = 40002;
constexpr UINT kCmdTrackDelete = 40004;
constexpr UINT kCmdTrackNewNormal = 40005;
constexpr UINT kCmdTrackNewRhythm = 40006;
constexpr UINT kCmdTrackMoveHere = 40008;
constexpr UINT kCmdTrackCopyHere = 40009;
constexpr UINT kCmdTrackDragCancel = 40010;

// A track header and an event block owned together; both are freed when the
// owner goes. Move-only.
class TrackBlocks {
 public:
  TrackBlocks() = default;
  TrackBlocks(HGLOBAL header, HGLOBAL events) : header_(header), events_(events) {}
  ~TrackBlocks() { Reset(); }
  TrackBlocks(TrackBlocks&& other) noexcept;
  TrackBlocks& operator=(TrackBlocks&& other) noexcept;
  TrackBlocks(const TrackBlocks&) = delete;
  TrackBlocks& operator=(const TrackBlocks&) = delete;

  HGLOBAL header() const { return header_; }
  HGLOBAL events() const { return events_; }
  // Either block missing: a paste from it does nothing.
  bool Empty() const { return !header_ || !events_; }
  void Reset();
  // Gives the blocks up without freeing them (they went into the song).
  void Release();

 private:
  HGLOBAL header_ = nullptr;
  HGLOBAL events_ = nullptr;
};

// The program's copy of one whole track (not the system clipboard): a copy
// of the 48-byte header and of the event block, as large as the source's.
using TrackClipboard = TrackBlocks;
extern TrackClipboard g_trackClipboard;

enum class TrackOpFailure {
  None,
  LastTrack,       // delete or cut of the only track
  TracksFull,      // an insert at the track limit
  BadIndex,        // an index outside the song's tracks
  EmptyClipboard,  // a paste with nothing copied
  Playing,         // the tables change only while nothing plays
  NoSong,          // the context has no handle table
  NoMemory,
};

// An open editor whose track number changed.
struct TrackRenumber {
  int from;  // 1-based, before
  int to;    // 1-based, after
};

// What an operation asks of the track window. Failures change nothing and
// show no message; the popup has its items greyed in the same cases.
struct TrackOpResult {
  EditStatus status = EditStatus::Ok;
  TrackOpFailure failure = TrackOpFailure::None;
  UINT messageId = 0;     // message to show, 0 none
  UINT messageStyle = 0;
  bool beep = false;
  int trackCount = 0;     // the song's track count after the operation
  bool changed = false;   // tables rearranged: repaint; the song is marked modified
  // Open editors given a new track number (their `track` is already set);
  // each needs its caption refreshed (`TrackTitleText`) and the shell's
  // current track number follows when it is the current editor.
  std::vector<TrackRenumber> renumbered;
  std::vector<int> retitle;  // track numbers after the operation
  // The removed track's editor, to be closed (WM_CLOSE); it is out of the
  // tables already and still holds the removed blocks.
  HWND closeWindow = nullptr;
  StepEditModel* closeEditor = nullptr;
  int closeTrack = 0;        // its track number before the removal
  // The removed track's blocks: freed with the result, so after the editor
  // that still points at them has been closed.
  TrackBlocks released;
};

// Most tracks an insert may make: [OTHER] MaxTrack, at most 99.
int TrackInsertLimit(const StepSongContext& ctx);

// Copies track index + 1 (header and whole event block, its editor's gap
// closed first) into the clipboard, replacing what it held. The clipboard is
// unchanged on failure.
TrackOpResult CopyTrack(StepSongContext& ctx, int index, TrackClipboard& clipboard);

// Inserts copies of the header and event block as track index + 1 (index
// 0..track count): later tracks move up one place, the new one has no
// editor, state word 3 and zero totals; every header's track-number byte is
// set to its position and the song header's count updated. The caller's
// blocks stay with the caller. Nothing happens for a missing block, while
// playing or at the track limit.
TrackOpResult InsertTrackAt(StepSongContext& ctx, int index, HGLOBAL header, HGLOBAL events);

// Removes track index + 1; refused for the only track. Later tracks move
// down one place and are renumbered. Its editor is handed back to be closed,
// its blocks in `released`.
TrackOpResult DeleteTrack(StepSongContext& ctx, int index);

// Copy then delete; refused (clipboard unchanged) when the delete would be.
TrackOpResult CutTrack(StepSongContext& ctx, int index, TrackClipboard& clipboard);

// The header of a new track n (1-based): as a new song's track n, with the
// rhythm and key-shift bytes both 0x80 for a rhythm track and both 0 for a
// normal one.
TrackHeader NewTrackHeaderBytes(int n, bool rhythm);
// Inserts a new empty normal or rhythm track as track index + 1.
TrackOpResult InsertNewTrack(StepSongContext& ctx, int index, bool rhythm);

// Where the track list's rows are: what the paste target is taken from.
struct TrackListView {
  int mode = 1;        // TrackWindowMode: 0 track view list, 1 and 2 set-up
  int top = 0;         // index of the track on row 2
  int lineHeight = 0;  // pixels per row
};
// Where a paste or new track goes for a context menu opened at y: the
// current index in the track view list; 0 on the two header rows; the track
// count (append) on a row below the last track; else the current index.
int PasteTargetIndex(const TrackListView& view, int currentIndex, int y, int trackCount);

// Moves track source + 1 to target + 1 (both indexes of the song's tracks):
// the tracks between move one place toward the source. Headers and editors
// are renumbered. The same index changes nothing.
TrackOpResult MoveTrackTo(StepSongContext& ctx, int source, int target);
// Inserts a copy of track source + 1 at target (an index of the song's
// tracks), with no editor and the source's cached totals. The same index
// changes nothing.
TrackOpResult CopyTrackTo(StepSongContext& ctx, int source, int target);

// The caption of track index + 1's step editor ("Tr.%2d   " and the memo);
// false, caption untouched, when the track has no editor or no header.
bool TrackTitleText(const StepSongContext& ctx, int index, std::string* caption);

// Enabled states of the two track popups, set just before they open.
struct TrackMenuState {
  UINT id;
  bool enabled;
};
// "IDTRKCONTEXT": open and properties always; the editing items greyed while
// playing or mixing; paste and the new tracks only below the track limit.
std::vector<TrackMenuState> TrackContextMenuStates(const StepSongContext& ctx, bool mixing);
// "IDTRKDRAGDROP": cancel always; move unless playing or mixing; copy also
// below the track limit.
std::vector<TrackMenuState> TrackDragMenuStates(const StepSongContext& ctx, bool mixing);
