#include "boundengine.h"

#include <cstring>

#include "appglobals.h"
#include "binding.h"
#include "engine.h"
#include "inprocess.h"
#include "playstate.h"
#include "portsetup.h"

bool BoundEngine::Bind(const char* engineFile, bool withInput) {
  if (!vm.Bind()) return false;
  saved_ = g_settings;
  bound_ = true;
  std::strcpy(g_settings.applet, engineFile);
  const int32_t outPorts[5] = {0, -1, -1, -1, 0};
  std::memcpy(g_settings.outPorts, outPorts, sizeof outPorts);
  g_settings.inPorts[0] = withInput ? 0 : -1;
  g_settings.inPorts[1] = -1;
  g_settings.mmedia = 0;
  g_settings.playMonitor = 0;
  g_app.portsUnavailable = 0;
  g_play = PlayState{};
  g_engine = EngineEntries{};
  BindEngine();
  if (!g_engine.library) return false;
  SetUpPorts();
  vm.LogClear();
  return true;
}

void BoundEngine::Release() {
  if (!bound_) return;
  bound_ = false;
  if (g_engine.stopSeqPlay) g_engine.stopSeqPlay();
  RunLoopFor(50);
  ReleasePorts();
  if (g_engine.library) FreeLibrary(g_engine.library);
  g_engine = EngineEntries{};
  g_play = PlayState{};
  g_app.portsUnavailable = 0;
  g_settings = saved_;
}

bool BoundEngine::Playing() const { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }
