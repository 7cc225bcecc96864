#include "midistepinput.h"

#include "appglobals.h"
#include "engine.h"
#include "portsetup.h"
#include "programstate.h"
#include "settings.h"

namespace {

constexpr int kImmRecordIgnored = 32;

// The Super MPU records what comes in on each of its open ports at once.
void ImmediateRecordOn() {
  if (!g_smpu.setSMPUIMMREC || !g_prog.immRecordBlock) return;
  for (int port = 0; port < 4; ++port)
    if (g_smpuPortFlags[port]) g_smpu.setSMPUIMMREC(1, g_prog.immRecordBlock, kImmRecordIgnored);
}

}  // namespace

void StartMidiInputMode(int mode) {
  if (g_app.portsUnavailable) return;
  ImmediateRecordOn();
  if (g_engine.startMIDIInPort) g_engine.startMIDIInPort(mode);
}

void StartMidiInput() {
  if (g_app.portsUnavailable || g_settings.stepInputMode < kFirstMidiStepMode) return;
  StartMidiInputMode(g_settings.stepInputMode);
}

void StopMidiInput() {
  if (!g_app.portsUnavailable && g_engine.stopMIDIInPort) g_engine.stopMIDIInPort();
}
