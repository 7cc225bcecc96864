#include "scorelower.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../stepedit/modelfixture.h"

namespace {

using namespace modelfixture;

constexpr int32_t kWidth = 400;
constexpr int32_t kHeight = 254;  // value v stands at 254 - 2v

struct Item {
  ScoreItemKind kind;
  ScoreRole role;
  std::vector<int32_t> xy;
};

bool operator==(const Item& a, const Item& b) { return a.kind == b.kind && a.role == b.role && a.xy == b.xy; }

std::ostream& operator<<(std::ostream& os, const Item& i) {
  os << static_cast<int>(i.kind) << "/" << static_cast<int>(i.role) << ":";
  for (int32_t v : i.xy) os << " " << v;
  return os;
}

Item ToItem(const ScoreDrawItem& i) {
  switch (i.kind) {
    case ScoreItemKind::Line3: return {i.kind, i.role, {i.x1, i.y1, i.x2, i.y2, i.x3, i.y3}};
    default: return {i.kind, i.role, {i.x1, i.y1, i.x2, i.y2}};
  }
}

Item Centre() { return {ScoreItemKind::Line, ScoreRole::Guide, {0, kHeight / 2, kWidth, kHeight / 2}}; }

struct Laid {
  std::vector<Item> items;
  int32_t lastLine = -1;
};

Laid Lay(const Events& events, ScoreLayout layout, int32_t startLine = 0) {
  ModelSong song;
  song.SetTrack(1, events);
  StepEditModel& m = song.Open(1);
  ScoreDrawList list;
  Laid out;
  out.lastLine = LayoutLowerPane(&m, layout, startLine, kWidth, kHeight, list);
  for (const ScoreDrawItem& i : list.items) out.items.push_back(ToItem(i));
  return out;
}

ScoreLayout Layout(int32_t displaySwitch) { return MakeScoreLayout(kBitmapScoreMetrics, 480, displaySwitch); }

TEST(ScoreLowerPane, OneControllerEventRunsToTheRightEdge) {
  // The volume change joins the D's step: it stands at the D's x.
  const Laid laid = Lay(Track({Note(60, 480, 400), Note(62, 480, 400), Ev(0xEB, 64, 0, 7), Note(64, 480, 400)}),
                        Layout(kScoreShowVolume));
  const std::vector<Item> want = {Centre(), {ScoreItemKind::Line, ScoreRole::Volume, {104, 126, kWidth, 126}}};
  EXPECT_EQ(want, laid.items);
  EXPECT_EQ(4, laid.lastLine);  // the end event's line
}

TEST(ScoreLowerPane, VelocityBarsStepCurvesAndUserSlots) {
  const Events track = Track({Note(60, 240, 200, 100), Ev(0xEE, 64, 0, 0), Note(62, 240, 200, 50),
                              Ev(0xEE, 127, 0, 0), Ev(0xE7, 0, 0, 120), MeasureEnd(), Ev(0xEB, 127, 0, 74),
                              Ev(0xEE, 0, 0, 0), Note(64, 480, 400)});
  ScoreLayout layout = Layout(kScoreShowVelocity | kScoreShowBend | kScoreShowTempo);
  layout.controllers[0] = {74, true};
  layout.controllers[1] = {74, false};
  layout.controllers[2] = {0xFFFF, true};
  const std::vector<Item> want = {
      Centre(),
      {ScoreItemKind::Frame, ScoreRole::Velocity, {56, 54, 76, kHeight}},
      {ScoreItemKind::Frame, ScoreRole::Velocity, {80, 154, 100, kHeight}},
      {ScoreItemKind::Line3, ScoreRole::Bend, {56, 126, 80, 126, 80, 0}},
      // The measure end moves x on by BarGap + NoteHeadWidth: 104 + 18.
      {ScoreItemKind::Line3, ScoreRole::Bend, {80, 0, 122, 0, 122, kHeight}},
      {ScoreItemKind::Frame, ScoreRole::Velocity, {122, 54, 162, kHeight}},
      {ScoreItemKind::Line, ScoreRole::Bend, {122, kHeight, kWidth, kHeight}},
      {ScoreItemKind::Line, ScoreRole::Tempo, {80, 135, kWidth, 135}},  // 254 - 120 x 254 div 255
      {ScoreItemKind::Line, ScoreRole::Controller1, {122, 0, kWidth, 0}},
  };
  EXPECT_EQ(want, Lay(track, layout).items);

  // Switches off and no slot on: the centre line alone.
  EXPECT_EQ(std::vector<Item>{Centre()}, Lay(track, Layout(0)).items);
}

TEST(ScoreLowerPane, NamedControllersKeepTheirOwnCurves) {
  ScoreLayout layout = Layout(kScoreShowModulation | kScoreShowVolume | kScoreShowExpression);
  layout.controllers[0] = {7, true};  // volume has its own pen, never a slot's
  const Laid laid = Lay(Track({Ev(0xEB, 127, 0, 1), Ev(0xEB, 0, 0, 7), Ev(0xEB, 127, 0, 11), Note(60, 480, 400)}),
                        layout);
  const std::vector<Item> want = {
      Centre(),
      {ScoreItemKind::Line, ScoreRole::Modulation, {56, 0, kWidth, 0}},
      {ScoreItemKind::Line, ScoreRole::Volume, {56, kHeight, kWidth, kHeight}},
      {ScoreItemKind::Line, ScoreRole::Expression, {56, 0, kWidth, 0}},
  };
  EXPECT_EQ(want, laid.items);
}

TEST(ScoreLowerPane, DoubleTimeScaleDoublesPositionsAndBars) {
  const Events track = Track({Note(60, 480, 400), Note(62, 480, 200, 127)});
  const std::vector<Item> single = {Centre(),
                                    {ScoreItemKind::Frame, ScoreRole::Velocity, {56, 54, 96, kHeight}},
                                    {ScoreItemKind::Frame, ScoreRole::Velocity, {104, 0, 124, kHeight}}};
  const std::vector<Item> doubled = {Centre(),
                                     {ScoreItemKind::Frame, ScoreRole::Velocity, {56, 54, 136, kHeight}},
                                     {ScoreItemKind::Frame, ScoreRole::Velocity, {152, 0, 192, kHeight}}};
  EXPECT_EQ(single, Lay(track, Layout(kScoreShowVelocity)).items);
  EXPECT_EQ(doubled, Lay(track, Layout(kScoreShowVelocity | kScoreDoubleTime)).items);
}

TEST(ScoreLowerPane, WalkStopsAtThePaneWidth) {
  // Quarters every 48 pixels: the chord at 392 is the last one drawn.
  Events events;
  for (int i = 0; i < 20; ++i) events.push_back(Note(60, 480, 480));
  events.push_back(EndEvent());
  const Laid laid = Lay(events, Layout(kScoreShowVelocity));
  ASSERT_EQ(1u + 8u, laid.items.size());
  EXPECT_EQ(56 + 7 * 48, laid.items.back().xy[0]);
  EXPECT_EQ(7, laid.lastLine);
}

TEST(ScoreLowerPane, WithoutEditorOnlyTheCentreLine) {
  ScoreDrawList list;
  EXPECT_EQ(-1, LayoutLowerPane(nullptr, Layout(kScoreShowVelocity), 0, kWidth, kHeight, list));
  ASSERT_EQ(1u, list.items.size());
  EXPECT_EQ(Centre(), ToItem(list.items[0]));

  ModelSong song;
  song.SetTrack(1, Track({Note(60, 480, 400)}));
  StepEditModel bare = song.Open(1);
  bare.lineTable = nullptr;
  ScoreDrawList none;
  EXPECT_EQ(-1, LayoutLowerPane(&bare, Layout(kScoreShowVelocity), 0, kWidth, kHeight, none));
  EXPECT_TRUE(none.items.empty());
}

}  // namespace
