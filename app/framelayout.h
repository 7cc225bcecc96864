// Where the frame puts the tool bar, the status line band, the MDI client and
// the score pane in its client area.
#pragma once
#include <windows.h>

constexpr int kFrameToolBarHeight = 26;

struct FrameLayoutInput {
  int width = 0;
  int height = 0;
  int toolBar = 0;        // [Default Display] ToolBar: & 0x7F 1 top, 2 bottom
  int statusBar = 0;      // [Default Display] StatusBar: 0 none, 1 top, else bottom
  int statusHeight = 0;   // the status line's height
  bool scorePane = false;
  int fumenRatio = 0;     // score pane width in thousandths of the width
};

struct FrameLayout {
  bool toolBarShown = false;
  RECT toolBar{};         // x, y, width, height in left, top, right, bottom
  RECT client{};          // the MDI client, same form
  RECT score{};           // the score pane, same form (only with one)
};

// The score pane takes the right part and the MDI client keeps the rest, so
// the two never overlap. Sizes never go below 0.
FrameLayout ComputeFrameLayout(const FrameLayoutInput& in);
