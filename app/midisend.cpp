#include "midisend.h"

#include "appglobals.h"
#include "engine.h"

int CALLBACK SendMidiNow(int status, int channelAndPort, int data1, int data2) {
  if (g_app.portsUnavailable) return static_cast<int>(g_app.portsUnavailable);
  if (!g_engine.midiOutImmMsg) return 0;
  return g_engine.midiOutImmMsg(status, channelAndPort, data1, data2);
}
