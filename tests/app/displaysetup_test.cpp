// The display set-up without its dialogs: which banner and play monitor
// libraries are offered and what a chosen line stores, and how the bars,
// caption, window opening and display switch controls show and set their
// settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "candidates.h"
#include "dispswitchdlg.h"

namespace {

constexpr char kNone[] = "なし";

// Libraries by file name as ordinal 2048 would describe them; a name that is
// not here does not load.
LibraryProber FakeProbe(const std::map<std::string, LibraryTexts>& libraries, std::vector<std::string>* probed = nullptr) {
  return [libraries, probed](const std::string& file, LibraryTexts& out) {
    if (probed) probed->push_back(file);
    const auto at = libraries.find(file);
    if (at == libraries.end()) return false;
    out = at->second;
    return true;
  };
}

const std::map<std::string, LibraryTexts> kLibraries = {
    {"old.dll", {"古いバナー", "1.00"}},
    {"a.dll", {"バナーA", "2.00"}},
    {"b.dll", {"バナーB", "2.10"}},
};

std::vector<std::string> Titles(const CandidateList& list) {
  std::vector<std::string> titles;
  for (const CandidateLine& line : list.lines) titles.push_back(line.title);
  return titles;
}

TEST(DisplayCandidatesTest, AnOldVersionIsLeftOutAndLaterLinesKeepTheirOwnLibraries) {
  const std::vector<std::string> applets = {"old.dll", "a.dll", "missing.dll", "b.dll"};
  const std::vector<std::string> pluginApplets = {"pold.dll", "pa.dll", "pmissing.dll", "pb.dll"};
  std::vector<std::string> probed;
  const CandidateList list = ListCandidates(kNone, applets, "B.DLL", FakeProbe(kLibraries, &probed));
  EXPECT_EQ(probed, applets);
  EXPECT_EQ(Titles(list), (std::vector<std::string>{kNone, "バナーA", "バナーB"}));
  EXPECT_EQ(list.selection, 2) << "file names compare without case";
  EXPECT_EQ(CandidateFileOf(list, 1, applets), "a.dll");
  EXPECT_EQ(CandidateFileOf(list, 1, pluginApplets), "pa.dll");
  EXPECT_EQ(CandidateFileOf(list, 2, applets), "b.dll");
  EXPECT_EQ(CandidateFileOf(list, 2, pluginApplets), "pb.dll");
  EXPECT_EQ(CandidateFileOf(list, 0, applets), "");
  EXPECT_EQ(CandidateFileOf(list, 0, pluginApplets), "");
  EXPECT_EQ(CandidateFileOf(list, 3, applets), "") << "no such line";
  EXPECT_EQ(CandidateFileOf(list, -1, applets), "");
}

TEST(DisplayCandidatesTest, TheCurrentLibrarySelectsOnlyItsOwnLine) {
  const std::vector<std::string> applets = {"a.dll", "old.dll", "missing.dll", "b.dll"};
  struct Case {
    const char* current;
    int selection;
  };
  const Case cases[] = {
      {"a.dll", 1},
      {"b.dll", 2},
      {"old.dll", 0},      // not listed: not the line of a.dll before it
      {"missing.dll", 0},  // does not load
      {"other.dll", 0},    // not a candidate
      {"", 0},
  };
  for (const Case& c : cases) {
    const CandidateList list = ListCandidates(kNone, applets, c.current, FakeProbe(kLibraries));
    EXPECT_EQ(list.selection, c.selection) << c.current;
  }
}

TEST(DisplayCandidatesTest, NoCandidatesLeaveOnlyNoneWhichStoresEmptyNames) {
  const std::vector<std::string> none;
  const CandidateList list = ListCandidates(kNone, none, "a.dll", FakeProbe(kLibraries));
  EXPECT_EQ(Titles(list), (std::vector<std::string>{kNone}));
  EXPECT_EQ(list.selection, 0);
  EXPECT_EQ(CandidateFileOf(list, 0, none), "");
}

TEST(DisplayCandidatesTest, ListedFromTheIntegerValueTwoOfTheVersion) {
  struct Case {
    const char* version;
    bool listed;
  };
  const Case cases[] = {{"2", true},    {"2.00", true},  {"10.5", true}, {"1.99", false},
                        {"0002", true}, {"", false},     {"v2.0", false}, {" 2", false}};
  for (const Case& c : cases) {
    const std::map<std::string, LibraryTexts> libraries = {{"x.dll", {"X", c.version}}};
    const CandidateList list = ListCandidates(kNone, {"x.dll"}, "", FakeProbe(libraries));
    EXPECT_EQ(list.lines.size(), c.listed ? 2u : 1u) << '"' << c.version << '"';
  }
}

TEST(DisplayCandidatesTest, ALibraryThatDoesNotLoadIsNotDescribed) {
  LibraryTexts texts{"kept", "kept"};
  EXPECT_FALSE(ProbeLibraryTexts("no_such_banner_library.dll", texts));
  EXPECT_FALSE(ProbeLibraryTexts("", texts));
  EXPECT_EQ(texts.title, "kept");
}

TEST(DisplayBarsTest, ToolBarShowsItsPlaceFromTheLowSevenBitsAndHelpFromBit80) {
  struct Case {
    int stored;
    BarPlace place;
    bool help;
  };
  const Case cases[] = {
      {0, BarPlace::None, false},   {1, BarPlace::Top, false},    {2, BarPlace::Bottom, false},
      {3, BarPlace::None, false},   {0x81, BarPlace::Top, true},  {0x82, BarPlace::Bottom, true},
      {0x85, BarPlace::None, true}, {0x101, BarPlace::Top, false}, {-1, BarPlace::None, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToolBarPlace(c.stored), c.place) << c.stored;
    EXPECT_EQ(ToolBarHelp(c.stored), c.help) << c.stored;
  }
  // Stored from zero: bits the controls do not show go.
  EXPECT_EQ(ToolBarValue(BarPlace::Top, false), 1);
  EXPECT_EQ(ToolBarValue(BarPlace::Bottom, true), 0x82);
  EXPECT_EQ(ToolBarValue(BarPlace::None, true), 0x80);
  EXPECT_EQ(ToolBarValue(ToolBarPlace(0x185), ToolBarHelp(0x185)), 0x80);
}

TEST(DisplayBarsTest, StatusBarShowsOneTwoAndNoneForEveryOtherValue) {
  struct Case {
    int stored;
    BarPlace place;
  };
  const Case cases[] = {{1, BarPlace::Top}, {2, BarPlace::Bottom}, {0, BarPlace::None},
                        {3, BarPlace::None}, {5, BarPlace::None}, {-1, BarPlace::None}, {0x81, BarPlace::None}};
  for (const Case& c : cases) EXPECT_EQ(StatusBarPlace(c.stored), c.place) << c.stored;
  EXPECT_EQ(StatusBarValue(BarPlace::Top), 1);
  EXPECT_EQ(StatusBarValue(BarPlace::Bottom), 2);
  EXPECT_EQ(StatusBarValue(BarPlace::None), 0);
}

TEST(DisplayBarsTest, TitleBarBitsOneTwoFourAreRebuiltFromTheBoxes) {
  const TitleChecks checks = TitleBarChecks(0x7D);  // 1, 4 and bits no box shows
  EXPECT_TRUE(checks.app);
  EXPECT_FALSE(checks.song);
  EXPECT_TRUE(checks.file);
  EXPECT_EQ(TitleBarValue(checks), 5);
  EXPECT_EQ(TitleBarValue({false, true, false}), 2);
  EXPECT_EQ(TitleBarValue({}), 0);
  EXPECT_EQ(TitleBarValue(TitleBarChecks(3)), 3);
}

TEST(WindowOpeningTest, QuickSwapKeyIsShownAndStoredAgainstTrSwap) {
  struct Shown {
    int qKey, trSwap;
    bool shiftCtrl;
  };
  const Shown shown[] = {{0, 0, true}, {1, 1, true}, {1, 0, false}, {0, 1, false}, {7, 3, true}};
  for (const Shown& c : shown)
    EXPECT_EQ(QKeyShowsShiftCtrl(c.qKey, c.trSwap), c.shiftCtrl) << c.qKey << " " << c.trSwap;
  EXPECT_EQ(QKeyValue(true, 1), 1);
  EXPECT_EQ(QKeyValue(true, 0), 0);
  EXPECT_EQ(QKeyValue(false, 1), 0);
  EXPECT_EQ(QKeyValue(false, 0), 1);
  // What was stored shows again as the same radio, whatever TrSwap is.
  for (int trSwap : {0, 1})
    for (bool shiftCtrl : {true, false})
      EXPECT_EQ(QKeyShowsShiftCtrl(QKeyValue(shiftCtrl, trSwap), trSwap), shiftCtrl);
}

TEST(WindowOpeningTest, EditWindowCountIsKeptBetweenOneAndNinetyNine) {
  struct Case {
    long typed;
    int16_t stored;
  };
  const Case cases[] = {{0, 1},   {1, 1},   {2, 2},         {50, 50},        {98, 98},
                        {99, 99}, {150, 99}, {-5, 1},       {65536 + 50, 50}, {32768, 1}};
  for (const Case& c : cases) EXPECT_EQ(WindowMaxValue(c.typed), c.stored) << c.typed;
}

TEST(WindowOpeningTest, StrategyOutsideZeroToThreeShowsTheFirstRadio) {
  for (int v = 0; v <= 3; ++v) EXPECT_EQ(StrategyRadio(v), v);
  EXPECT_EQ(StrategyRadio(4), 0);
  EXPECT_EQ(StrategyRadio(-1), 0);
}

TEST(DisplaySwitchBitsTest, EachBoxOwnsOneBitAndOtherBitsStay) {
  int32_t all = 0;
  for (const DisplaySwitchBox& box : kDisplaySwitchBoxes) {
    EXPECT_EQ(box.bit & (box.bit - 1), 0) << box.id;
    EXPECT_EQ(all & box.bit, 0) << box.id;
    all |= box.bit;
  }
  EXPECT_EQ(all, 0x37FF);
  bool none[kDisplaySwitchBoxCount] = {};
  bool every[kDisplaySwitchBoxCount];
  for (bool& b : every) b = true;
  EXPECT_EQ(DisplaySwitchFromBoxes(0x7FFFFFFF, none), 0x7FFFFFFF & ~0x37FF);
  EXPECT_EQ(DisplaySwitchFromBoxes(0, every), 0x37FF);
  // The gate time box and the location guide box alone.
  bool some[kDisplaySwitchBoxCount] = {};
  for (int i = 0; i < kDisplaySwitchBoxCount; ++i)
    some[i] = kDisplaySwitchBoxes[i].id == 250 || kDisplaySwitchBoxes[i].id == 258;
  EXPECT_EQ(DisplaySwitchFromBoxes(0x0800, some), 0x1801);
}

}  // namespace
