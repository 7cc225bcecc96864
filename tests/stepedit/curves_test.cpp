#include "curves.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "curvefile.h"
#include "curvegen.h"
#include "editmodel.h"
#include "modelfixture.h"
#include "testsupport.h"

namespace {

using namespace modelfixture;

#define EXPECT_TRACK(actual, expected) EXPECT_TRUE(SameBytes(actual, expected)) << ShowEvents(actual)

StepEvent Rest(uint16_t step) { return Note(60, step, 0, 0); }
StepEvent Cc(uint8_t controller, uint8_t value, uint16_t step = 0) { return Ev(0xEB, value, step, controller); }

// measures x notes of `step` ticks, a measure end closing each.
Events Measures(int measures, int notes, uint16_t step = 120) {
  Events e;
  for (int b = 0; b < measures; ++b) {
    for (int n = 0; n < notes; ++n) e.push_back(Note(static_cast<uint8_t>(48 + n % 24), step, 60));
    e.push_back(MeasureEnd());
  }
  e.push_back(EndEvent());
  return e;
}

// One track and a curve opened over the selection from..to.
struct Curve {
  ModelSong song;
  StepEditModel* m = nullptr;
  CurveState s;
  EditResult opened;

  Curve(const Events& track, int command, int32_t from = 0, int32_t to = 0) {
    song.SetTrack(1, track);
    m = &song.Open(1);
    m->selFrom = from;
    m->selTo = to;
    opened = BeginCurve(s, *m, song.ctx, command);
  }
  void Set(int control, int32_t value) { SetCurveField(s, *m, control, value); }
  EditResult WriteBack() { return WriteBackCurve(s, *m, song.ctx); }
};

// The events of a curve kind in a stream with their ticks and their raw
// value (byte 1 for control change and pitch bend, the 16-bit field else).
struct Point {
  int64_t tick;
  int value;
};
std::vector<Point> KindPoints(const std::vector<StepEvent>& e, uint8_t code, int controller = -1) {
  std::vector<Point> points;
  int64_t t = 0;
  for (const StepEvent& ev : e) {
    if (ev.code >= 0xFE) break;
    if (ev.code == code && (code != 0xEB || ev.gate == controller)) {
      points.push_back({t, code == 0xEB || code == 0xEE ? ev.vel : ev.gate});
    }
    if (ev.code < 0xF0) t += ev.step;
  }
  return points;
}

// The tick of every event that is not a rest and not of the code.
std::vector<std::pair<int64_t, int>> OtherTicks(const std::vector<StepEvent>& e, uint8_t code) {
  std::vector<std::pair<int64_t, int>> out;
  int64_t t = 0;
  for (const StepEvent& ev : e) {
    if (ev.code >= 0xFE) break;
    const bool rest = ev.code < 0x80 && (ev.gate == 0 || ev.vel == 0);
    if (ev.code != code && !rest) out.emplace_back(t, ev.code);
    if (ev.code < 0xF0) t += ev.step;
  }
  return out;
}

int64_t TotalTicks(const std::vector<StepEvent>& e) {
  int64_t t = 0;
  for (const StepEvent& ev : e) {
    if (ev.code >= 0xFE) break;
    if (ev.code < 0xF0) t += ev.step;
  }
  return t;
}

// The value in force at a tick: the last point at or before it.
int ValueAt(const std::vector<Point>& points, int64_t tick) {
  int v = -1;
  for (const Point& p : points) {
    if (p.tick <= tick) v = p.value;
  }
  return v;
}

TEST(Curves, TablesHoldPowersOfTwoAndTheSine) {
  const auto& c = CurveTable();
  EXPECT_EQ(c[0], 0);
  EXPECT_EQ(c[1], 1);
  EXPECT_EQ(c[32], 2);
  EXPECT_EQ(c[64], 4);
  EXPECT_EQ(c[224], 128);
  EXPECT_EQ(c[254], 245);
  EXPECT_EQ(c[255], 255);
  const auto& s = SineTable();
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[32], 181);
  EXPECT_EQ(s[64], 256);
  EXPECT_EQ(s[128], 0);
  EXPECT_EQ(s[192], -256);
  EXPECT_EQ(s[224], -181);
}

TEST(Curves, CommandsChooseKindControllerAndDefaults) {
  struct Case {
    int command;
    uint8_t kind;
    uint16_t controller;
    int32_t value;
    int dialog;
  } cases[] = {
      {2096, 0xEE, 0, 0, 1660},    {2097, 0xEB, 7, 127, 2051}, {2098, 0xEB, 1, 0, 2051},
      {2099, 0xEB, 11, 127, 2051}, {2100, 0xEA, 0, 127, 1660}, {2101, 0xE7, 0, 64, 1660},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Curve k(NotesTrack(4), c.command, 0, 3);
    ASSERT_EQ(k.opened.status, EditStatus::Ok);
    EXPECT_EQ(k.s.kind, c.kind);
    EXPECT_EQ(k.s.controller, c.controller);
    EXPECT_EQ(k.s.top, c.value);
    EXPECT_EQ(k.s.end, c.value);
    EXPECT_EQ(CurveDialogId(k.s), c.dialog);
    EXPECT_EQ(k.song.shared.rangeValueKind, c.kind);
    EXPECT_EQ(k.song.shared.rangeDialogCaption, 1913u + (c.command - 2095));
    EndCurve(k.s, k.song.ctx);
    EXPECT_EQ(k.song.shared.rangeValueKind, 0);
    EXPECT_FALSE(k.s.initialised);
  }
  Curve other(NotesTrack(4), 2094);
  EXPECT_EQ(other.opened.status, EditStatus::Refused);
  EXPECT_FALSE(other.s.initialised);
}

