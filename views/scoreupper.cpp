#include "scoreupper.h"

#include <algorithm>
#include <cstdint>

#include "editorblocks.h"
#include "scorebeams.h"
#include "scorestaff.h"

namespace {

constexpr int32_t kBeamGap = 5;  // from one beam to the next

ScoreDrawItem Item(ScoreItemKind kind, ScoreRole role, uint16_t glyph, int32_t x1, int32_t y1, int32_t x2 = 0,
                   int32_t y2 = 0) {
  ScoreDrawItem it{};
  it.kind = kind;
  it.role = role;
  it.glyph = glyph;
  it.x1 = x1;
  it.y1 = y1;
  it.x2 = x2;
  it.y2 = y2;
  return it;
}

void Line(ScoreDrawSink& sink, ScoreRole role, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  sink.Add(Item(ScoreItemKind::Line, role, 0, x1, y1, x2, y2));
}

void Bitmap(ScoreDrawSink& sink, uint16_t id, int32_t x, int32_t y, int32_t w, int32_t h) {
  sink.Add(Item(ScoreItemKind::Bitmap, ScoreRole::Black, id, x, y, x + w, y + h));
}

void Char(ScoreDrawSink& sink, const ScoreFontGlyphs& font, uint16_t ch, int32_t x, int32_t y) {
  sink.Add(Item(ScoreItemKind::FontChar, ScoreRole::Black, ch, x + font.glyphX, y + font.glyphY));
}

void Dot(ScoreDrawSink& sink, int32_t x, int32_t y) {
  sink.Add(Item(ScoreItemKind::Dot, ScoreRole::Black, 0, x, y, x + 2, y + 2));
}

int32_t Top(const ScoreLayout& layout, int position) {
  return StaffNoteTop(layout.staffCentreY, position, layout.geometry.staffSpacing);
}

int32_t Px(const ScoreLayout& layout, int32_t ticks) {
  return ScoreTickPixels(ticks, layout.timeBase, layout.timeScaleX);
}

// The sign a key prints, at the chord's x (not the displaced head's).
void Accidental(ScoreDrawSink& sink, const ScoreFontGlyphs& font, uint8_t sign, int32_t x, int32_t top) {
  switch (sign) {
    case kStaffSharp:
      font.on ? Char(sink, font, '#', x - 8, top - 6) : Bitmap(sink, kBmpSharp, x - 8, top - 6, 8, 21);
      break;
    case kStaffFlat:
      font.on ? Char(sink, font, 'b', x - 8, top - 8) : Bitmap(sink, kBmpFlat, x - 8, top - 8, 8, 16);
      break;
    case kStaffNatural:
      font.on ? Char(sink, font, 'n', x - 8, top - 6) : Bitmap(sink, kBmpNatural, x - 8, top - 6, 8, 19);
      break;
    default:
      break;
  }
}

void Head(ScoreDrawSink& sink, const ScoreFontGlyphs& font, int32_t noteValue, int32_t x, int32_t top) {
  if (font.on) {
    Char(sink, font, 0xCF, x, top);
  } else if (noteValue == 1) {
    Bitmap(sink, kBmpWholeHead, x, top, 9, 8);
  } else if (noteValue == 2) {
    Bitmap(sink, kBmpHalfHead, x, top, 8, 8);
  } else {
    Bitmap(sink, kBmpFilledHead, x, top, 8, 8);
  }
}

// Heads on adjacent positions: the upper one moves to the right of the stem,
// and the note after it is compared afresh.
struct SecondInterval {
  bool havePrevious = false;
  int previous = 0;
  int32_t HeadX(int position, int32_t x, int32_t w) {
    if (havePrevious && position == previous + 1) {
      havePrevious = false;
      return x + w;
    }
    havePrevious = true;
    previous = position;
    return x;
  }
};

int RestIndex(int32_t noteValue) {
  switch (noteValue) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    case 32: return 5;
    case 64: return 6;
    default: return -1;
  }
}

void DrawStem(ScoreDrawSink& sink, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  Line(sink, ScoreRole::Staff, x1, y1, x2, y2);
}

