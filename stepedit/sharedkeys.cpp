#include "sharedkeys.h"

#include "appglobals.h"
#include "programstate.h"
#include "songmodel.h"
#include "stepservices.h"
#include "windownav.h"

namespace {

constexpr UINT kCmdPointEdit = 2356;
constexpr UINT kCmdStop = 2352;
constexpr UINT kCmdPause = 2353;

int g_lastDigitTrack = 0;

void FrameCommand(UINT id) {
  if (g_app.frame) SendMessageA(g_app.frame, WM_COMMAND, id, 0);
}

// The digit of a main-row or keypad digit key, -1 for any other key.
int DigitOfKey(WPARAM key) {
  if (key >= '0' && key <= '9') return static_cast<int>(key - '0');
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<int>(key - VK_NUMPAD0);
  return -1;
}

// The track's editor at the track's current play position.
void ShowTrackAtPlayPosition(int track) {
  ResetPlayCursors();
  int measure = 1, step = 1;
  if (g_prog.playTrackData && track >= 1 && track <= kMaxTracks) {
    const PlayMonRecord& record = g_prog.playTrackData[track - 1];
    measure = record.measure + 1;
    step = record.stepInMeasure;
  }
  OpenTrackEditor(nullptr, track, measure, step);
}

}  // namespace

int ChooseDigitTrack(int digit, bool shift, int lastChosen, int trackCount) {
  const int plain = digit == 0 ? 10 : digit;
  int choice = plain;
  if (shift && lastChosen > 0 && lastChosen % 10 == plain % 10) choice = lastChosen + 10;
  if (choice > trackCount) choice = plain;
  return choice > trackCount ? 0 : choice;
}

void HandleSharedKeys(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_CLEAR:
      FrameCommand(kCmdPointEdit);
      return;
    case VK_ESCAPE:
      FrameCommand(kCmdStop);
      return;
    case VK_HOME:
      FrameCommand(shift ? kCmdPointEdit : kCmdPause);
      return;
    case VK_SPACE:
      OpenPlayMonitor();
      return;
  }
  const int digit = DigitOfKey(key);
  if (digit < 0) return;
  const int track = ChooseDigitTrack(digit, shift, g_lastDigitTrack, g_song.trackCount);
  if (track == 0) return;
  g_lastDigitTrack = track;
  ShowTrackAtPlayPosition(track);
}