TEST(Curves, SetControlChangeOpensWithTheLastController) {
  ModelSong song;
  song.SetTrack(1, NotesTrack(4));
  StepEditModel& m = song.Open(1);
  CurveState s;
  ASSERT_EQ(BeginCurve(s, m, song.ctx, kCurveCommandControl).status, EditStatus::Ok);
  EXPECT_EQ(s.kind, 0xEB);
  EXPECT_EQ(s.controller, 7);  // at start
  EXPECT_TRUE(SetCurveField(s, m, kCurveFieldController, 300));
  EXPECT_EQ(s.controller, 127);
  SetCurveField(s, m, kCurveFieldController, 10);
  EndCurve(s, song.ctx);

  ASSERT_EQ(BeginCurve(s, m, song.ctx, kCurveCommandBend).status, EditStatus::Ok);
  EXPECT_EQ(s.controller, 0);
  EXPECT_FALSE(SetCurveField(s, m, kCurveFieldController, 5));  // no such field for a bend
  EndCurve(s, song.ctx);
  ASSERT_EQ(BeginCurve(s, m, song.ctx, kCurveCommandControl).status, EditStatus::Ok);
  EXPECT_EQ(s.controller, 10);
  EndCurve(s, song.ctx);
  ASSERT_EQ(BeginCurve(s, m, song.ctx, kCurveCommandModulation).status, EditStatus::Ok);
  EndCurve(s, song.ctx);
  ASSERT_EQ(BeginCurve(s, m, song.ctx, kCurveCommandControl).status, EditStatus::Ok);
  EXPECT_EQ(s.controller, 1);
}

TEST(Curves, TopAndEndComeFromTheTrack) {
  // Volume 30 before the range, 50 on its first event, 90 inside; another
  // controller and values after the range do not count.
  const Events track = Track({Cc(7, 30), Note(60, 120), MeasureEnd(), Cc(7, 50), Note(62, 120), Cc(11, 5),
                              Cc(7, 90), Note(64, 120), MeasureEnd(), Cc(7, 10), Note(65, 120)});
  Curve vol(track, kCurveCommandVolume, 3, 4);
  ASSERT_EQ(vol.opened.status, EditStatus::Ok);
  EXPECT_EQ(vol.s.rangeStart, 3);
  EXPECT_EQ(vol.s.rangeEnd, 8);  // to the end of the measure
  EXPECT_EQ(vol.s.top, 50);
  EXPECT_EQ(vol.s.end, 90);

  // No event of the kind: the command's defaults.
  Curve expr(track, kCurveCommandExpression, 0, 1);
  EXPECT_EQ(expr.s.top, 127);
  EXPECT_EQ(expr.s.end, 127);

  // Pitch bend from its MSB and LSB as the step list writes them (-127 is
  // MSB 63, LSB 1); tempo from its 16-bit field, up to 255.
  const Events bends = Track({Ev(0xEE, 63, 0, 1), Ev(0xE7, 0, 0, 200), Note(60, 120), Ev(0xEE, 127, 0, 127),
                              Ev(0xE7, 0, 0, 250), Note(62, 120)});
  Curve bend(bends, kCurveCommandBend, 0, 5);
  EXPECT_EQ(bend.s.top, -127);
  EXPECT_EQ(bend.s.end, 8191);
  Curve tempo(bends, kCurveCommandTempo, 0, 5);
  EXPECT_EQ(tempo.s.top, 64);  // the first tempo comes after the range start
  EXPECT_EQ(tempo.s.end, 250);
  const Events tempos = Track({Note(60, 120), Ev(0xE7, 0, 0, 200), Note(62, 120), Ev(0xE7, 0, 0, 250), Note(64, 120)});
  Curve tempo2(tempos, kCurveCommandTempo, 1, 4);
  EXPECT_EQ(tempo2.s.rangeStart, 1);
  EXPECT_EQ(tempo2.s.top, 200);
  EXPECT_EQ(tempo2.s.end, 250);
}

TEST(Curves, RangeCopyLengthAndFirstBuffer) {
  const Events track = Track({Note(60, 100), Cc(7, 40, 20), Cc(1, 40), Note(62, 0), Note(64, 50)});
  Curve c(track, kCurveCommandVolume, 0, 0);
  ASSERT_EQ(c.opened.status, EditStatus::Ok);
  // The selection runs to the end of the (only) measure; the end event
  // stays out.
  EXPECT_EQ(c.m->selFrom, 0);
  EXPECT_EQ(c.s.rangeStart, 0);
  EXPECT_EQ(c.s.rangeEnd, 4);
  EXPECT_EQ(c.s.length, 170);
  EXPECT_EQ(c.s.width, 169);
  EXPECT_EQ(c.s.step, 10);
  EXPECT_EQ(c.s.delay, 0);
  EXPECT_EQ(c.s.count, 1);
  EXPECT_TRACK(c.s.rangeCopy, Track({Note(60, 100), Rest(20), Cc(1, 40), Note(62, 0), Note(64, 50)}));
  EXPECT_TRACK(c.s.curve, track);  // the range as it is until a field changes
  EXPECT_TRUE(c.s.initialised);
}

