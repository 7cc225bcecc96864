#include "eventfilter.h"

namespace {

bool KeyInRange(int key, int low, int high) {
  if (low <= high) return key >= low && key <= high;
  return key < high || key > low;
}

// The class bit an event belongs to, 0 for none.
uint32_t ClassOf(int code, int param) {
  if (code < 0 || code > 0xFF) return 0;
  if (code < 0x80) return kFilterNotes;
  switch (code) {
    case 0xEE: return kFilterPitchBend;
    case 0xEC: return kFilterProgram;
    case 0xEA: return kFilterChannelPressure;
    case 0xED: return kFilterKeyPressure;
    case 0xE7: return kFilterTempo;
    case 0xE6: return kFilterChannelChange;
    case 0xF6: return kFilterMemo;
    case 0x98: return kFilterTrackExcl;
    case 0xEB:
      switch (param) {
        case 64: return kFilterPedal;
        case 7: return kFilterVolume;
        case 11: return kFilterExpression;
        case 1: return kFilterModulation;
        default: return kFilterControl;
      }
    case 0x99:
      if (param == 0) return kFilterMci;
      if (param == 1) return kFilterCommandLine;
      return 0;
  }
  if (code >= 0xDC && code <= 0xDF) return kFilterRolandExcl;
  if (code >= 0xC0 && code <= 0xD3) return kFilterYamahaExcl;
  if (code >= 0x90 && code <= 0x97) return kFilterUserExcl;
  return 0;
}

}  // namespace

bool MatchEventFilter(uint32_t mask, int lowKey, int highKey, int code, int param) {
  const uint32_t bit = ClassOf(code, param);
  if (!(mask & bit)) return false;
  return bit != kFilterNotes || KeyInRange(code, lowKey, highKey);
}

bool MatchEventFilter(const EventFilter& filter, const StepEvent& event) {
  return MatchEventFilter(filter.mask, filter.lowKey, filter.highKey, event.code, event.gate);
}
