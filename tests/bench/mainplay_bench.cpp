// Benchmark (not a test): note timing when the main program plays (command
// 2350, play and track monitor on, a step editor open per track) beside the
// same engine driven by the bare test host, in the same run, on the stream
// engine and on the timer engine. Run with the device's clock at real time:
// scripts/bench.sh.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "binding.h"
#include "enginehost.h"
#include "engine.h"
#include "inprocess.h"
#include "playmonentries.h"
#include "playstate.h"
#include "programstate.h"
#include "portsetup.h"
#include "resource.h"
#include "settings.h"
#include "songmodel.h"
#include "startup.h"
#include "stepwnd.h"
#include "testsupport.h"
#include "timingsong.h"

namespace {

std::function<bool()> g_done;
DWORD g_deadline = 0;
void CALLBACK LoopCheck(HWND, UINT, UINT_PTR, DWORD) {
  if (g_done() || GetTickCount() > g_deadline) PostQuitMessage(0);
}
bool RunLoopUntil(std::function<bool()> done, DWORD timeoutMs) {
  g_done = std::move(done);
  g_deadline = GetTickCount() + timeoutMs;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, LoopCheck);
  RunMainLoop();
  KillTimer(nullptr, timer);
  return g_done();
}

void SetTrack(int n, std::vector<StepEvent> events, uint8_t channel) {
  events.push_back({0xFE, 0xFE, 254, 254});
  ReplaceTrackEvents(n, events);
  HGLOBAL h = SongEntry(TrackHeaderEntry(n));
  static_cast<TrackHeader*>(GlobalLock(h))->channel = channel;
  GlobalUnlock(h);
}

// The timing song played by the main program through the engine.
std::vector<VMidiLogEntry> PlayWithProgram(VirtualMidi& vm, const char* engine) {
  std::snprintf(g_settings.applet, sizeof g_settings.applet, "%s.dll", engine);
  const int32_t outPorts[5] = {0, -1, -1, -1, 0};
  std::memcpy(g_settings.outPorts, outPorts, sizeof outPorts);
  g_settings.inPorts[0] = g_settings.inPorts[1] = -1;
  g_settings.playMonitor = 1;
  g_settings.trackMonitor = 1;
  g_settings.mmedia = 0;
  g_app.portsUnavailable = 0;
  g_play = PlayState{};
  BindEngine();
  SetUpPorts();
  if (!g_engine.library || !g_engine.checkPlaying) {
    std::printf("%s: the main program did not bind the engine\n", engine);
    return {};
  }
  for (int t = 0; t < kTimingTracks; ++t) SetTrack(t + 1, TimingTrack(t), static_cast<uint8_t>(t));
  UpdateSongSize(g_app.frame);
  std::vector<HWND> editors;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (!StepEditorOfTrack(n)) editors.push_back(CreateStepEditor(n, 0));
  RunLoopUntil([] { return false; }, 500);
  vm.LogClear();
  SendMessageA(g_app.frame, WM_COMMAND, IDM_PLAY_START, 0);
  if (!g_playmon.window) std::printf("%s: the play monitor did not open\n", engine);
  if (!RunLoopUntil([] { return !g_engine.checkPlaying(); }, 60000)) std::printf("%s: no end of play\n", engine);
  RunLoopUntil([] { return false; }, 300);
  auto log = DeviceLog(vm);
  for (HWND editor : editors) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor), 0);
  ReleasePorts();
  return log;
}

void Compare(VirtualMidi& vm, const char* engine, bool stream, std::vector<int64_t>& ticks) {
  const std::vector<VMidiLogEntry> bare = PlayTimingSongWithHost(vm, engine);
  const std::vector<VMidiLogEntry> program = PlayWithProgram(vm, engine);
  TimingFigures b, p;
  if (stream) {
    ticks.clear();
    b = Figures(StreamErrors(bare, &ticks));
    p = Figures(StreamErrors(program, nullptr));
  } else {
    b = Figures(TimerErrors(bare, ticks));
    p = Figures(TimerErrors(program, ticks));
  }
  std::printf("%s: bare host median %.3f ms, 99th %.3f ms (%zu messages); main program median %.3f ms, "
              "99th %.3f ms, max %.3f ms (%zu messages) (goal: median < 1, 99th < 3)\n",
              engine, b.median, b.p99, b.count, p.median, p.p99, p.max, p.count);
}

}  // namespace

int main() {
  VirtualMidi vm;
  if (!vm.Bind()) {
    std::printf("main program play: the virtual device is not loaded\n");
    return 1;
  }
  if (!StartInProcessShell()) {
    std::printf("main program play: the program did not start\n");
    return 1;
  }
  // The play monitor opens at every start.
  WritePrivateProfileStringA("PlayMon", "Applet", "vumix2.dll", InProcessSettings().path().c_str());
  BindPlayMonitor();
  if (g_playmon.setLPPLAYDAT) g_playmon.setLPPLAYDAT(g_prog.playTrackData);
  if (!g_playmon.library) std::printf("main program play: no play monitor\n");
  std::vector<int64_t> ticks;
  Compare(vm, "zkpoly", true, ticks);
  Compare(vm, "zkmme", false, ticks);
  g_engine = EngineEntries{};
  if (g_app.frame) SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
  ShutDownProgram();
  return 0;
}