TEST(Curves, FieldsAreClampedAsTyped) {
  struct Case {
    int command, control;
    int32_t typed;
    int32_t CurveState::*field;
    int32_t want;
  } cases[] = {
      {2097, kCurveFieldTop, 300, &CurveState::top, 127},
      {2097, kCurveFieldEnd, -4, &CurveState::end, 0},
      {2101, kCurveFieldTop, 300, &CurveState::top, 255},
      {2101, kCurveFieldEnd, 240, &CurveState::end, 240},
      {2096, kCurveFieldTop, 9000, &CurveState::top, 8191},
      {2096, kCurveFieldEnd, -9000, &CurveState::end, -8192},
      {2097, kCurveFieldDelay, -5, &CurveState::delay, 0},
      {2097, kCurveFieldWidth, 0, &CurveState::width, 1},
      {2097, kCurveFieldWidth, 100000, &CurveState::width, 480},
      {2097, kCurveFieldStep, 0, &CurveState::step, 1},
      {2097, kCurveFieldCount, -3, &CurveState::count, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    Curve k(NotesTrack(4), c.command, 0, 3);
    EXPECT_TRUE(SetCurveField(k.s, *k.m, c.control, c.typed));
    EXPECT_EQ(k.s.*c.field, c.want);
  }
  // Nothing is taken before the dialog is set up.
  CurveState idle;
  ModelSong song;
  song.SetTrack(1, NotesTrack(4));
  EXPECT_FALSE(SetCurveField(idle, song.Open(1), kCurveFieldTop, 5));
  EXPECT_EQ(idle.top, 0);
}

TEST(Curves, TypedStepCountAndWidthAreUsedAsOneOneAndL) {
  Curve typed(NotesTrack(8), kCurveCommandVolume, 0, 7);
  Curve plain(NotesTrack(8), kCurveCommandVolume, 0, 7);
  for (Curve* k : {&typed, &plain}) k->Set(kCurveFieldTop, 0);
  typed.Set(kCurveFieldStep, -7);
  typed.Set(kCurveFieldCount, 0);
  typed.Set(kCurveFieldWidth, 5000);
  plain.Set(kCurveFieldStep, 1);
  plain.Set(kCurveFieldCount, 1);
  plain.Set(kCurveFieldWidth, 960);
  EXPECT_TRACK(typed.s.curve, plain.s.curve);
  EXPECT_GT(KindPoints(typed.s.curve, 0xEB, 7).size(), 100u);
}

TEST(Curves, MeasureFieldsMoveTheRangeEnds) {
  // Measure 1: events 0-2, measure 2: 3-5, measure 3: 6-7, end event 8.
  const Events track = Measures(2, 2) ;
  Events three(track.begin(), track.end() - 1);
  three.push_back(Note(70, 120));
  three.push_back(Note(71, 120));
  three.push_back(EndEvent());
  Curve c(three, kCurveCommandVolume, 0, 0);
  EXPECT_EQ(c.s.rangeStart, 0);
  EXPECT_EQ(c.s.rangeEnd, 2);
  EXPECT_EQ(c.s.length, 240);

  c.Set(kCurveFieldToMeasure, 2);
  EXPECT_EQ(c.s.rangeEnd, 5);  // the measure end closing measure 2
  EXPECT_EQ(c.s.length, 480);
  c.Set(kCurveFieldFromMeasure, 2);
  EXPECT_EQ(c.s.rangeStart, 3);  // the first event of measure 2
  EXPECT_EQ(c.s.length, 240);
  c.Set(kCurveFieldToMeasure, 9);
  EXPECT_EQ(c.s.rangeEnd, 7);  // past the track: its last event
  c.Set(kCurveFieldFromMeasure, 0);
  EXPECT_EQ(c.s.fromMeasure, 1);
  EXPECT_EQ(c.s.rangeStart, 0);
  EXPECT_EQ(c.s.length, 720);
  EXPECT_EQ(static_cast<int>(c.s.rangeCopy.size()), 9);
}

TEST(Curves, ARangeUnderThreeTicksGivesTopOnly) {
  Curve c(Track({Note(60, 1), Note(62, 1)}), kCurveCommandVolume, 0, 1);
  c.Set(kCurveFieldTop, 30);
  c.Set(kCurveFieldEnd, 100);
  EXPECT_EQ(c.s.width, 1);
  const std::vector<Point> points = KindPoints(c.s.curve, 0xEB, 7);
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].value, 30);
  EXPECT_EQ(TotalTicks(c.s.curve), 2);
}

TEST(Curves, WidthZeroLeavesTheTrackUnchanged) {
  for (const Events& track : {Track({Note(60, 1)}), Track({MeasureEnd(), Note(60, 0)})}) {
    Curve c(track, kCurveCommandVolume, 0, 0);
    ASSERT_EQ(c.opened.status, EditStatus::Ok);
    EXPECT_EQ(c.s.width, 0);
    c.Set(kCurveFieldTop, 10);
    const EditResult r = c.WriteBack();
    EXPECT_EQ(r.status, EditStatus::Ok);
    EXPECT_EQ(r.stateBits, 0u);
    EXPECT_TRACK(c.song.Read(1), track);
  }
}

