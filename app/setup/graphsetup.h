// The rules behind the graph colour dialog (147) and the location guide
// dialog (127), with no window in sight.
//
// Colours: the work table holds each graph colour exactly as the settings
// hold it in memory (each component already 255 minus the file's), because
// that is the value the views draw with. The colour dialog therefore opens
// on, and the sample line shows, the colour on screen; what the user picks
// goes to memory unchanged, and the settings writer puts 255 minus each
// component into the file. Rows and settings:
//   0 Velo, 1 Bend, 2 Modulation, 3 Tempo, 4 Volume, 5 Expression,
//   6 GTLine, 7-10 Ctrl0-Ctrl3 (the four free controller rows).
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

struct AppSettings;

constexpr int kGraphRowCount = 11;
constexpr int kGraphFreeRows = 4;        // the controller rows, last in the table
constexpr int kGraphFirstFreeRow = kGraphRowCount - kGraphFreeRows;
constexpr int32_t kGraphDisplayBits = 0x43F;  // DisplaySW bits the dialog owns
constexpr int kControllerNumberMax = 127;

struct GraphRow {
  int checkId;
  int colourButtonId;
  int32_t displayBit;  // DisplaySW bit of a fixed row; 0 for a controller row
};
extern const GraphRow kGraphRows[kGraphRowCount];

// One entry of the work table: a colour and a spare word.
struct ColourWorkEntry {
  COLORREF colour;
  uint32_t spare;
};
using ColourWorkTable = std::array<ColourWorkEntry, kGraphRowCount>;

// The setting a row's colour lives in.
COLORREF& GraphColourSetting(AppSettings& settings, int row);
ColourWorkTable WorkTableFromSettings(const AppSettings& settings);
void StoreWorkTable(const ColourWorkTable& table, AppSettings& settings);

// The rows' check boxes as the settings have them, and back: the fixed rows
// from and into DisplaySW (only the bits 0x43F change), the controller rows
// from and into DispCtrlSw0-3 (1 when checked, 0 when not).
using GraphChecks = std::array<bool, kGraphRowCount>;
GraphChecks GraphChecksFromSettings(const AppSettings& settings);
void StoreGraphChecks(const GraphChecks& checks, AppSettings& settings);

// Where the location guide shows: locPal 0 is the status line, 3 the play
// palette with the GT location, anything else the play palette alone.
struct LocGuidePlace {
  bool statusLine;  // radio 1004, else 1005
  bool gtLocation;  // check box 1026
};
LocGuidePlace LocGuidePlaceOf(int32_t locPal);
int32_t LocPalOf(const LocGuidePlace& place);

// What dialog 127's check boxes show of locSW.
struct LocSwBox {
  int id;
  int32_t bit;
};
constexpr int kLocSwBoxCount = 6;
extern const LocSwBox kLocSwBoxes[kLocSwBoxCount];
constexpr int32_t kLocSwDialogBits = 0x3F;

// Track bar of the beat-offset ratio.
constexpr int kLocRatioMax = 100;
constexpr int kLocRatioPage = 10;

// The two example offsets of dialog 127 for a song of timeBase steps to the
// quarter note: first (1031) and second (1032), each "%4d".
struct LocGuideExamples {
  std::string first;
  std::string second;
};
LocGuideExamples LocGuideExampleTexts(int timeBase, int locRatio, bool locSign);
