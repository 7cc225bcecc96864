#include "timecode.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kAdjustBits = kSmpteHourHigh | kSmpteMinuteHigh | kSmpteSecondHigh | kSmpteFrameHigh | kSmpteFrameSkipped;

struct ModeRadio {
  int mode;
  int radio;
};
constexpr ModeRadio kModeRadios[] = {{0, 1617}, {1, 1618}, {2, 1619}, {3, 1620}, {4, 1627}};

int Lowered(int value) { return std::max(0, value - 1); }

bool SameTime(const SmpteStartTime& a, const SmpteStartTime& b) {
  return a.hour == b.hour && a.minute == b.minute && a.second == b.second && a.frame == b.frame && a.bit == b.bit;
}

}  // namespace

SmpteStartTime SettleSmpteStartTime(SmpteStartTime time, const std::function<int(const SmpteStartTime&)>& check) {
  if (!check) return time;
  for (int round = 0; round < kSmpteCheckRounds; ++round) {
    const int answer = check(time);
    // A negative answer is the driver's error, not a list of fields.
    if (answer < 0 || (answer & 0xFFFF) == kSmpteAccepted || !(answer & kAdjustBits)) break;
    const SmpteStartTime before = time;
    if (answer & kSmpteHourHigh) time.hour = Lowered(time.hour);
    if (answer & kSmpteMinuteHigh) time.minute = Lowered(time.minute);
    if (answer & kSmpteSecondHigh) time.second = Lowered(time.second);
    if (answer & kSmpteFrameHigh) time.frame = Lowered(time.frame);
    if (answer & kSmpteFrameSkipped) time.frame = std::min(kSmpteFieldMax, time.frame + 1);
    if (SameTime(before, time)) break;
  }
  return time;
}

int SmpteModeOfRadio(int controlId) {
  for (const ModeRadio& m : kModeRadios)
    if (m.radio == controlId) return m.mode;
  return -1;
}

int SmpteRadioOfMode(int mode, bool modeFourOffered) {
  if (mode == 4 && !modeFourOffered) mode = 0;
  for (const ModeRadio& m : kModeRadios)
    if (m.mode == mode) return m.radio;
  return kModeRadios[0].radio;
}

bool SmpteModeFourOffered(bool haveEnvironment, int environment) { return haveEnvironment && environment >= 32; }

std::string SmpteTimeText(int hour, int minute, int second, int frame, int subFrame) {
  char text[64];
  std::snprintf(text, sizeof text, "%2d:%2d:%2d:%2d:%2d", hour, minute, second, frame, subFrame);
  return text;
}