TEST(Curves, APeriodBelowTwoTicksIsFlatAtTop) {
  Curve c(NotesTrack(10), kCurveCommandVolume, 0, 9);  // L 1200, Width 1199
  c.Set(kCurveFieldTop, 10);
  c.Set(kCurveFieldEnd, 100);
  c.Set(kCurveFieldCount, 600);
  const std::vector<Point> points = KindPoints(c.s.curve, 0xEB, 7);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].value, 10);
  // After Delay + Width the straight curve stands at End.
  EXPECT_EQ(points[1].tick, 1200);
  EXPECT_EQ(points[1].value, 100);
}

TEST(Curves, StraightWithTwoPeriodsIsASawToothWithoutEventsAtPeriodStarts) {
  Curve c(NotesTrack(10), kCurveCommandVolume, 0, 9);
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldEnd, 100);
  c.Set(kCurveFieldWidth, 1200);
  c.Set(kCurveFieldCount, 2);  // periods of 600
  const std::vector<Point> points = KindPoints(c.s.curve, 0xEB, 7);
  for (const Point& p : points) {
    EXPECT_TRUE(p.tick == 0 || p.tick % 600 != 0 || p.tick == 1200) << p.tick;
  }
  EXPECT_EQ(ValueAt(points, 590), 98);
  EXPECT_EQ(ValueAt(points, 600), 98);   // the value before holds
  EXPECT_EQ(ValueAt(points, 610), 1);    // then the second tooth
  EXPECT_EQ(ValueAt(points, 1199), 98);
  EXPECT_EQ(ValueAt(points, 1200), 100);
  // The notes keep their ticks.
  EXPECT_EQ(OtherTicks(c.s.curve, 0xEB), OtherTicks(NotesTrack(10), 0xEB));
  EXPECT_EQ(TotalTicks(c.s.curve), 1200);
}

TEST(Curves, SineAndRandomReturnToTopTheOthersHoldEnd) {
  struct Case {
    int radio;
    bool backAtTop;
  } cases[] = {{1671, false}, {1672, false}, {1673, false}, {1674, true}, {1675, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.radio);
    Curve c(NotesTrack(10), kCurveCommandVolume, 0, 9);
    c.Set(kCurveFieldTop, 40);
    c.Set(kCurveFieldEnd, 110);
    c.Set(kCurveFieldDelay, 100);
    c.Set(kCurveFieldWidth, 500);
    c.Set(k.radio, 0);
    const std::vector<Point> points = KindPoints(c.s.curve, 0xEB, 7);
    ASSERT_GE(points.size(), 3u);
    EXPECT_EQ(points[0].value, 40);
    EXPECT_GE(points[1].tick, 100);  // nothing before Delay
    EXPECT_EQ(ValueAt(points, 1200), k.backAtTop ? 40 : 110);
    EXPECT_LE(points.back().tick, 600);
  }
}

TEST(Curves, CurveShapesFollowTheirTables) {
  // Width 256 over Top 0 .. End 128 - 1: the value at phase p reads the
  // table at p.
  Curve c(NotesTrack(4, 64), kCurveCommandVolume, 0, 3);  // L 256
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldEnd, 127);
  c.Set(kCurveFieldStep, 1);
  c.Set(kCurveFieldWidth, 256);
  c.Set(1672, 0);  // curve 1
  std::vector<Point> points = KindPoints(c.s.curve, 0xEB, 7);
  EXPECT_EQ(ValueAt(points, 128), CurveTable()[128] * 127 / 256);
  EXPECT_EQ(ValueAt(points, 250), CurveTable()[250] * 127 / 256);
  c.Set(1673, 0);  // curve 2
  points = KindPoints(c.s.curve, 0xEB, 7);
  EXPECT_EQ(ValueAt(points, 128), 127 - CurveTable()[128] * 127 / 256);
  EXPECT_EQ(ValueAt(points, 10), 127 - CurveTable()[246] * 127 / 256);
  c.Set(1674, 0);  // sine
  points = KindPoints(c.s.curve, 0xEB, 7);
  EXPECT_EQ(ValueAt(points, 64), 127);
  EXPECT_EQ(ValueAt(points, 32), 181 * 127 / 256);
  EXPECT_EQ(ValueAt(points, 192), 0);  // below 0 is 0
}

TEST(Curves, EachKindEncodesItsValues) {
  struct Case {
    int command;
    int32_t top, end;
    StepEvent first, last;  // steps not compared
  } cases[] = {
      {2096, -8192, 8191, Ev(0xEE, 0, 0, 0), Ev(0xEE, 127, 0, 0)},
      {2097, 0, 127, Ev(0xEB, 0, 0, 7), Ev(0xEB, 127, 0, 7)},
      {2099, 5, 99, Ev(0xEB, 5, 0, 11), Ev(0xEB, 99, 0, 11)},
      {2100, 127, 3, Ev(0xEA, 0, 0, 127), Ev(0xEA, 0, 0, 3)},
      {2101, 30, 255, Ev(0xE7, 0, 0, 30), Ev(0xE7, 0, 0, 255)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.command);
    Curve c(NotesTrack(10), k.command, 0, 9);
    c.Set(kCurveFieldTop, k.top);
    c.Set(kCurveFieldEnd, k.end);
    std::vector<StepEvent> kind;
    for (const StepEvent& e : c.s.curve) {
      if (e.code == k.first.code) kind.push_back(e);
    }
    ASSERT_GE(kind.size(), 2u);
    for (const auto& [got, want] : {std::pair{kind.front(), k.first}, std::pair{kind.back(), k.last}}) {
      EXPECT_EQ(got.vel, want.vel);
      EXPECT_EQ(got.gate, want.gate);
    }
  }
  // Tempo runs on 0..255: half way up a ramp to 255 lies above 127.
  Curve tempo(NotesTrack(10), kCurveCommandTempo, 0, 9);
  tempo.Set(kCurveFieldTop, 0);
  tempo.Set(kCurveFieldEnd, 255);
  tempo.Set(kCurveFieldWidth, 1200);
  EXPECT_EQ(ValueAt(KindPoints(tempo.s.curve, 0xE7), 600), 127);
  EXPECT_EQ(ValueAt(KindPoints(tempo.s.curve, 0xE7), 900), 191);
}

