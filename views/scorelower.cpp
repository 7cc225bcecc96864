#include "scorelower.h"

#include <algorithm>

#include "scorenotes.h"
#include "zk/cmdcodes.h"
#include "zk/song.h"

namespace {

struct CurvePoint {
  bool set = false;
  int32_t x = 0;
  int32_t y = 0;
};

// h - value x h div range, in 64 bits: a tempo word times a tall pane
// would not fit 32.
int32_t ValueY(int32_t height, int32_t value, int32_t range) {
  return static_cast<int32_t>(height - static_cast<int64_t>(value) * height / range);
}

}  // namespace

ScoreRole ScoreCurveRole(int curve) {
  switch (curve) {
    case kCurveBend: return ScoreRole::Bend;
    case kCurveModulation: return ScoreRole::Modulation;
    case kCurveVolume: return ScoreRole::Volume;
    case kCurveExpression: return ScoreRole::Expression;
    case kCurveTempo: return ScoreRole::Tempo;
    case kCurveController1 + 1: return ScoreRole::Controller2;
    case kCurveController1 + 2: return ScoreRole::Controller3;
    case kCurveController1 + 3: return ScoreRole::Controller4;
    default: return ScoreRole::Controller1;
  }
}

int32_t LayoutLowerPane(const StepEditModel* editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                        int32_t height, ScoreDrawSink& sink) {
  if (editor && !editor->lineTable) return -1;
  ScoreDrawItem centre{};
  centre.kind = ScoreItemKind::Line;
  centre.role = ScoreRole::Guide;
  centre.y1 = centre.y2 = height / 2;
  centre.x2 = width;
  sink.Add(centre);
  if (!editor) return -1;

  const int32_t sw = layout.displaySwitch;
  const int32_t timeBase = ScoreTimeBase(layout.timeBase);
  const ModelEvents block(*editor);
  const StepEvent* events = block.events();
  if (!events) return -1;

  CurvePoint curves[kScoreCurveCount];
  auto step = [&](int curve, int32_t x, int32_t y) {
    CurvePoint& p = curves[curve];
    if (p.set) {
      ScoreDrawItem item{};
      item.kind = ScoreItemKind::Line3;
      item.role = ScoreCurveRole(curve);
      item.x1 = p.x;
      item.y1 = p.y;
      item.x2 = x;
      item.y2 = p.y;
      item.x3 = x;
      item.y3 = y;
      sink.Add(item);
    }
    p = {true, x, y};
  };

  ScoreXCursor cursor;
  cursor.x = layout.geometry.leftX;
  const int32_t last = WalkScoreSteps(*editor, layout, startLine, width, cursor, [&](const ScoreStep& s) {
    for (int32_t k = s.event; k <= s.lastEvent; ++k) {
      const StepEvent& e = events[k];
      const int32_t x = s.x;
      if (e.code < 0x80) {
        if ((sw & kScoreShowVelocity) && e.gate != 0 && e.vel != 0) {
          ScoreDrawItem bar{};
          bar.kind = ScoreItemKind::Frame;
          bar.role = ScoreRole::Velocity;
          bar.x1 = x;
          bar.y1 = ValueY(height, e.vel, 127);
          bar.x2 = x + ScoreTickPixels(e.gate, timeBase, layout.timeScaleX);
          bar.y2 = height;
          sink.Add(bar);
        }
      } else if (e.code == kCodePitch) {
        if (sw & kScoreShowBend) step(kCurveBend, x, ValueY(height, e.vel, 127));
      } else if (e.code == kCodeTempo) {
        if (sw & kScoreShowTempo) step(kCurveTempo, x, ValueY(height, e.gate, 255));
      } else if (e.code == kCodeControl) {
        const int32_t y = ValueY(height, e.vel, 127);
        switch (e.gate) {
          case 1:
            if (sw & kScoreShowModulation) step(kCurveModulation, x, y);
            break;
          case 7:
            if (sw & kScoreShowVolume) step(kCurveVolume, x, y);
            break;
          case 11:
            if (sw & kScoreShowExpression) step(kCurveExpression, x, y);
            break;
          default:
            // A slot at 65535 has no pen.
            for (int slot = 0; slot < kScoreControllerSlots; ++slot) {
              const ScoreControllerSwitch& c = layout.controllers[slot];
              if (c.on && c.number < 0xFFFF && c.number == e.gate) step(kCurveController1 + slot, x, y);
            }
            break;
        }
      }
    }
    return true;
  });

  for (int curve = 0; curve < kScoreCurveCount; ++curve) {
    const CurvePoint& p = curves[curve];
    if (!p.set) continue;
    ScoreDrawItem item{};
    item.kind = ScoreItemKind::Line;
    item.role = ScoreCurveRole(curve);
    item.x1 = p.x;
    item.y1 = item.y2 = p.y;
    item.x2 = width;
    sink.Add(item);
  }
  return last;
}
