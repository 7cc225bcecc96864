// The rules of the graph colour and location guide set-ups: which setting
// each graph row edits, how its colours travel to the settings file, where
// the location guide is shown and the example offsets of its beat ratio.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "graphsetup.h"
#include "resource.h"
#include "settings.h"
#include "testsupport.h"

namespace {

std::string IniValue(const std::string& path, const char* section, const std::string& key) {
  char value[64] = {};
  GetPrivateProfileStringA(section, key.c_str(), "<none>", value, sizeof value, path.c_str());
  return value;
}

// The [Color] item of each row, in the dialog's order.
const char* const kRowItems[kGraphRowCount] = {"Velo",   "Bend",       "Modulation", "Tempo", "Volume", "Expression",
                                               "GTLine", "Ctrl0",      "Ctrl1",      "Ctrl2", "Ctrl3"};

TEST(GraphSetupColours, ChosenColoursReachTheFileAsTheWriterComplementsThem) {
  TempSettingsFile file;
  AppSettings before;
  g_settings = before;
  ColourWorkTable table = WorkTableFromSettings(g_settings);
  // The table opens on the colours as held (what the views draw).
  EXPECT_EQ(table[0].colour, before.colVelo);
  EXPECT_EQ(table[6].colour, before.colGtLine);
  EXPECT_EQ(table[10].colour, before.colCtrl[3]);
  for (int row = 0; row < kGraphRowCount; ++row) table[row].colour = RGB(10 + row, 100 + row, 200 + row);
  StoreWorkTable(table, g_settings);
  SaveSettings();

  for (int row = 0; row < kGraphRowCount; ++row) {
    const std::string item = kRowItems[row];
    EXPECT_EQ(IniValue(file.path(), "Color", item + "Red"), std::to_string(255 - (10 + row))) << item;
    EXPECT_EQ(IniValue(file.path(), "Color", item + "Green"), std::to_string(255 - (100 + row))) << item;
    EXPECT_EQ(IniValue(file.path(), "Color", item + "Blue"), std::to_string(255 - (200 + row))) << item;
  }
  // Colours no row edits stay as they were.
  EXPECT_EQ(g_settings.colFwaku, before.colFwaku);
  EXPECT_EQ(g_settings.colFCursor, before.colFCursor);
  for (int k = 4; k < 8; ++k) EXPECT_EQ(g_settings.colCtrl[k], before.colCtrl[k]) << k;
  // Read back, the file gives the chosen colours again.
  g_settings = AppSettings();
  LoadSettings();
  EXPECT_EQ(WorkTableFromSettings(g_settings)[4].colour, RGB(14, 104, 204));
  g_settings = AppSettings();
}

TEST(GraphSetupChecks, EachFixedRowOwnsOneDisplaySwitchBitAndTheOthersSurvive) {
  int32_t seen = 0;
  for (int row = 0; row < kGraphFirstFreeRow; ++row) {
    AppSettings s;
    s.displaySw = 0x1000 | 0x080;  // caret field and a bit the dialog does not own
    GraphChecks checks{};
    checks[row] = true;
    StoreGraphChecks(checks, s);
    const int32_t bit = s.displaySw & ~(0x1000 | 0x080);
    EXPECT_EQ(bit, kGraphRows[row].displayBit) << row;
    EXPECT_EQ(s.displaySw & (0x1000 | 0x080), 0x1000 | 0x080) << row;
    EXPECT_EQ(GraphChecksFromSettings(s), checks) << row;
    EXPECT_EQ(seen & bit, 0) << row;
    seen |= bit;
  }
  EXPECT_EQ(seen, kGraphDisplayBits);
}

TEST(GraphSetupChecks, ControllerRowsFollowTheirSwitchesAndUncheckedRowsClearBits) {
  AppSettings s;
  s.displaySw = 0x43F | 0x800;
  s.dispCtrlSw[0] = 1;
  s.dispCtrlSw[1] = 0;
  s.dispCtrlSw[2] = 7;  // any nonzero value shows as checked
  s.dispCtrlSw[3] = 0;
  const GraphChecks shown = GraphChecksFromSettings(s);
  for (int row = 0; row < kGraphFirstFreeRow; ++row) EXPECT_TRUE(shown[row]) << row;
  EXPECT_TRUE(shown[7]);
  EXPECT_FALSE(shown[8]);
  EXPECT_TRUE(shown[9]);
  EXPECT_FALSE(shown[10]);

  GraphChecks checks{};
  checks[8] = checks[10] = true;
  StoreGraphChecks(checks, s);
  EXPECT_EQ(s.displaySw, 0x800);
  EXPECT_EQ(s.dispCtrlSw[0], 0);
  EXPECT_EQ(s.dispCtrlSw[1], 1);
  EXPECT_EQ(s.dispCtrlSw[2], 0);
  EXPECT_EQ(s.dispCtrlSw[3], 1);
}

struct PlaceCase {
  int32_t locPal;
  bool statusLine;
  bool gtLocation;
  int32_t storedBack;
};

class LocGuidePlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(LocGuidePlaceTest, ShowsAndStoresBack) {
  const PlaceCase& c = GetParam();
  const LocGuidePlace place = LocGuidePlaceOf(c.locPal);
  EXPECT_EQ(place.statusLine, c.statusLine);
  EXPECT_EQ(place.gtLocation, c.gtLocation);
  EXPECT_EQ(LocPalOf(place), c.storedBack);
}

INSTANTIATE_TEST_SUITE_P(LocGuide, LocGuidePlaceTest,
                         ::testing::Values(PlaceCase{0, true, false, 0}, PlaceCase{1, false, false, 1},
                                           PlaceCase{2, false, false, 1},  // the palette alone
                                           PlaceCase{3, false, true, 3}, PlaceCase{7, false, false, 1},
                                           PlaceCase{-1, false, false, 1}));

TEST(LocGuidePlace, TheStatusLineWinsOverTheGtBox) {
  EXPECT_EQ(LocPalOf({true, true}), 0);
  EXPECT_EQ(LocPalOf({false, true}), 3);
}

TEST(LocGuidePlace, TheBoxesCoverTheSixDisplayBitsOnce) {
  int32_t bits = 0;
  for (const LocSwBox& box : kLocSwBoxes) {
    EXPECT_EQ(bits & box.bit, 0) << box.id;
    bits |= box.bit;
  }
  EXPECT_EQ(bits, kLocSwDialogBits);
  EXPECT_EQ(kLocSwBoxes[2].id, IDC_LOCGUIDE_BEATST);  // "ビート-ST" is 0x04
  EXPECT_EQ(kLocSwBoxes[2].bit, 0x04);
}

struct ExampleCase {
  int timeBase;
  int ratio;
  bool sign;
  const char* first;
  const char* second;
};

class LocGuideExampleTest : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(LocGuideExampleTest, FormatsBothOffsetsInFourPlaces) {
  const ExampleCase& c = GetParam();
  const LocGuideExamples examples = LocGuideExampleTexts(c.timeBase, c.ratio, c.sign);
  EXPECT_EQ(examples.first, c.first);
  EXPECT_EQ(examples.second, c.second);
}

INSTANTIATE_TEST_SUITE_P(LocGuide, LocGuideExampleTest,
                         ::testing::Values(ExampleCase{480, 50, false, " 240", "-240"},
                                           ExampleCase{480, 50, true, "-239", " 240"},
                                           ExampleCase{480, 0, false, " 480", "   0"},
                                           ExampleCase{480, 100, true, "   1", " 480"},
                                           // 33 x 96 / 100 rounds down to 31
                                           ExampleCase{96, 33, false, "  65", " -31"},
                                           ExampleCase{120, 75, true, " -29", "  90"},
                                           ExampleCase{9600, 100, false, "   0", "-9600"}));

}  // namespace