// Beams of levels from..from + count - 1 below line, from xa to xb.
void BeamSegment(ScoreDrawSink& sink, const ScoreBeamLine& line, int32_t xa, int32_t xb, int32_t from,
                 int32_t count, const ScoreLayout& layout, const ScoreFontGlyphs& font) {
  if (count <= 0) return;
  ScoreBeamLine seg;
  seg.x1 = xa;
  seg.x2 = xb;
  seg.y1 = InterpolateBeamY(line.x1, line.y1, line.x2, line.y2, xa) + kBeamGap * from;
  seg.y2 = InterpolateBeamY(line.x1, line.y1, line.x2, line.y2, xb) + kBeamGap * from;
  DrawBeamLines(sink, seg, count, layout, font);
}

class UpperPaneSink : public ScoreWalkSink {
 public:
  UpperPaneSink(const StepEditModel& editor, const UpperPaneSettings& settings, int32_t startLine,
                ScoreDrawSink& out)
      : editor_(editor), settings_(settings), font_(settings.font), out_(out), nextLine_(std::max(startLine, 0)) {}

  void OnChord(ScoreWalkState& state, int32_t index, int32_t x) override {
    const int32_t firstLine = nextLine_;
    nextLine_ = state.lastLine + 1;
    const ScoreLayout& layout = state.layout;
    const ScoreChord& chord = state.chord;
    const int32_t sw = layout.displaySwitch;
    const int32_t s = layout.geometry.staffSpacing;
    const int32_t w = layout.geometry.noteHeadWidth;
    const int32_t c = layout.staffCentreY;
    const bool heads = (sw & kScoreNoteHeads) != 0;
    const bool hooks = heads && (sw & kScoreNoteHooks) != 0;
    const NoteValueResult value = ClassifyNoteLength(chord.length, layout.timeBase);

    if (sw & kScoreShowGate) {
      for (int32_t i = 0; i < chord.count; ++i) {
        const int32_t y = Top(layout, StaffPositionOf(state.staff, chord.keys[i])) + s / 2;
        Line(out_, ScoreRole::Gate, x, y, x + Px(layout, chord.gates[i]), y);
      }
    }
    if (heads) {
      SecondInterval second;
      for (int32_t i = 0; i < chord.count; ++i) DrawNote(state, i, x, value, second);
    }
    if (hooks && chord.count == 0) DrawRest(state, firstLine, x, value);
    if (hooks && chord.count > 0 && value.noteValue >= 1) {
      int lowest = StaffPositionOf(state.staff, chord.keys[0]);
      int highest = lowest;
      for (int32_t i = 1; i < chord.count; ++i) {
        const int p = StaffPositionOf(state.staff, chord.keys[i]);
        lowest = std::min(lowest, p);
        highest = std::max(highest, p);
      }
      if (value.mark == kMarkTriplet && !font_.on) Bitmap(out_, kBmpTriplet, x, c - ((lowest - 37) * s) / 2, 8, 8);
      if (value.noteValue >= 2 && !font_.on) {
        Line(out_, ScoreRole::Staff, x + w, c - ((lowest - 36) * s) / 2 - 1, x + w, c - ((highest - 29) * s) / 2);
      }
    }
    (void)index;
  }

  void OnRecords(ScoreWalkState& state) override {
    const ScoreLayout& layout = state.layout;
    const int32_t sw = layout.displaySwitch;
    const bool beams = (sw & kScoreBeams) != 0;
    ScoreNote* notes = state.records.notes();
    const int32_t count = state.records.count();
    if (sw & kScoreNoteHooks) {
      for (int32_t i = 0; i < count; ++i) DrawHook(layout, notes[i], beams);
    }
    if (beams) DrawBeams(out_, notes, count, layout, font_);
  }

  void OnBar(ScoreWalkState& state, int32_t x, uint8_t) override {
    const ScoreLayout& layout = state.layout;
    const int32_t s = layout.geometry.staffSpacing;
    const int32_t bx = x + layout.geometry.noteHeadWidth;
    Line(out_, ScoreRole::Staff, bx, layout.staffCentreY - 5 * s, bx, layout.staffCentreY + 5 * s);
  }