TEST(Curves, FallingRandomStartsAtTheSevenBitTop) {
  // Bend Top 0 is 64 on the curve's scale, End -8192 is 0: the values run
  // from 64 up and round to 0.
  Curve c(NotesTrack(20), kCurveCommandBend, 0, 19);
  c.Set(kCurveFieldEnd, -8192);
  c.Set(kCurveFieldStep, 1);
  c.Set(1675, 0);
  const std::vector<Point> points = KindPoints(c.s.curve, 0xEE);
  ASSERT_GT(points.size(), 500u);
  int high = 0;
  for (const Point& p : points) {
    EXPECT_TRUE(p.value >= 64 || p.value == 0) << p.value;
    if (p.value > 100) ++high;
  }
  EXPECT_GT(high, 100);
  // Rising: within Top..End.
  c.Set(kCurveFieldTop, -4096);  // 32
  c.Set(kCurveFieldEnd, 4095);   // 95
  for (const Point& p : KindPoints(c.s.curve, 0xEE)) {
    EXPECT_GE(p.value, 32);
    EXPECT_LE(p.value, 95);
  }
}

TEST(Curves, CompactionDropsRestsAndRepeatsKeepingEveryTick) {
  struct Case {
    const char* what;
    Events in, want;
  } cases[] = {
      {"rest into the note before", Track({Note(60, 100), Rest(20), Cc(7, 5, 30)}),
       Track({Note(60, 120), Cc(7, 5, 30)})},
      {"repeats per controller", Track({Cc(7, 50, 10), Cc(11, 50, 10), Cc(7, 50, 10), Cc(11, 60, 10), Cc(7, 51, 10)}),
       Track({Cc(7, 50, 10), Cc(11, 50, 20), Cc(11, 60, 10), Cc(7, 51, 10)})},
      {"bend and tempo", Track({Ev(0xEE, 64, 10, 3), Ev(0xEE, 64, 10, 3), Ev(0xEE, 64, 10, 4), Ev(0xE7, 2, 10, 120),
                                Ev(0xE7, 2, 10, 120), Ev(0xE7, 0, 10, 120)}),
       Track({Ev(0xEE, 64, 20, 3), Ev(0xEE, 64, 10, 4), Ev(0xE7, 2, 20, 120), Ev(0xE7, 0, 10, 120)})},
      {"a rest after a bar line stays", Track({Note(60, 120), MeasureEnd(), Rest(60), Cc(7, 5, 60)}),
       Track({Note(60, 120), MeasureEnd(), Rest(60), Cc(7, 5, 60)})},
      {"leading rests", Track({Rest(30), Rest(40), Note(60, 10)}), Track({Rest(70), Note(60, 10)})},
      {"no step past 9,999 by addition", Track({Note(60, 9000), Rest(999), Rest(5)}),
       Track({Note(60, 9000), Rest(1004)})},
      {"continuations stay behind their head", Track({Ev(0x98, 0, 10, 0), Ev(0xF7, 1, 2, 3), Rest(20)}),
       Track({Ev(0x98, 0, 30, 0), Ev(0xF7, 1, 2, 3)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<StepEvent> out = CompactCurveEvents(c.in.data(), static_cast<int>(c.in.size()));
    EXPECT_TRACK(out, c.want);
    EXPECT_EQ(TotalTicks(out), TotalTicks(c.in));
  }
}

TEST(Curves, WriteBackReplacesTheRangeWithTheChangesOnly) {
  // Volume events inside the range give way; notes and bar lines keep
  // their ticks; events outside the range stay as they were.
  Events track = Track({Cc(7, 100), Note(40, 480), MeasureEnd(), Note(60, 240), Cc(7, 80), Rest(120),
                        Note(62, 120), MeasureEnd(), Note(64, 480), MeasureEnd()});
  Curve c(track, kCurveCommandVolume, 3, 3);
  ASSERT_EQ(c.s.rangeStart, 3);
  ASSERT_EQ(c.s.rangeEnd, 7);
  EXPECT_EQ(c.s.top, 100);
  EXPECT_EQ(c.s.end, 80);
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldEnd, 10);
  c.Set(kCurveFieldStep, 1);
  c.Set(kCurveFieldWidth, 480);
  const EditResult r = c.WriteBack();
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, 3u);
  EXPECT_TRUE(r.indexRebuilt);
  const Events after = c.song.Read(1);
  const std::vector<Point> points = KindPoints(after, 0xEB, 7);
  ASSERT_EQ(points.size(), 12u);  // 100 before the range, then 0..10
  EXPECT_EQ(points[0].value, 100);
  for (int v = 0; v <= 10; ++v) {
    EXPECT_EQ(points[v + 1].value, v);
    EXPECT_EQ(points[v + 1].tick, 480 + (v == 0 ? 0 : (v * 480 + 9) / 10));
  }
  EXPECT_EQ(OtherTicks(after, 0xEB), OtherTicks(track, 0xEB));
  EXPECT_EQ(TotalTicks(after), TotalTicks(track));
  EXPECT_EQ(c.m->eventCount, static_cast<int32_t>(after.size()) - 1);
  // The range's rest is gone: its ticks went to the event before it.
  for (const StepEvent& e : after) EXPECT_FALSE(e.code < 0x80 && e.vel == 0);
}

TEST(Curves, WriteBackPutsACaretBeyondTheLastLineOnIt) {
  Events track = {Note(60, 10)};
  for (int i = 0; i < 19; ++i) track.push_back(Rest(10));
  track.push_back(EndEvent());
  Curve c(track, kCurveCommandVolume, 0, 19);
  c.m->topLine = 15;
  c.m->caretRow = 6;  // line 20, the end line
  c.Set(kCurveFieldStep, 400);  // one value only
  ASSERT_EQ(c.WriteBack().status, EditStatus::Ok);
  EXPECT_TRACK(c.song.Read(1), Track({Cc(7, 127), Note(60, 200)}));
  EXPECT_EQ(c.m->lineCount, 3);
  EXPECT_EQ(c.m->topLine, 2);
  EXPECT_EQ(c.m->caretRow, 1);
}

TEST(Curves, ACurveTooLongForTheBufferIsRefused) {
  // Random values at every tick of 3,000 notes pass the 16,373 slots.
  const Events track = NotesTrack(3000);
  Curve c(track, kCurveCommandVolume, 0, 2999);
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldStep, 1);
  c.Set(1675, 0);
  EXPECT_TRUE(c.s.overflow);
  EXPECT_LE(c.s.curve.size(), static_cast<size_t>(kTrackSlots));
  EXPECT_EQ(c.s.curve.back().code, 0xFE);
  const EditResult r = c.WriteBack();
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, 1931u);
  EXPECT_EQ(r.messageStyle, static_cast<UINT>(MB_OK | MB_ICONHAND));
  EXPECT_TRACK(c.song.Read(1), track);
  // A shorter Step makes it fit again.
  c.Set(kCurveFieldStep, 2000);
  EXPECT_FALSE(c.s.overflow);
}

