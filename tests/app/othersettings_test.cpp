// The rules of the key, drag-and-drop, start-up, other and auto-save
// settings, of the f-key ST/GT times and of the rhythm key rows, without
// their dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "fkeystgtdlg.h"
#include "otherrules.h"
#include "rhythmassign.h"

namespace {

TEST(OtherSettingsRules, TimeBaseListHasTheEightDivisorsOf480AfterTwentyTwoBlanks) {
  const std::string blanks(22, ' ');
  const std::vector<std::string> want = {blanks + "480", blanks + "240", blanks + "160", blanks + "120",
                                         blanks + " 96", blanks + " 80", blanks + " 60", blanks + " 48"};
  EXPECT_EQ(TimeBaseListTexts(), want);
  EXPECT_EQ(TimeBaseListIndex(480), 0);
  EXPECT_EQ(TimeBaseListIndex(96), 4);
  EXPECT_EQ(TimeBaseListIndex(48), 7);
  EXPECT_EQ(TimeBaseListIndex(100), -1);
}

TEST(OtherSettingsRules, TypedTimeBase) {
  struct Case {
    const char* text;
    bool accepted;
    int timeBase;
  };
  const std::string listed = std::string(22, ' ') + "240";
  const Case cases[] = {
      {"0", true, 480},   {"", true, 480},     {"abc", true, 480},  {"100", true, 100},
      {"48", true, 48},   {"480", true, 480},  {listed.c_str(), true, 240},
      {"481", false, 0},  {"20", false, 0},    {"47", false, 0},    {"-96", false, 0},
      {"9999999999", false, 0},
  };
  for (const Case& c : cases) {
    int timeBase = -1;
    EXPECT_EQ(TimeBaseFromText(c.text, &timeBase), c.accepted) << "'" << c.text << "'";
    EXPECT_EQ(timeBase, c.accepted ? c.timeBase : -1) << "'" << c.text << "': a refusal stores nothing";
  }
}

TEST(OtherSettingsRules, TrackCounts) {
  // The normal count is bounded by the maximum in force before this OK.
  EXPECT_EQ(NormalTrackCountOnOk(50, 36), 36);
  EXPECT_EQ(MaxTrackCountOnOk(60), 60);
  EXPECT_EQ(NormalTrackCountOnOk(20, 36), 20);
  EXPECT_EQ(NormalTrackCountOnOk(0, 36), 36);
  EXPECT_EQ(NormalTrackCountOnOk(0, 20), 20);
  EXPECT_EQ(NormalTrackCountOnOk(1, 36), 1);
  EXPECT_EQ(MaxTrackCountOnOk(0), 36);
  EXPECT_EQ(MaxTrackCountOnOk(150), 99);
  EXPECT_EQ(MaxTrackCountOnOk(99), 99);
  EXPECT_EQ(MaxTrackCountOnOk(1), 1);
}

TEST(OtherSettingsRules, AutoSaveIntervalAndHistoryStayInTheirRanges) {
  EXPECT_EQ(IntervalMsFromMinutes(5), 300000);
  EXPECT_EQ(IntervalMinutesShown(300000), 5);
  EXPECT_EQ(IntervalMinutesShown(90000), 1);
  EXPECT_EQ(IntervalMsFromMinutes(0), 60000) << "0 would save on every message";
  EXPECT_EQ(IntervalMsFromMinutes(999), 999 * 60000);
  EXPECT_EQ(IntervalMsFromMinutes(50000), 999 * 60000) << "no overflow of the 32-bit milliseconds";
  EXPECT_EQ(SaveMaxOnOk(0), 1) << "0 would never bring the file number back";
  EXPECT_EQ(SaveMaxOnOk(150), 99);
  EXPECT_EQ(SaveMaxOnOk(7), 7);
}

TEST(OtherSettingsRules, RadioRows) {
  struct Case {
    const RadioGroup* group;
    int value;
    bool firstWhenUnmatched;
    int radio;
  };
  const Case cases[] = {
      {&kShiftUpDownRadios, 2, true, 1029},   {&kShiftUpDownRadios, 7, true, 1027},
      {&kReverseUpDownRadios, 1, true, 1031}, {&kReverseUpDownRadios, -1, true, 1030},
      {&kDragDropRadios, 3, false, 1455},     {&kDragDropRadios, 4, false, 0},
      {&kMidiThruRadios, 1, false, 1552},     {&kMidiThruRadios, 0, false, 1553},
      {&kMidiThruRadios, 2, false, 1554},     {&kMidiRecPortRadios, 1, false, 1557},
      {&kMidiRecPortRadios, 2, false, 0},     {&kEditModeRadios, 5, false, 1564},
      {&kActiveWindowRadios, 0, false, 1566}, {&kActiveWindowRadios, 6, false, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RadioForValue(*c.group, c.value, c.firstWhenUnmatched), c.radio) << c.value;
  EXPECT_EQ(ValueForRadio(kMidiThruRadios, 1552, 0), 1);
  EXPECT_EQ(ValueForRadio(kMidiThruRadios, 1554, 0), 2);
  EXPECT_EQ(ValueForRadio(kActiveWindowRadios, 1569, 0), 3);
  // Nothing checked: the stored value stays.
  EXPECT_EQ(ValueForRadio(kMidiRecPortRadios, 0, 2), 2);
  EXPECT_EQ(ValueForRadio(kDragDropRadios, 1556, 9), 9);
}

TEST(OtherSettingsRules, AutoSavePathKeepsTheFolderOfTmpPath) {
  // "表" is 0x95 0x5C and "ソ" 0x83 0x5C: a second byte that reads as "\".
  const std::string hyo = "\x95\x5c";
  const std::string so = "\x83\x5c";
  EXPECT_EQ(AutoSavePathShown(("C:\\" + hyo + "\\zkfw32.exe").c_str()), "C:\\" + hyo + "\\zktmp.g36");
  EXPECT_EQ(AutoSavePathShown(("C:\\tmp\\" + so).c_str()), "C:\\tmp\\zktmp.g36");
  EXPECT_EQ(AutoSavePathShown(("D:\\" + so + "\\" + hyo + ".g36").c_str()), "D:\\" + so + "\\zktmp.g36");
  EXPECT_EQ(AutoSavePathShown("C:zkfw32.exe"), "C:zktmp.g36");
  EXPECT_EQ(AutoSavePathShown(""), "zktmp.g36");
}

TEST(FKeyStGtTimes, ScaledByTheSongTimeBaseAndCapped) {
  EXPECT_EQ(FKeyTimeShown(480, 240), 240);
  EXPECT_EQ(FKeyTimeShown(1920, 480), 1920);
  EXPECT_EQ(FKeyTimeShown(1920, 0), 1920);
  EXPECT_EQ(FKeyTimeStored(240, 240), 480);
  EXPECT_EQ(FKeyTimeStored(120, 480), 120);
  EXPECT_EQ(FKeyTimeStored(9999, 240), kFKeyTimeMax);
  EXPECT_EQ(FKeyTimeStored(2550, 480), 2550);
  // Would read back as a negative 16-bit time.
  EXPECT_EQ(FKeyTimeStored(40000, 480), kFKeyTimeMax);
  EXPECT_EQ(FKeyTimeStored(0xFFFFFFFFu, 48), kFKeyTimeMax);
}

TEST(RhythmAssignRows, ScrollingStaysWithinTheRecords) {
  EXPECT_EQ(RhythmTopAfterScroll(112, SB_PAGEDOWN, 0), 120);
  EXPECT_EQ(RhythmTopAfterScroll(120, SB_PAGEDOWN, 0), 120);
  EXPECT_EQ(RhythmTopAfterScroll(120, SB_LINEDOWN, 0), 120);
  EXPECT_EQ(RhythmTopAfterScroll(5, SB_PAGEUP, 0), 0);
  EXPECT_EQ(RhythmTopAfterScroll(0, SB_LINEUP, 0), 0);
  EXPECT_EQ(RhythmTopAfterScroll(10, SB_LINEDOWN, 0), 11);
  EXPECT_EQ(RhythmTopAfterScroll(0, SB_THUMBTRACK, 57), 57);
  EXPECT_EQ(RhythmTopAfterScroll(0, SB_THUMBTRACK, 127), 120);
}

TEST(RhythmAssignRows, FieldsBecomeARecord) {
  RhythmRecord r = RhythmRecordFromFields(" 36", "  5", "Kick");
  EXPECT_EQ(std::string(r.name, sizeof r.name), "Kick          ");
  EXPECT_EQ(r.key, 36);
  EXPECT_EQ(r.gate, 5);
  r = RhythmRecordFromFields("300", "999", "A name of more than 14");
  EXPECT_EQ(std::string(r.name, sizeof r.name), "A name of more");
  EXPECT_EQ(r.key, 127);
  EXPECT_EQ(r.gate, 255) << "the gate is one byte";
  r = RhythmRecordFromFields("x", "", "");
  EXPECT_EQ(r.key, 0);
  EXPECT_EQ(r.gate, 0);
  char shown[15];
  RhythmNameShown(RhythmRecordFromFields("1", "1", "Snare"), shown);
  EXPECT_STREQ(shown, "Snare");
}

}  // namespace
