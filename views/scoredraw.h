// The score panes as a list of drawing primitives: what to draw and with
// which pen, brush or glyph, in pane coordinates. The windows execute the
// list with GDI; tests read it back.
#pragma once
#include <cstdint>
#include <vector>

// The pen or brush an item is drawn with.
enum class ScoreRole : uint8_t {
  Staff,       // staff and bar lines, ticks, ties, stems
  Guide,       // outer guide lines, bottom line, lower pane centre line
  Position,    // the position line (XOR)
  Gate,        // gate-time lines
  Velocity,    // velocity bar frames
  Bend,
  Modulation,
  Volume,
  Expression,
  Tempo,
  Controller1,
  Controller2,
  Controller3,
  Controller4,
  White,
  Black,
  Blue,
};

enum class ScoreItemKind : uint8_t {
  Line,        // (x1, y1) to (x2, y2)
  Line3,       // three points: (x1, y1), (x2, y2), (x3, y3)
  TieArc,      // box (x1, y1)-(x2, y2), arc from (x3, y3) to (x4, y4)
  Dot,         // a 2 x 2 dot at (x1, y1)
  Frame,       // rectangle (x1, y1)-(x2, y2)
  Fill,        // filled rectangle (x1, y1)-(x2, y2)
  Invert,      // inverted span (x1, y1)-(x2, y2)
  Bitmap,      // glyph bitmap `glyph` (5500-5519) in (x1, y1)-(x2, y2)
  FontChar,    // score font character `glyph` anchored at (x1, y1)
};

struct ScoreDrawItem {
  ScoreItemKind kind;
  ScoreRole role;
  uint16_t glyph;  // bitmap id or font character
  int32_t x1, y1, x2, y2, x3, y3, x4, y4;
};

// Where a layout sends its items.
class ScoreDrawSink {
 public:
  virtual ~ScoreDrawSink() = default;
  virtual void Add(const ScoreDrawItem& item) = 0;
};

// Keeps every item (tests).
class ScoreDrawList : public ScoreDrawSink {
 public:
  void Add(const ScoreDrawItem& item) override { items.push_back(item); }
  std::vector<ScoreDrawItem> items;
};

// Counts the items (the benchmark).
class ScoreDrawCounter : public ScoreDrawSink {
 public:
  void Add(const ScoreDrawItem&) override { ++count; }
  uint64_t count = 0;
};
