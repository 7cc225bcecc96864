#include "graphsetup.h"

#include <cstdio>

#include "resource.h"
#include "settings.h"

const GraphRow kGraphRows[kGraphRowCount] = {
    {IDC_GRAPH_VELO, IDC_GRAPH_COLOUR_FIRST + 0, 0x002},
    {IDC_GRAPH_BEND, IDC_GRAPH_COLOUR_FIRST + 1, 0x004},
    {IDC_GRAPH_MODULATION, IDC_GRAPH_COLOUR_FIRST + 2, 0x010},
    {IDC_GRAPH_TEMPO, IDC_GRAPH_COLOUR_FIRST + 3, 0x400},
    {IDC_GRAPH_VOLUME, IDC_GRAPH_COLOUR_FIRST + 4, 0x008},
    {IDC_GRAPH_EXPRESSION, IDC_GRAPH_COLOUR_FIRST + 5, 0x020},
    {IDC_GRAPH_GTLINE, IDC_GRAPH_COLOUR_FIRST + 6, 0x001},
    {IDC_GRAPH_CTRL1, IDC_GRAPH_COLOUR_FIRST + 7, 0},
    {IDC_GRAPH_CTRL2, IDC_GRAPH_COLOUR_FIRST + 8, 0},
    {IDC_GRAPH_CTRL3, IDC_GRAPH_COLOUR_FIRST + 9, 0},
    {IDC_GRAPH_CTRL4, IDC_GRAPH_COLOUR_FIRST + 10, 0},
};

namespace {

// Rows in the order of the dialog; const or not as the settings given.
template <typename Settings>
auto& ColourOf(Settings& s, int row) {
  switch (row) {
    case 0: return s.colVelo;
    case 1: return s.colBend;
    case 2: return s.colModulation;
    case 3: return s.colTempo;
    case 4: return s.colVolume;
    case 5: return s.colExpression;
    case 6: return s.colGtLine;
    default: return s.colCtrl[row - kGraphFirstFreeRow];
  }
}

}  // namespace

COLORREF& GraphColourSetting(AppSettings& s, int row) { return ColourOf(s, row); }

ColourWorkTable WorkTableFromSettings(const AppSettings& settings) {
  ColourWorkTable table{};
  for (int row = 0; row < kGraphRowCount; ++row) table[row] = {ColourOf(settings, row), 0};
  return table;
}

void StoreWorkTable(const ColourWorkTable& table, AppSettings& settings) {
  for (int row = 0; row < kGraphRowCount; ++row) GraphColourSetting(settings, row) = table[row].colour;
}

GraphChecks GraphChecksFromSettings(const AppSettings& s) {
  GraphChecks checks{};
  for (int row = 0; row < kGraphRowCount; ++row) {
    checks[row] = row < kGraphFirstFreeRow ? (s.displaySw & kGraphRows[row].displayBit) != 0
                                           : s.dispCtrlSw[row - kGraphFirstFreeRow] != 0;
  }
  return checks;
}

void StoreGraphChecks(const GraphChecks& checks, AppSettings& s) {
  s.displaySw &= ~kGraphDisplayBits;
  for (int row = 0; row < kGraphFirstFreeRow; ++row)
    if (checks[row]) s.displaySw |= kGraphRows[row].displayBit;
  for (int k = 0; k < kGraphFreeRows; ++k) s.dispCtrlSw[k] = checks[kGraphFirstFreeRow + k] ? 1 : 0;
}

LocGuidePlace LocGuidePlaceOf(int32_t locPal) { return {locPal == 0, locPal == 3}; }

int32_t LocPalOf(const LocGuidePlace& place) {
  if (place.statusLine) return 0;
  return place.gtLocation ? 3 : 1;
}

const LocSwBox kLocSwBoxes[kLocSwBoxCount] = {
    {IDC_LOCGUIDE_MEASURE, 0x01}, {IDC_LOCGUIDE_BEAT, 0x02},    {IDC_LOCGUIDE_BEATST, 0x04},
    {IDC_LOCGUIDE_NOTES, 0x08},   {IDC_LOCGUIDE_TOTALST, 0x10}, {IDC_LOCGUIDE_DIAL, 0x20},
};

LocGuideExamples LocGuideExampleTexts(int timeBase, int locRatio, bool locSign) {
  const int t = timeBase;
  const int x = locRatio * t / 100;
  char first[16];
  char second[16];
  std::snprintf(first, sizeof first, "%4d", locSign ? x - t + 1 : t - x);
  std::snprintf(second, sizeof second, "%4d", locSign ? x : -x);
  return {first, second};
}
