// The banner (splash) and play monitor libraries the display set-up offers,
// and the rules by which its controls show and set the display settings.
// Plain functions: libraries are probed through a function the caller hands
// in.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a library's ordinal 2048 (GetLogoType, GetPlaymonType) says of it.
struct LibraryTexts {
  std::string title;
  std::string version;
};
// Loads file, asks its ordinal 2048, frees it; false when the library does
// not load or has no ordinal 2048.
using LibraryProber = std::function<bool(const std::string& file, LibraryTexts& out)>;
bool ProbeLibraryTexts(const std::string& file, LibraryTexts& out);

// One line of a candidate list; candidate is the n of the "Applet%d" that
// produced it, -1 for the first line, none.
struct CandidateLine {
  std::string title;
  int candidate = -1;
};
struct CandidateList {
  std::vector<CandidateLine> lines;
  int selection = 0;  // the line of the current library, 0 when it is not listed
};
// noneText first, then, in order, each file that probes with a version of 2
// or more. The current library selects its own line only.
CandidateList ListCandidates(const std::string& noneText, const std::vector<std::string>& files,
                             const std::string& current, const LibraryProber& probe);

// The value of [section] prefix0, prefix1 ... up to the first empty one.
std::vector<std::string> ReadCandidateFiles(const char* section, const char* prefix);
// [section] prefix0 .. prefix<count - 1>, "" where none.
std::vector<std::string> ReadIndexedValues(const char* section, const char* prefix, int count);

// The file the line stands for: files[its candidate]; "" for the none line
// or a line that is not there.
std::string CandidateFileOf(const CandidateList& list, int line, const std::vector<std::string>& files);

// [Default Display] ToolBar: low 7 bits place the bar (1 top, 2 bottom,
// 0 none), bit 0x80 shows help while a button is pressed.
constexpr int kToolBarHelpBit = 0x80;
enum class BarPlace { Top, Bottom, None };
BarPlace ToolBarPlace(int toolBar);
bool ToolBarHelp(int toolBar);
int ToolBarValue(BarPlace place, bool help);
// [Default Display] StatusBar: 1 top, 2 bottom, 0 none (any other shows as
// none).
BarPlace StatusBarPlace(int statusBar);
int StatusBarValue(BarPlace place);

// [Default Display] TitleBar bits: application name, song title, file name.
constexpr int kTitleAppBit = 1;
constexpr int kTitleSongBit = 2;
constexpr int kTitleFileBit = 4;
struct TitleChecks {
  bool app = false;
  bool song = false;
  bool file = false;
};
TitleChecks TitleBarChecks(int titleBar);
int TitleBarValue(const TitleChecks& checks);

// [other] ChgStrategy 0-3 as its radio (0-3; any other shows as 0).
int StrategyRadio(int chgStrategy);

// [other] QKey against TrSwap: the Shift+Ctrl radio shows when QKey is set
// exactly when TrSwap is; choosing it stores QKey = (TrSwap != 0), the Shift
// radio QKey = (TrSwap == 0).
bool QKeyShowsShiftCtrl(int qKey, int trSwap);
int QKeyValue(bool shiftCtrl, int trSwap);

// [other] WindowMax from the number typed: taken as signed 16-bit, 99 or
// more stores 99, less than 2 stores 1.
int16_t WindowMaxValue(long typed);
