#include "inprocess.h"

#include <gtest/gtest.h>

#include <set>

#include "appglobals.h"
#include "engine.h"
#include "startup.h"

namespace {

TempSettingsFile* g_settingsFile = nullptr;
bool g_started = false;
bool g_tried = false;

class InProcessShell : public ::testing::Environment {
 public:
  void TearDown() override {
    g_engine = EngineEntries{};
    if (g_started && g_app.frame) {
      SendMessageA(g_app.frame, WM_CLOSE, 0, 0);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    if (g_started) ShutDownProgram();
    g_started = false;
    delete g_settingsFile;
    g_settingsFile = nullptr;
  }
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new InProcessShell);

}  // namespace

TempSettingsFile& InProcessSettings() {
  if (!g_settingsFile) g_settingsFile = new TempSettingsFile;
  return *g_settingsFile;
}

bool StartInProcessShell() {
  if (g_tried) return g_started;
  g_tried = true;
  // No engine is found: each suite binds what it needs.
  InProcessSettings().Write(
      "[Play]\r\nApplet=noengine.dll\r\n[Default Display]\r\nView=0\r\n[OTHER]\r\nMAPISW=0\r\n"
      "[MIDIIF]\r\nPort1Name=None\r\nPort2Name=None\r\nPort3Name=None\r\nPort4Name=None\r\n"
      "[Default Font]\r\nHeight=-12\r\nWeight=400\r\nFaceName=Courier New\r\n"
      "[DeskTop]\r\nConductor=0,1,1,0,0,0,0,0,200,0,300\r\n"
      "ConductorFont=-16,0,0,0,700,0,0,0,128,0,0,0,0,Tahoma\r\n");
  g_started = StartProgram(GetModuleHandleA(nullptr), nullptr, "", SW_SHOWNOACTIVATE);
  return g_started;
}

namespace {
std::function<bool()> g_done;
DWORD g_deadline = 0;
void CALLBACK LoopCheck(HWND, UINT, UINT_PTR, DWORD) {
  if (g_done() || GetTickCount() > g_deadline) PostQuitMessage(0);
}
}  // namespace

bool RunLoopUntil(std::function<bool()> done, DWORD timeoutMs) {
  g_done = std::move(done);
  g_deadline = GetTickCount() + timeoutMs;
  UINT_PTR timer = SetTimer(nullptr, 0, 5, LoopCheck);
  RunMainLoop();
  KillTimer(nullptr, timer);
  return g_done();
}

void RunLoopFor(DWORD ms) {
  RunLoopUntil([] { return false; }, ms);
}

void Command(UINT id) { SendMessageA(g_app.frame, WM_COMMAND, id, 0); }

namespace {

std::function<void(HWND)> g_dialogAct;
int g_dialogsSeen = 0;
std::set<HWND> g_dialogsHandled;
UINT_PTR g_dialogTimer = 0;

BOOL CALLBACK FindFrameDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  // Boxes opened over the frame, and those opened over them in turn.
  if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) && GetWindow(window, GW_OWNER) &&
      !g_dialogsHandled.count(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK DialogCheck(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindFrameDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  g_dialogsHandled.insert(dialog);
  ++g_dialogsSeen;
  // A box that act opens is handed over from inside its own loop.
  if (g_dialogAct) g_dialogAct(dialog);
}

}  // namespace

DialogWatch::DialogWatch(std::function<void(HWND dialog)> act) {
  g_dialogAct = std::move(act);
  g_dialogsSeen = 0;
  g_dialogsHandled.clear();
  g_dialogTimer = SetTimer(nullptr, 0, 20, DialogCheck);
}

DialogWatch::~DialogWatch() {
  if (g_dialogTimer) KillTimer(nullptr, g_dialogTimer);
  g_dialogTimer = 0;
  g_dialogAct = nullptr;
}

int DialogWatch::Seen() const { return g_dialogsSeen; }
