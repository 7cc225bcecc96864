#include "framelayout.h"

#include <algorithm>

namespace {
RECT Box(int x, int y, int w, int h) { return RECT{x, y, std::max(w, 0), std::max(h, 0)}; }
}  // namespace

FrameLayout ComputeFrameLayout(const FrameLayoutInput& in) {
  FrameLayout out;
  int top = 0;
  int bottom = in.height;
  const int toolPosition = in.toolBar & 0x7F;
  if (toolPosition == 1) {
    out.toolBar = Box(0, 0, in.width, kFrameToolBarHeight);
    top = kFrameToolBarHeight;
  }
  if (in.statusBar == 1) {
    top += in.statusHeight;
  } else if (in.statusBar != 0) {
    bottom -= in.statusHeight;
  }
  if (toolPosition == 2) {
    bottom -= kFrameToolBarHeight;
    out.toolBar = Box(0, bottom, in.width, kFrameToolBarHeight);
  }
  out.toolBarShown = toolPosition != 0;
  if (bottom < top) bottom = top;
  if (in.scorePane) {
    const int x = in.width - static_cast<int>(static_cast<long long>(in.width) * in.fumenRatio / 1000);
    const int split = std::clamp(x, 0, std::max(in.width, 0));
    out.score = Box(split, top, in.width - split, bottom - top);
    out.client = Box(0, top, split, bottom - top);
  } else {
    out.client = Box(0, top, in.width, bottom - top);
  }
  return out;
}