  // The keys held on the MIDI keyboard, at the position line.
  void DrawHeldKeys(ScoreWalkState& state) {
    if (!settings_.heldKeys) return;
    const ScoreLayout& layout = state.layout;
    const int32_t x = settings_.positionX;
    SecondInterval second;
    for (int key = 0; key < kStaffKeys; ++key) {
      if (settings_.heldKeys[key] == 0) continue;
      const int p = StaffPositionOf(state.staff, key);
      const int32_t top = Top(layout, p);
      Accidental(out_, font_, TakeBarAccidental(state.staff, key), x, top);
      Head(out_, font_, 4, second.HeadX(p, x, layout.geometry.noteHeadWidth), top);
    }
  }

 private:
  void DrawNote(ScoreWalkState& state, int32_t i, int32_t x, const NoteValueResult& value, SecondInterval& second) {
    const ScoreLayout& layout = state.layout;
    const ScoreChord& chord = state.chord;
    const int32_t s = layout.geometry.staffSpacing;
    const int32_t w = layout.geometry.noteHeadWidth;
    const int p = StaffPositionOf(state.staff, chord.keys[i]);
    const int32_t top = Top(layout, p);
    if (chord.ties[i] != 0) {
      const int32_t right = x + Px(layout, chord.ties[i]) + 4;
      ScoreDrawItem arc = Item(ScoreItemKind::TieArc, ScoreRole::Staff, 0, x + 6, top, right, top + 13);
      arc.x3 = x + 6;
      arc.y3 = top + 7;
      arc.x4 = right;
      arc.y4 = top + 7;
      out_.Add(arc);
    }
    Accidental(out_, font_, TakeBarAccidental(state.staff, chord.keys[i]), x, top);
    const int32_t hx = second.HeadX(p, x, w);
    Head(out_, font_, value.noteValue, hx, top);
    // With the font the dots go beside the note glyph instead.
    if (!font_.on && value.mark >= kMarkDotted) {
      Dot(out_, hx + 9, top + 5);
      if (value.mark == kMarkDoubleDotted) Dot(out_, hx + 12, top + 5);
    }
    const LedgerLines ledger = LedgerLinesFor(p);
    for (int q = ledger.low; q <= ledger.high; q += 2) {
      const int32_t y = StaffLineY(layout.staffCentreY, q, s);
      Line(out_, ScoreRole::Black, hx - 2, y, hx + w + 5, y);
    }
  }

  void DrawRest(ScoreWalkState& state, int32_t firstLine, int32_t x, const NoteValueResult& value) {
    const int rest = RestIndex(value.noteValue);
    if (rest < 0) return;
    const ScoreLayout& layout = state.layout;
    const int32_t s = layout.geometry.staffSpacing;
    const int q = StaffPositionOf(state.staff, FirstEventKey(firstLine));
    const int32_t base = layout.staffCentreY - ((q - 30) * s) / 2;
    static const uint8_t kFontRests[] = {0xB7, 0xEE, 0xCE, 0xE4, 0xC5, 0xA8, 0xF4};
    int32_t offset;
    switch (value.noteValue) {
      case 2: offset = -(s / 2); break;
      case 4: case 32: case 64: offset = -(s / 2) - s; break;
      default: offset = -s; break;
    }
    if (font_.on) {
      Char(out_, font_, kFontRests[rest], x, base + offset);
    } else {
      Bitmap(out_, static_cast<uint16_t>(kBmpRestWhole + rest), x, base + offset, 16, 30);
    }
    const int32_t d = base - s / 2 - 2 * s;
    if (value.mark >= kMarkDotted) {
      Dot(out_, x + 12, d + 11);
      if (value.mark == kMarkDoubleDotted) Dot(out_, x + 15, d + 11);
    } else if (value.mark == kMarkTriplet && !font_.on) {
      int32_t y = d + s + 9;
      if (value.noteValue == 8) y = d + 2 * s + 9;
      else if (value.noteValue == 4 || value.noteValue == 16) y = d + 2 * s + s / 2 + 9;
      Bitmap(out_, kBmpTriplet, x, y, 8, 8);
    }
  }