TEST(Curves, TheTrackLimitCountsTheCurvesEvents) {
  // 16,000 events; the range is the first measure of `range` notes. A
  // range plus used test would take the first and refuse the second.
  struct Case {
    int range;
    int count;   // periods of 127 values
    bool fits;
  } cases[] = {{100, 4, false}, {400, 2, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.range);
    Events track;
    for (int i = 0; i < k.range; ++i) track.push_back(Note(60, 120, 60));
    track.push_back(MeasureEnd());
    while (track.size() < 16000) track.push_back(Note(62, 120, 60));
    track.push_back(EndEvent());
    Curve c(track, kCurveCommandVolume, 0, 0);
    ASSERT_EQ(c.s.rangeEnd, k.range);
    c.Set(kCurveFieldTop, 0);
    c.Set(kCurveFieldStep, 1);
    c.Set(kCurveFieldCount, k.count);
    const int added = static_cast<int>(KindPoints(c.s.curve, 0xEB, 7).size());
    const EditResult r = c.WriteBack();
    if (k.fits) {
      EXPECT_EQ(r.status, EditStatus::Ok);
      EXPECT_EQ(c.m->eventCount, 16000 + added);
      EXPECT_LT(c.m->eventCount, kMaxTrackEvents);
    } else {
      EXPECT_GE(16000 + added, kMaxTrackEvents);
      EXPECT_EQ(r.status, EditStatus::TrackFull);
      EXPECT_TRACK(c.song.Read(1), track);
    }
  }
}

TEST(Curves, SaveImageCarriesKindControllerAndTheCurveOnly) {
  const Events track = Track({Note(60, 120), Ev(0x98, 0, 0, 0), Ev(0xF7, 1, 2, 3), Note(62, 120), MeasureEnd()});
  Curve c(track, kCurveCommandExpression, 0, 0);
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldEnd, 3);
  std::vector<uint8_t> image;
  ASSERT_EQ(BuildCurvePart(c.s, c.song.ctx, &image).status, EditStatus::Ok);
  ASSERT_GE(image.size(), 20u);
  EXPECT_EQ(std::memcmp(image.data(), "Q31PR", 5), 0);
  EXPECT_EQ(image[5], 0);
  EXPECT_EQ(image[6] | image[7] << 8, 12);
  const uint32_t bytes = image[8] | image[9] << 8 | image[10] << 16 | static_cast<uint32_t>(image[11]) << 24;
  EXPECT_EQ(bytes + 20, image.size());
  EXPECT_EQ(image[12] | image[13] << 8, 480);
  EXPECT_EQ(image[15], 0xEB);
  EXPECT_EQ(image[16], 11);
  std::vector<StepEvent> events(bytes / 6);
  std::memcpy(events.data(), image.data() + 20, bytes);
  events.push_back(EndEvent());
  for (const StepEvent& e : events) {
    EXPECT_NE(e.code, 0x98);
    EXPECT_NE(e.code, 0xF7);  // the exclusive went, its text with it
    if (e.code < 0x80) { EXPECT_EQ(e.vel, 0); }
  }
  EXPECT_EQ(TotalTicks(events), 240);
  EXPECT_EQ(KindPoints(events, 0xEB, 11).size(), KindPoints(c.s.curve, 0xEB, 11).size());
}

