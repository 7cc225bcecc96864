// The time code start time: its frame modes, its text, and bringing a start
// time the interface refuses down to one it takes.
#pragma once
#include <functional>
#include <string>

struct SmpteStartTime {
  int mode = 0;  // frame mode 0-4
  int hour = 0, minute = 0, second = 0, frame = 0, bit = 0;
};

// Bits of the interface's answer to a start time.
constexpr int kSmpteAccepted = 0x01;
constexpr int kSmpteHourHigh = 0x02;
constexpr int kSmpteMinuteHigh = 0x04;
constexpr int kSmpteSecondHigh = 0x08;
constexpr int kSmpteFrameHigh = 0x10;
constexpr int kSmpteFrameSkipped = 0x20;  // a frame the drop-frame count leaves out

// At most this many questions to the interface for one start time.
constexpr int kSmpteCheckRounds = 1024;
// A start-time field holds one byte.
constexpr int kSmpteFieldMax = 255;

// Asks the interface about the start time until it takes it: each round
// lowers what the answer calls too high and raises a skipped frame. It stops
// when the time is taken, when an answer names nothing to change (errors,
// which are negative, among them), when a round changes nothing (no field
// goes below 0, a frame above 255), or after kSmpteCheckRounds rounds. The
// mode is never changed.
SmpteStartTime SettleSmpteStartTime(SmpteStartTime time, const std::function<int(const SmpteStartTime&)>& check);

// Frame mode of a mode radio (-1 for another control), and the radio that
// shows a mode; mode 4 needs the interface's environment of 32 or more and
// shows as mode 0 without it.
int SmpteModeOfRadio(int controlId);
int SmpteRadioOfMode(int mode, bool modeFourOffered);
bool SmpteModeFourOffered(bool haveEnvironment, int environment);

// "%2d:%2d:%2d:%2d:%2d" of hour, minute, second, frame and sub-frame.
std::string SmpteTimeText(int hour, int minute, int second, int frame, int subFrame);
