#include "eventtext.h"

#include <cstdio>
#include <cstring>

#include "keynames.h"
#include "zk/cmdcodes.h"

namespace {

constexpr int kTextWidth = 22;
constexpr int kRepeatDepth = 5;
constexpr uint64_t kZeroRepeatCount = 65536;

// Spelling codes: high nibble the letter (0 B for a B sharp of pitch class
// 0, 1-7 C to B, 8 C for a C flat of pitch class 11), low nibble the
// accidental (0 none, 1 sharp, 2 flat).
constexpr uint8_t kSpelling[16][12] = {
    {0x10, 0x11, 0x20, 0x21, 0x30, 0x40, 0x41, 0x50, 0x51, 0x60, 0x72, 0x70},  // 0
    {0x10, 0x11, 0x20, 0x21, 0x30, 0x40, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 1
    {0x10, 0x11, 0x20, 0x21, 0x30, 0x40, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 2
    {0x10, 0x11, 0x20, 0x21, 0x30, 0x31, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 3
    {0x01, 0x11, 0x20, 0x21, 0x30, 0x31, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 4
    {0x01, 0x11, 0x20, 0x21, 0x30, 0x31, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 5
    {0x01, 0x11, 0x20, 0x21, 0x30, 0x31, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 6
    {0x01, 0x11, 0x20, 0x21, 0x30, 0x31, 0x41, 0x50, 0x51, 0x60, 0x61, 0x70},  // 7
    {0x10, 0x11, 0x20, 0x21, 0x30, 0x40, 0x41, 0x50, 0x51, 0x60, 0x72, 0x70},  // 8
    {0x10, 0x11, 0x20, 0x32, 0x30, 0x40, 0x41, 0x50, 0x51, 0x60, 0x72, 0x70},  // 9
    {0x10, 0x11, 0x20, 0x32, 0x30, 0x40, 0x41, 0x50, 0x62, 0x60, 0x72, 0x70},  // 10
    {0x10, 0x22, 0x20, 0x32, 0x30, 0x40, 0x41, 0x50, 0x62, 0x60, 0x72, 0x70},  // 11
    {0x10, 0x22, 0x20, 0x32, 0x30, 0x40, 0x52, 0x50, 0x62, 0x60, 0x72, 0x70},  // 12
    {0x10, 0x22, 0x20, 0x32, 0x30, 0x40, 0x52, 0x50, 0x62, 0x60, 0x72, 0x82},  // 13
    {0x10, 0x22, 0x20, 0x32, 0x42, 0x40, 0x52, 0x50, 0x62, 0x60, 0x72, 0x82},  // 14
    {0x10, 0x22, 0x20, 0x32, 0x42, 0x40, 0x52, 0x50, 0x62, 0x60, 0x72, 0x82},  // 15
};
constexpr char kLetters[] = "BCDEFGABC";
constexpr char kAccidentals[] = " #b";

// Controller names that replace "CONTROL ".
struct ControllerName {
  uint16_t number;
  const char* name;
};
constexpr ControllerName kControllers[] = {
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

// Continuation events after `index` while the text is short of 22.
std::string WithContinuations(std::string text, const StepEvent* events, int count, int index) {
  for (int i = index + 1; i < count && events[i].code == kCodeContinue && text.size() < kTextWidth; ++i)
    AppendFive(text, events[i]);
  return Fit(text);
}

std::string CommandName(const StepEvent& e) {
  if (e.code == kCodeControl) {
    for (const ControllerName& c : kControllers)
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

}  // namespace

std::string NoteNameText(int key, int keyIndex) {
  key &= 0x7F;
  const uint8_t code = kSpelling[keyIndex & 15][key % 12];
  const int letter = code >> 4, accidental = code & 0x0F;
  int octave = key / 12 - 1;
  if (code == 0x01) --octave;  // B sharp belongs to the octave below
  if (code == 0x82) ++octave;  // C flat to the octave above
  char text[16];
  std::snprintf(text, sizeof text, "%c%c%-2d%3d ", kLetters[letter], kAccidentals[accidental > 2 ? 0 : accidental],
                octave, key);
  return text;
}

uint64_t MeasureEndLength(const StepEvent* events, int count, int index) {
  if (!events || index < 0 || index >= count) return 0;
  int from = index;
  while (from > 0 && events[from - 1].code < 0xFC) --from;
  uint64_t saved[kRepeatDepth];
  int depth = 0;
  uint64_t sum = 0;
  for (int i = from; i < index; ++i) {
    const StepEvent& e = events[i];
    if (e.code == kCodeRepeatStart) {
      if (depth < kRepeatDepth) {
        saved[depth++] = sum;
        sum = 0;
      }
    } else if (e.code == kCodeRepeatEnd) {
      if (depth > 0) {
        const int times = static_cast<int16_t>(e.step);
        sum = sum * (times ? static_cast<uint64_t>(static_cast<uint16_t>(times)) : kZeroRepeatCount) + saved[--depth];
      }
    } else if (e.code < 0xF0) {
      sum += static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(e.step)));
    }
  }
  while (depth > 0) sum += saved[--depth];
  return sum;
}

std::string StepEventText(const StepEvent* events, int count, int index, const EventTextOptions& options) {
  if (!events || index < 0 || index >= count) return {};
  const StepEvent& e = events[index];
  char text[40];
  if (e.code < 0x80) {
    std::string name = NoteNameText(e.code, options.keyIndex);
    if (e.gate == 0 || e.vel == 0) name.replace(0, 4, "    ");
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
      std::snprintf(text, sizeof text, "--------%4llu--------- ",
                    static_cast<unsigned long long>(MeasureEndLength(events, count, index)));
      return Fit(text);
    default:
      return Fit("");
  }
}