  // Key of the event on line (a rest stands at the height of the line's
  // key); 60 when it is no note.
  int FirstEventKey(int32_t line) const {
    const ModelEvents block(editor_);
    Locked lineLock(editor_.lineTable);
    const LineEntry* lines = lineLock.as<LineEntry>();
    const StepEvent* events = block.events();
    if (!lines || !events || line < 0 || line >= std::min<int32_t>(editor_.lineCount, kTrackSlots)) return 60;
    const uint32_t index = lines[line].firstEvent;
    if (index > static_cast<uint32_t>(std::min<int32_t>(editor_.eventCount, block.slots() - 1))) return 60;
    return events[index].code < 0x80 ? events[index].code : 60;
  }

  void DrawHook(const ScoreLayout& layout, ScoreNote& r, bool beams) {
    const bool member = (r.beamFlags & kBeamMemberMask) != 0;
    const int32_t s = layout.geometry.staffSpacing;
    const int32_t w = layout.geometry.noteHeadWidth;
    if (!font_.on) {
      if (beams && member) return;
      const int flag = r.noteValue == 8 ? 0 : r.noteValue == 16 ? 1 : r.noteValue == 32 ? 2 : r.noteValue == 64 ? 3 : -1;
      if (flag < 0) {
        r.hookX = 0;
        return;
      }
      Bitmap(out_, static_cast<uint16_t>(kBmpFlag8 + flag), r.hookX, r.hookY, 8, 32);
      return;
    }
    if (r.hookX == 0 || r.noteValue == 0) return;
    const int32_t y = r.hookY + (s / 2) / 2;
    if (!beams) {
      const int32_t gx = r.hookX - s / 2;
      switch (r.noteValue) {
        case 4: Char(out_, font_, 'q', gx, y); break;
        case 8: Char(out_, font_, 'e', gx, y); break;
        case 16: Char(out_, font_, 'r', gx, y); break;
        case 32: case 64: Char(out_, font_, 'K', gx, y); Char(out_, font_, 'r', gx, y); break;
        default: break;
      }
    } else {
      const int32_t gx = r.hookX + w / 2;
      if (!member) {
        switch (r.noteValue) {
          case 8: Char(out_, font_, 'j', gx, y); break;
          case 16: Char(out_, font_, 'r', gx, y); break;
          case 32: case 64: Char(out_, font_, 'r', gx, y); Char(out_, font_, 'K', gx, y); break;
          default: break;
        }
      }
      DrawStem(out_, r.stemX1 + font_.stemX, r.stemY1 + font_.stemY, r.stemX2 + font_.stemX, r.stemY2 + font_.stemY);
    }
    if (r.mark >= kMarkDotted) {
      Char(out_, font_, 0xF7, r.hookX + w / 2, y);
      if (r.mark == kMarkDoubleDotted) Char(out_, font_, 0xF7, r.hookX + w, y);
    }
  }

  const StepEditModel& editor_;
  const UpperPaneSettings& settings_;
  const ScoreFontGlyphs& font_;
  ScoreDrawSink& out_;
  int32_t nextLine_;
};

}  // namespace

void DrawBeamLines(ScoreDrawSink& sink, ScoreBeamLine& line, int32_t count, const ScoreLayout& layout,
                   const ScoreFontGlyphs& font) {
  // The font's shift applies to what is drawn, not to the line kept for the
  // next beam, so a later call does not shift twice.
  const int32_t dx = font.on ? layout.geometry.noteHeadWidth / 2 : 0;
  const int32_t dy = font.on ? font.beamY : 0;
  for (int32_t b = 0; b < count; ++b) {
    for (int32_t k = 0; k < 3; ++k) {
      Line(sink, ScoreRole::Staff, line.x1 + dx, line.y1 + dy + k, line.x2 + dx, line.y2 + dy + k);
    }
    line.y1 += kBeamGap;
    line.y2 += kBeamGap;
  }
}

