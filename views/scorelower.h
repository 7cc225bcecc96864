// The lower score pane: centre line, velocity bars and the step curves of
// pitch bend, tempo, modulation, volume, expression and the four user
// controller slots, over the same x positions as the upper pane.
#pragma once
#include <cstdint>

#include "editmodel.h"
#include "scoredraw.h"
#include "scorelength.h"

// The curves of the lower pane, in the order of their roles.
enum ScoreCurve : int {
  kCurveBend,
  kCurveModulation,
  kCurveVolume,
  kCurveExpression,
  kCurveTempo,
  kCurveController1,  // + slot
  kScoreCurveCount = kCurveController1 + kScoreControllerSlots,
};

ScoreRole ScoreCurveRole(int curve);

// Lays out a width x height lower pane for the editor's lines from
// startLine (null editor: the centre line only; an editor without a line
// table: nothing). Each curve steps from its last point to an event's value
// and is continued to the right edge after the walk. Returns the last line
// walked, -1 for none.
int32_t LayoutLowerPane(const StepEditModel* editor, const ScoreLayout& layout, int32_t startLine, int32_t width,
                        int32_t height, ScoreDrawSink& sink);
