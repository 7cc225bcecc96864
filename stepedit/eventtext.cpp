#include "eventtext.h"

#include <algorithm>
#include <cstdio>

#include "keynames.h"
#include "repeatsum.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int kTextWidth = 22;

// Controller numbers whose names replace "CONTROL ".
struct ControllerName {
  uint16_t number;
  const char* name;
};
constexpr ControllerName ControllerNameTable[] = {
    {0, "PG.BANK "},  {32, "PG.BANK "},  {1, "MODULAT "},  {5, "PORTA T "},  {6, "DATA(M) "},
    {7, "VOLUME  "},  {10, "PANPOT  "},  {11, "EXPRESS "}, {38, "DATA(L) "}, {64, "PEDAL   "},
    {65, "PORTAM  "}, {66, "SOSTEN  "},  {67, "SOFT    "}, {84, "LEGART  "}, {91, "REVERB  "},
    {93, "CHORUS  "}, {98, "NRPN(L) "},  {99, "NRPN(M) "}, {100, "RPN (L) "}, {101, "RPN (M) "},
};

std::string Fit(std::string text) {
  text.resize(kTextWidth, ' ');
  return text;
}

char Shown(uint8_t byte) { return byte ? static_cast<char>(byte) : ' '; }

// Five characters of an event's bytes 1 to 5.
void AppendFive(std::string& text, const StepEvent& e) {
  text += Shown(e.vel);
  text += Shown(static_cast<uint8_t>(e.step));
  text += Shown(static_cast<uint8_t>(e.step >> 8));
  text += Shown(static_cast<uint8_t>(e.gate));
  text += Shown(static_cast<uint8_t>(e.gate >> 8));
}

// Continuation events after `index` while the text is short of 22; the end
// event, like any other code, ends them.
std::string WithContinuations(std::string text, const StepEvent* events, int count, int index) {
  for (int i = index + 1; i < count && events[i].code == kCodeContinue && text.size() < kTextWidth; ++i)
    AppendFive(text, events[i]);
  return Fit(text);
}

std::string CommandName(const StepEvent& e) {
  if (e.code == kCodeControl) {
    for (const ControllerName& c : ControllerNameTable)
      if (c.number == e.gate) return c.name;
  }
  char name[9] = {};
  CommandDisplayName(e.code, name);
  return name;
}

std::string Columns(const StepEvent& e, const EventTextOptions& o) {
  const int s = static_cast<int16_t>(e.step);
  int g = static_cast<int16_t>(e.gate);
  const int v = e.vel;
  const char mark = o.overlap ? '*' : ' ';
  char text[40];
  switch (e.code) {
    case kCodeProgram:
      if (o.progOffset) ++g;
      [[fallthrough]];
    case kCodeMidiCh:
    case kCodeAfterC:
      if (s) std::snprintf(text, sizeof text, "%4d %4d     ", s, g);
      else std::snprintf(text, sizeof text, "     %4d     ", g);
      return text;
    case kCodePitch: {
      // The bend less 8,192 as a magnitude, its minus sign in a fixed column.
      const bool up = (v & 0x40) != 0;
      const int value = up ? (v & 63) * 128 + (g & 127) : (64 - (v & 63)) * 128 - (g & 127);
      const char* form = up ? (s ? "%4d     %4d " : "         %4d ") : (s ? "%4d    -%4d " : "        -%4d ");
      if (s) std::snprintf(text, sizeof text, form, s, value);
      else std::snprintf(text, sizeof text, form, value);
      return text;
    }
    default:
      if (s) std::snprintf(text, sizeof text, "%4d %4d %3d%c", s, g, v, mark);
      else std::snprintf(text, sizeof text, "     %4d %3d%c", g, v, mark);
      return text;
  }
}

std::string ExternalText(const StepEvent* events, int count, int index) {
  const StepEvent& e = events[index];
  const int kind = e.vel * 256 + static_cast<int16_t>(e.gate);
  const char* head = kind == 0 ? "MCI:" : kind == 1 ? "RUN:" : "???:";
  return WithContinuations(head, events, count, index);
}

// The text of events[index] (inside the block) with the note named by
// noteName (8 characters).
std::string EventText(const StepEvent* events, int count, int index, const std::string& noteName,
                      const EventTextOptions& options) {
  const StepEvent& e = events[index];
  char text[40];
  if (e.code < 0x80) {
    std::string name = noteName;
    name.resize(8, ' ');
    if (e.gate == 0 || e.vel == 0) name.replace(0, 4, "    ");  // a rest: only the key number
    return name + Columns(e, options);
  }
  if (e.code == kCodeExternal) {
    std::string line = ExternalText(events, count, index);
    return options.externalColumns ? line + Columns(e, options) : line;
  }
  if (e.code < 0xF0) return CommandName(e) + Columns(e, options);
  switch (e.code) {
    case kCodeKeySig: {
      const char* name = KeyIndexName(e.step & 31);
      return Fit(name ? name : "");
    }
    case kCodeComment: {
      std::string line;
      AppendFive(line, e);
      return WithContinuations(line, events, count, index);
    }
    case kCodeRepeatEnd:
      std::snprintf(text, sizeof text, "     ]  %4d          ", static_cast<int16_t>(e.step));
      return Fit(text);
    case kCodeRepeatStart:
      return Fit("     [");
    case kCodeSameMeasure:
      std::snprintf(text, sizeof text, "========%4u========= ", static_cast<unsigned>(e.step) + 1);
      return Fit(text);
    case kCodeMeasureEnd:
      std::snprintf(text, sizeof text, "--------%4u--------- ",
                    static_cast<unsigned>(MeasureEndLength(events, count, index)));
      return Fit(text);
    default:
      return Fit("");
  }
}

}  // namespace

uint32_t MeasureEndLength(const StepEvent* events, int count, int index) {
  if (!events || index < 0 || index >= count) return 0;
  int from = index;
  while (from > 0 && events[from - 1].code < kCodeSameMeasure) --from;
  RepeatSum length;
  for (int i = from; i < index; ++i) length.Add(events[i]);
  return length.Total();
}

std::string StepEventText(const StepEvent* events, int count, int index, const EventTextOptions& options) {
  if (!events || index < 0 || index >= count) return {};
  const uint8_t code = events[index].code;
  return EventText(events, count, index, code < 0x80 ? NoteNameText(code, options.keyIndex) : std::string(),
                   options);
}

std::string FormatStepEventText(const StepEditModel& m, const StepSongContext& ctx, int32_t index, bool overlapMark,
                                bool externalColumns) {
  if (index < 0 || index > m.eventCount) return {};
  ModelEvents block(m);
  const StepEvent* events = block.events();
  // The end event closes the track; what lies behind it (a gap's tail,
  // spare slots) is not the line's text.
  const int count = std::min(block.slots(), m.eventCount + 1);
  if (!events || index >= count) return {};
  EventTextOptions options;
  options.overlap = overlapMark;
  options.progOffset = ctx.settings.progOffset != 0;
  options.externalColumns = externalColumns;
  const uint8_t code = events[index].code;
  return EventText(events, count, index, code < 0x80 ? NoteNameOf(m, code) : std::string(), options);
}
