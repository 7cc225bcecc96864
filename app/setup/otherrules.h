// The rules of the key, drag-and-drop, start-up, other and auto-save
// settings dialogs, apart from any window: which radio shows a stored
// value, the time base list and check, the track counts, the auto-save
// numbers and the auto-save path shown.
#pragma once
#include <string>
#include <vector>

// A row of radios, each standing for one stored value.
struct RadioGroup {
  const int* ids;
  const int* values;
  int count;
};
template <int N>
constexpr RadioGroup MakeRadioGroup(const int (&ids)[N], const int (&values)[N]) {
  return {ids, values, N};
}

// The radio that shows value; 0 when none stands for it (or, with
// firstWhenUnmatched, the first radio).
int RadioForValue(const RadioGroup& group, int value, bool firstWhenUnmatched);
// The value of the checked radio; stored when checkedId is none of the
// group's (nothing checked keeps what was there).
int ValueForRadio(const RadioGroup& group, int checkedId, int stored);

// The radio rows of the key (1000), drag-and-drop (1450) and start-up (1550)
// dialogs.
extern const RadioGroup kShiftUpDownRadios;   // [KEY] SHIFTUPDOWN
extern const RadioGroup kReverseUpDownRadios; // [KEY] REVERSUPDOWN
extern const RadioGroup kDragDropRadios;      // [DragDrop] DragDropEdit
extern const RadioGroup kMidiThruRadios;      // [StartUp] MIDITHRU
extern const RadioGroup kMidiRecPortRadios;   // [StartUp] MIDIRECPort
extern const RadioGroup kEditModeRadios;      // [StartUp] EditMode
extern const RadioGroup kActiveWindowRadios;  // [StartUp] ActiveWindow

// Time bases a song may have: a view or the recording conversion divides
// 480 by it, so above 480 nothing works, and below 48 a step of the editor
// is coarser than its own columns allow.
constexpr int kTimeBaseMin = 48;
constexpr int kTimeBaseMax = 480;
// The texts of the time base list: 480 / d for the d of 1-10 that divide
// 480, each after 22 blanks, right-aligned in three places.
std::vector<std::string> TimeBaseListTexts();
// The list entry showing timeBase; -1 when none does.
int TimeBaseListIndex(int timeBase);
// The time base typed into the field: its leading number, no number or 0
// meaning 480. False (and timeBase untouched) for a value outside
// kTimeBaseMin-kTimeBaseMax.
bool TimeBaseFromText(const char* text, int* timeBase);

// Track counts on OK. The normal count is bounded by the maximum in force
// when OK was pressed (it is stored before the new maximum).
constexpr int kDefaultTrackCount = 36;
int NormalTrackCountOnOk(int typed, int maxInForce);
int MaxTrackCountOnOk(int typed);

// Auto-save: the interval is kept in milliseconds and shown in minutes
// (1-999: more would not fit the 32-bit value, 0 saves on every message);
// the history count is 1-99 (0 never brings the file number back to 0).
constexpr int kIntervalMinutesMin = 1;
constexpr int kIntervalMinutesMax = 999;
constexpr int kSaveMaxMin = 1;
constexpr int kSaveMaxMax = 99;
int IntervalMinutesShown(int saveIntervalMs);
int IntervalMsFromMinutes(int minutes);
int SaveMaxOnOk(int typed);
// The auto-save path the dialog shows: the drive and folder of TmpPath with
// the name "zktmp.g36".
std::string AutoSavePathShown(const char* tmpPath);