TEST(Curves, SavedCurvesLoadBackAndWriteTheSameCurve) {
  const Events track = Measures(4, 4);
  std::vector<uint8_t> image;
  Events direct;
  {
    Curve a(track, kCurveCommandVolume, 0, 15);
    a.Set(kCurveFieldTop, 20);
    a.Set(kCurveFieldEnd, 100);
    a.Set(1674, 0);  // sine
    ASSERT_EQ(BuildCurvePart(a.s, a.song.ctx, &image).status, EditStatus::Ok);
    ASSERT_EQ(a.WriteBack().status, EditStatus::Ok);
    direct = a.song.Read(1);
  }
  // Loaded over another curve: that one gives way entirely.
  Curve b(track, kCurveCommandVolume, 0, 15);
  b.Set(kCurveFieldTop, 90);
  b.Set(kCurveFieldEnd, 5);
  ASSERT_EQ(LoadCurvePart(b.s, b.song.ctx, image.data(), image.size()).status, EditStatus::Ok);
  ASSERT_EQ(b.WriteBack().status, EditStatus::Ok);
  const Events loaded = b.song.Read(1);
  const std::vector<Point> want = KindPoints(direct, 0xEB, 7);
  const std::vector<Point> got = KindPoints(loaded, 0xEB, 7);
  ASSERT_EQ(got.size(), want.size());
  ASSERT_GT(want.size(), 10u);
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].tick, want[i].tick);
    EXPECT_EQ(got[i].value, want[i].value);
  }
  EXPECT_EQ(OtherTicks(loaded, 0xEB), OtherTicks(track, 0xEB));
  EXPECT_EQ(loaded.size(), direct.size());

  // Into other kinds: the values keep their numbers in the kind's field.
  struct Case {
    int command;
    uint8_t code;
  } kinds[] = {{kCurveCommandTempo, 0xE7}, {kCurveCommandBend, 0xEE}, {kCurveCommandExpression, 0xEB}};
  for (const Case& k : kinds) {
    SCOPED_TRACE(k.command);
    Curve c(track, k.command, 0, 15);
    ASSERT_EQ(LoadCurvePart(c.s, c.song.ctx, image.data(), image.size()).status, EditStatus::Ok);
    ASSERT_EQ(c.WriteBack().status, EditStatus::Ok);
    const Events after = c.song.Read(1);
    const std::vector<Point> got = KindPoints(after, k.code, k.code == 0xEB ? 11 : -1);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].tick, want[i].tick);
      EXPECT_EQ(got[i].value, want[i].value);
    }
    for (const StepEvent& e : after) {
      if (e.code == 0xE7 || e.code == 0xEA) { EXPECT_EQ(e.vel, 0); }
      if (e.code == 0xEE) { EXPECT_EQ(e.gate, 0); }
    }
    EXPECT_EQ(OtherTicks(after, k.code), OtherTicks(track, k.code));
  }
}

TEST(Curves, LoadRefusesWhatIsNoPartOrDoesNotFit) {
  Curve c(NotesTrack(10), kCurveCommandVolume, 0, 9);
  const std::vector<StepEvent> before = c.s.curve;
  const uint8_t junk[] = "not a part at all, not at all";
  EXPECT_EQ(LoadCurvePart(c.s, c.song.ctx, junk, sizeof junk).status, EditStatus::Refused);
  EXPECT_TRACK(c.s.curve, before);

  // A part of 10,000 volume changes into a buffer of 10,000 notes: both
  // streams together pass the buffer.
  Curve big(NotesTrack(10000, 10), kCurveCommandVolume, 0, 9999);
  std::vector<uint8_t> image(20 + 10000 * 6, 0);
  std::memcpy(image.data(), "Q31PR", 5);
  image[6] = 12;
  const uint32_t bytes = 10000 * 6;
  std::memcpy(image.data() + 8, &bytes, 4);
  image[12] = 480 & 0xFF;
  image[13] = 480 >> 8;
  image[15] = 0xEB;
  image[16] = 7;
  for (int i = 0; i < 10000; ++i) {
    const StepEvent e = Cc(7, static_cast<uint8_t>(i % 128), 5);
    std::memcpy(image.data() + 20 + i * 6, &e, 6);
  }
  const std::vector<StepEvent> bigBefore = big.s.curve;
  const EditResult r = LoadCurvePart(big.s, big.song.ctx, image.data(), image.size());
  EXPECT_EQ(r.status, EditStatus::TrackFull);
  EXPECT_EQ(r.messageId, 1931u);
  EXPECT_TRACK(big.s.curve, bigBefore);
}

TEST(Curves, SaveRefusesACurvePastAPartBlock) {
  // 16,370 events in measures of 100 notes.
  Events track = Measures(162, 100);
  track.pop_back();
  while (track.size() < 16370) track.push_back(Note(60, 120));
  track.push_back(EndEvent());
  Curve c(track, kCurveCommandVolume, 0, 16369);
  ASSERT_EQ(c.s.curve.size(), 16371u);
  std::vector<uint8_t> image;
  EXPECT_EQ(BuildCurvePart(c.s, c.song.ctx, &image).status, EditStatus::TrackFull);
  EXPECT_TRUE(image.empty());
}