void DrawPartialBeams(ScoreDrawSink& sink, const ScoreBeamLine& line, const ScoreNote* notes, int32_t count,
                      int32_t first, int32_t last, int32_t member, int32_t groupMinFlags,
                      const ScoreLayout& layout, const ScoreFontGlyphs& font) {
  if (!notes || member < 0 || member >= count) return;
  const ScoreNote& me = notes[member];
  const int32_t fi = me.flagCount;
  const int32_t m = groupMinFlags;
  // Levels shared with the neighbour reach it; the rest reach half way.
  auto toward = [&](int32_t other, bool after) {
    if (other == kNoBeamNote || other < 0 || other >= count) return;
    const int32_t fo = notes[other].flagCount;
    const int32_t xo = notes[other].stemX2;
    const int32_t xm = me.stemX2;
    const int32_t mid = (xm + xo) / 2;
    auto seg = [&](int32_t xa, int32_t xb, int32_t from, int32_t n) {
      after ? BeamSegment(sink, line, xa, xb, from, n, layout, font) : BeamSegment(sink, line, xb, xa, from, n, layout, font);
    };
    if (fi > fo) {
      seg(xm, xo, 0, fo - m);
      seg(xm, mid, fo - m, fi - fo);
    } else {
      seg(xm, xo, 0, fi - m);
    }
  };
  const uint16_t flags = me.beamFlags;
  if (flags & kBeamFirst) {
    if (member == last) return;
    toward(NextBeamNote(notes, count, member + 1, last), true);
  } else if (flags & kBeamLast) {
    if (member == first) return;
    toward(PrevBeamNote(notes, count, member - 1, first), false);
  } else if (flags & kBeamInner) {
    const int32_t n = member < last ? NextBeamNote(notes, count, member + 1, last) : kNoBeamNote;
    const int32_t p = member > first ? PrevBeamNote(notes, count, member - 1, first) : kNoBeamNote;
    if (n == kNoBeamNote || p == kNoBeamNote) return;
    if (notes[p].flagCount > notes[n].flagCount) toward(p, false);
    else toward(n, true);
  }
}

void DrawBeams(ScoreDrawSink& sink, const ScoreNote* notes, int32_t count, const ScoreLayout& layout,
               const ScoreFontGlyphs& font) {
  if (!notes) return;
  const int32_t dx = font.on ? layout.geometry.noteHeadWidth / 2 + font.stemX : 0;
  const int32_t dy = font.on ? font.stemY : 0;
  ScoreBeamLine line;
  int32_t first = -1;
  int32_t minFlags = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ScoreNote& r = notes[i];
    if (r.beamFlags & kBeamFirst) {
      DrawStem(sink, r.stemX1 + dx, r.stemY1 + dy - (font.on ? 2 : 0), r.stemX2 + dx, r.stemY2 + dy);
      line.x1 = r.stemX2;
      line.y1 = r.stemY2;
      first = i;
      minFlags = r.groupMinFlags;
    } else if (r.beamFlags & kBeamInner) {
      DrawStem(sink, r.stemX1 + dx, r.stemY1, r.stemX2 + dx, r.stemY2);
    } else if (r.beamFlags & kBeamLast) {
      DrawStem(sink, r.stemX1 + dx, r.stemY1 + dy - (font.on ? 2 : 0), r.stemX2 + dx, r.stemY2 + dy);
      if (first < 0) continue;
      line.x2 = r.stemX2;
      line.y2 = r.stemY2;
      DrawBeamLines(sink, line, minFlags, layout, font);
      for (int32_t j = first; j <= i; ++j) {
        if (notes[j].flagCount > minFlags) DrawPartialBeams(sink, line, notes, count, first, i, j, minFlags, layout, font);
      }
      first = -1;
    }
  }
}

UpperPaneResult LayoutUpperPane(const StepEditModel& editor, const ScoreLayout& layout,
                                const UpperPaneSettings& settings, int32_t startLine, int32_t width,
                                ScoreDrawSink& sink) {
  UpperPaneResult result;
  ScoreWalkState state;
  if (!BeginScoreWalk(state, layout, settings.keySignature, settings.beatNumerator, settings.beatDenominator)) {
    return result;
  }
  UpperPaneSink pane(editor, settings, startLine, sink);
  result.lastLine = WalkScoreLines(state, editor, startLine, width, &pane);
  pane.DrawHeldKeys(state);
  result.endX = state.x;
  result.full = state.full;
  result.ok = true;
  return result;
}
