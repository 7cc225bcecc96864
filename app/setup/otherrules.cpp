#include "otherrules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "pathname.h"

namespace {

constexpr int kShiftUpDownIds[] = {1027, 1028, 1029};
constexpr int kShiftUpDownValues[] = {0, 1, 2};
constexpr int kReverseIds[] = {1030, 1031};
constexpr int kReverseValues[] = {0, 1};
constexpr int kDragDropIds[] = {1452, 1453, 1454, 1455};
constexpr int kDragDropValues[] = {0, 1, 2, 3};
constexpr int kThruIds[] = {1552, 1553, 1554};
constexpr int kThruValues[] = {1, 0, 2};  // ON, OFF, REC
constexpr int kRecPortIds[] = {1556, 1557};
constexpr int kRecPortValues[] = {0, 1};
constexpr int kEditModeIds[] = {1559, 1560, 1561, 1562, 1563, 1564};
constexpr int kSixValues[] = {0, 1, 2, 3, 4, 5};
constexpr int kActiveWindowIds[] = {1566, 1567, 1568, 1569, 1570, 1571};

}  // namespace

const RadioGroup kShiftUpDownRadios = MakeRadioGroup(kShiftUpDownIds, kShiftUpDownValues);
const RadioGroup kReverseUpDownRadios = MakeRadioGroup(kReverseIds, kReverseValues);
const RadioGroup kDragDropRadios = MakeRadioGroup(kDragDropIds, kDragDropValues);
const RadioGroup kMidiThruRadios = MakeRadioGroup(kThruIds, kThruValues);
const RadioGroup kMidiRecPortRadios = MakeRadioGroup(kRecPortIds, kRecPortValues);
const RadioGroup kEditModeRadios = MakeRadioGroup(kEditModeIds, kSixValues);
const RadioGroup kActiveWindowRadios = MakeRadioGroup(kActiveWindowIds, kSixValues);

int RadioForValue(const RadioGroup& group, int value, bool firstWhenUnmatched) {
  for (int i = 0; i < group.count; ++i)
    if (group.values[i] == value) return group.ids[i];
  return firstWhenUnmatched && group.count > 0 ? group.ids[0] : 0;
}

int ValueForRadio(const RadioGroup& group, int checkedId, int stored) {
  for (int i = 0; i < group.count; ++i)
    if (group.ids[i] == checkedId) return group.values[i];
  return stored;
}

std::vector<std::string> TimeBaseListTexts() {
  std::vector<std::string> texts;
  for (int d = 1; d <= 10; ++d) {
    if (480 % d != 0) continue;
    char text[32];
    std::snprintf(text, sizeof text, "                      %3d", 480 / d);
    texts.emplace_back(text);
  }
  return texts;
}

int TimeBaseListIndex(int timeBase) {
  int index = 0;
  for (int d = 1; d <= 10; ++d) {
    if (480 % d != 0) continue;
    if (480 / d == timeBase) return index;
    ++index;
  }
  return -1;
}

bool TimeBaseFromText(const char* text, int* timeBase) {
  char* end = nullptr;
  const long value = text ? std::strtol(text, &end, 10) : 0;
  if (value == 0) {
    *timeBase = kTimeBaseMax;
    return true;
  }
  if (value < kTimeBaseMin || value > kTimeBaseMax) return false;
  *timeBase = static_cast<int>(value);
  return true;
}

int NormalTrackCountOnOk(int typed, int maxInForce) {
  int count = typed == 0 ? kDefaultTrackCount : typed;
  if (count >= maxInForce) count = maxInForce;
  if (count < 2) count = 1;
  return count;
}

int MaxTrackCountOnOk(int typed) {
  int count = typed == 0 ? kDefaultTrackCount : typed;
  if (count >= 99) count = 99;
  if (count < 2) count = 1;
  return count;
}

int IntervalMinutesShown(int saveIntervalMs) { return saveIntervalMs / 60000; }

int IntervalMsFromMinutes(int minutes) {
  return std::clamp(minutes, kIntervalMinutesMin, kIntervalMinutesMax) * 60000;
}

int SaveMaxOnOk(int typed) { return std::clamp(typed, kSaveMaxMin, kSaveMaxMax); }

std::string AutoSavePathShown(const char* tmpPath) {
  return PathFolder(tmpPath ? tmpPath : "") + "zktmp.g36";
}