TEST(Curves, PointerReadOut) {
  struct Case {
    int command;
    int x, y;
    int32_t step, value, shown;
    const char* text;
  } cases[] = {
      {2097, 100, 0, 600, 127, 127, "ST: 600, Val:127"},
      {2097, 300, 127, 1199, 0, 0, "ST:1199, Val:  0"},   // step held to Width
      {2097, -5, 500, 0, 0, 0, "ST:   0, Val:  0"},
      {2096, 50, 64, 300, 63, -128, "ST: 300, Val: -128"},
      {2096, 0, 0, 0, 127, 8064, "ST:   0, Val: 8064"},
      {2101, 0, 0, 0, 255, 255, "ST:   0, Val:255"},
      {2101, 0, 64, 0, 127, 127, "ST:   0, Val:127"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    Curve c(NotesTrack(10), k.command, 0, 9);  // L 1200, Width 1199
    const CurvePoint p = CurvePointAt(c.s, k.x, k.y, 200, 128);
    EXPECT_EQ(p.step, k.step);
    EXPECT_EQ(p.value, k.value);
    EXPECT_EQ(p.shown, k.shown);
    EXPECT_EQ(CurveReadoutText(c.s, p), k.text);
  }
  const RECT plot = CurvePlotRect(RECT{10, 20, 410, 220});
  EXPECT_EQ(plot.left, 26);
  EXPECT_EQ(plot.top, 52);
  EXPECT_EQ(plot.right, 402);
  EXPECT_EQ(plot.bottom, 205);
}

TEST(Curves, FreehandSetsATickRangeKeepingTheOtherEvents) {
  Curve c(NotesTrack(10), kCurveCommandVolume, 0, 9);
  c.Set(kCurveFieldTop, 0);
  c.Set(kCurveFieldEnd, 100);
  c.Set(kCurveFieldWidth, 1200);
  const std::vector<Point> before = KindPoints(c.s.curve, 0xEB, 7);
  StartCurveDrag(c.s, CurvePoint{500, 0, 0});
  // Drawn from right to left.
  ASSERT_TRUE(DrawCurveFreehand(c.s, CurvePoint{300, 77, 77}));
  EXPECT_EQ(c.s.dragStep, 300);
  EXPECT_EQ(c.s.dragValue, 77);
  const std::vector<Point> after = KindPoints(c.s.curve, 0xEB, 7);
  for (int64_t t : {0, 150, 299}) EXPECT_EQ(ValueAt(after, t), ValueAt(before, t)) << t;
  for (int64_t t : {300, 360, 500}) EXPECT_EQ(ValueAt(after, t), 77) << t;
  for (const Point& p : after) {
    if (p.tick > 300 && p.tick <= 500) ADD_FAILURE() << "event within the stroke at " << p.tick;
  }
  EXPECT_EQ(ValueAt(after, 501), 77);  // held up to the next old value
  EXPECT_EQ(ValueAt(after, 510), ValueAt(before, 510));
  EXPECT_EQ(ValueAt(after, 1200), 100);
  EXPECT_EQ(OtherTicks(c.s.curve, 0xEB), OtherTicks(NotesTrack(10), 0xEB));
  EXPECT_EQ(TotalTicks(c.s.curve), 1200);
  int last = -1;
  for (size_t i = 0; i < c.s.curve.size(); ++i) {
    const StepEvent& e = c.s.curve[i];
    EXPECT_FALSE(e.code < 0x80 && e.vel == 0 && e.step == 0) << "rest without a step at " << i;
    if (e.code == 0xEB) {
      EXPECT_NE(e.vel, last) << "repeated value at " << i;
      last = e.vel;
    }
  }

  // Continuing the stroke from the drag position; a tempo value keeps its
  // 0..255 and lands in the 16-bit field.
  Curve t(NotesTrack(10), kCurveCommandTempo, 0, 9);
  StartCurveDrag(t.s, CurvePointAt(t.s, 20, 0, 200, 256));
  ASSERT_TRUE(DrawCurveFreehand(t.s, CurvePointAt(t.s, 40, 55, 200, 256)));
  const std::vector<Point> tempo = KindPoints(t.s.curve, 0xE7);
  ASSERT_FALSE(tempo.empty());
  EXPECT_EQ(ValueAt(tempo, 120), 200);
  EXPECT_EQ(ValueAt(tempo, 240), 200);
  for (const StepEvent& e : t.s.curve) {
    if (e.code == 0xE7) { EXPECT_EQ(e.vel, 0); }
  }
  ASSERT_EQ(t.WriteBack().status, EditStatus::Ok);
  EXPECT_EQ(ValueAt(KindPoints(t.song.Read(1), 0xE7), 200), 200);
}

TEST(Curves, FreehandOverNotesAtTheSameTickPutsTheValueAfterThem) {
  // A chord at 0 and a bar line at 120: the drawn value follows the events
  // of its tick and the bar line stays at 120.
  const Events track = Track({Note(60, 0), Note(64, 120), MeasureEnd(), Note(67, 120)});
  Curve c(track, kCurveCommandModulation, 0, 3);
  StartCurveDrag(c.s, CurvePoint{0, 0, 0});
  ASSERT_TRUE(DrawCurveFreehand(c.s, CurvePoint{130, 40, 40}));
  // The second drawn run adds its ticks to the note in front of it.
  EXPECT_TRACK(c.s.curve, Track({Note(60, 0), Note(64, 0), Ev(0xEB, 40, 120, 1), MeasureEnd(), Note(67, 11),
                                 Rest(109)}));
  EXPECT_EQ(OtherTicks(c.s.curve, 0xEB), OtherTicks(track, 0xEB));
}

}  // namespace
