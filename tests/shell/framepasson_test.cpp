// The commands the frame passes on, received by a recording step editor that
// is both the current step editor and the active child.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "inprocess.h"
#include "playstate.h"
#include "programstate.h"
#include "settings.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "plugins.h"
#include "testplugins.h"
#include "testsupport.h"
#include "windownav.h"
#include "zk/messages.h"

namespace {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Received& o) const {
    return message == o.message && wParam == o.wParam && lParam == o.lParam;
  }
};

std::vector<Received> g_received;
WNDPROC g_editorProc = nullptr;

bool Interesting(UINT m) {
  return m == WM_COMMAND || m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_VSCROLL || m == EM_UNDO ||
         m == EM_SETSEL || m == WM_PASTE || (m >= WM_USER && m != WM_ZK_STEPCHANGED && m < 0xC000);
}

LRESULT CALLBACK RecordingEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Interesting(message)) g_received.push_back({message, wParam, lParam});
  return CallWindowProcA(g_editorProc, window, message, wParam, lParam);
}

std::string Show(const std::vector<Received>& list) {
  std::string out;
  for (const Received& r : list)
    out += std::to_string(r.message) + "(" + std::to_string(r.wParam) + "," + std::to_string(static_cast<long long>(r.lParam)) + ") ";
  return out;
}

struct PassCase {
  const char* name;
  UINT id;
  int reversUpDown, shiftUpDown, ctrlCv;
  bool rhythm, shift;
  int viewFlag0, viewFlag1;
  std::vector<Received> expected;
};

constexpr LPARAM kMinus1 = -1;

class PassedOnTest : public ::testing::TestWithParam<PassCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    saved_ = g_settings;
    ASSERT_EQ(OpenTrackEditorFromLog(nullptr, 1, 0), 1);
    editor_ = StepEditorOfTrack(1);
    ASSERT_NE(editor_, nullptr);
    ASSERT_EQ(g_prog.currentStep, editor_);
    g_editorProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingEditorProc)));
    GetKeyboardState(keys_);
  }
  void TearDown() override {
    SetKeyboardState(keys_);
    if (editor_) {
      StepEditorData* ed = GetStepEditorData(editor_);
      ed->viewMode = kModeStepList;
      ed->viewFlags[0] = 1;
      ed->viewFlags[1] = 0;
      SetWindowLongPtrA(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
      SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor_), 0);
    }
    ClearSongModified();
    g_settings = saved_;
  }
  HWND editor_ = nullptr;
  AppSettings saved_{};
  BYTE keys_[256] = {};
};

TEST_P(PassedOnTest, TheEditorReceivesExactlyTheForm) {
  const PassCase& c = GetParam();
  g_settings.reversUpDown = c.reversUpDown;
  g_settings.shiftUpDown = c.shiftUpDown;
  g_settings.ctrlCv = c.ctrlCv;
  StepEditorData* ed = GetStepEditorData(editor_);
  ed->viewMode = c.rhythm ? kModeRhythmGrid : kModeStepList;
  ed->viewFlags[0] = c.viewFlag0;
  ed->viewFlags[1] = c.viewFlag1;
  BYTE keys[256];
  std::copy(std::begin(keys_), std::end(keys_), keys);
  keys[VK_SHIFT] = c.shift ? 0x80 : 0;
  SetKeyboardState(keys);
  g_received.clear();
  SendMessageA(g_app.frame, WM_COMMAND, c.id, 0);
  // The command itself arrives first only for the command form.
  EXPECT_EQ(Show(g_received), Show(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PassedOnTest,
    ::testing::Values(
        PassCase{"PageUp", 33, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x912, 1}}},
        PassCase{"PageUpReversed", 33, 1, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x911, 1}}},
        PassCase{"PageDown", 34, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x911, 1}}},
        PassCase{"Home", 36, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, VK_HOME, 0}}},
        PassCase{"Scroll2049", 2049, 0, 0, 0, false, false, 1, 0, {{WM_VSCROLL, 2049, 0}}},
        PassCase{"Message2110", 2110, 0, 0, 0, false, false, 1, 0, {{2110, 0, 0}}},
        PassCase{"Message40023", 40023, 0, 0, 0, false, false, 1, 0, {{40023, 0, 0}}},
        PassCase{"Scroll2218", 2218, 0, 0, 0, false, false, 1, 0, {{WM_VSCROLL, 2225, 0}}},
        PassCase{"F1", 2229, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, VK_F1, static_cast<LPARAM>(kMinus1)}}},
        PassCase{"F9", 2237, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, VK_F9, 0}}},
        PassCase{"F10", 2238, 0, 0, 0, false, false, 1, 0, {{WM_SYSKEYDOWN, VK_F10, static_cast<LPARAM>(kMinus1)}}},
        PassCase{"Command2720", 2720, 0, 0, 0, false, false, 1, 0, {{WM_COMMAND, 2720, 0}}},
        PassCase{"Command7060", 7060, 0, 0, 0, false, false, 1, 0, {{WM_COMMAND, 7060, 0}}},
        PassCase{"PluginIdAlsoToTheEditor", 4111, 0, 0, 0, false, false, 1, 0, {{WM_COMMAND, 4111, 0}}},
        PassCase{"PluginsOnly", 2621, 0, 0, 0, false, false, 1, 0, {}},
        PassCase{"Ten2319", 2319, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x912, 10}}},
        PassCase{"Ten2319Reversed", 2319, 1, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x911, 10}}},
        PassCase{"Step2321", 2321, 0, 0, 0, false, false, 1, 0, {{WM_KEYDOWN, 0x911, 1}}},
        PassCase{"Step2322Shift", 2322, 0, 0, 0, false, true, 1, 0, {{WM_KEYDOWN, 0x912, 10}}},
        PassCase{"ShiftUpDefault", 2323, 0, 0, 0, false, false, 1, 0, {{WM_VSCROLL, 2225, 0}}},
        PassCase{"ShiftUpPage", 2323, 0, 1, 0, false, false, 1, 0, {{WM_VSCROLL, SB_PAGEUP, 0}}},
        PassCase{"ShiftUpSecondView", 2323, 0, 2, 0, false, false, 1, 1, {{WM_VSCROLL, 2048, 0}}},
        PassCase{"ShiftDownNoSecondView", 2324, 0, 2, 0, false, false, 1, 0, {{WM_VSCROLL, 2227, 0}}},
        PassCase{"ShiftDownWithoutList", 2324, 0, 0, 0, false, false, 0, 0, {}},
        PassCase{"Undo", 2700, 0, 0, 0, false, false, 1, 0, {{EM_UNDO, 0, 0}}},
        PassCase{"Copy", 2702, 0, 0, 0, false, false, 1, 0, {{2220, 0, 0}}},
        PassCase{"CopyWithoutList", 2702, 0, 0, 0, false, false, 0, 0, {}},
        PassCase{"SelectAll", 2705, 0, 0, 0, false, false, 1, 0, {{EM_SETSEL, 0, 0}}},
        PassCase{"Range2744", 2744, 0, 0, 0, false, false, 1, 0, {{2199, 1, 0}}},
        PassCase{"CtrlCSearches", 2751, 0, 0, 0, false, false, 1, 0, {{3001, 0, 0}}},
        PassCase{"CtrlCCopies", 2751, 0, 0, 1, false, false, 1, 0, {{2220, 0, 0}}},
        PassCase{"CtrlCInRhythm", 2751, 0, 0, 0, true, false, 1, 0, {}},
        PassCase{"CtrlVSearchesOn", 2752, 0, 0, 0, false, false, 1, 0, {{3002, 0, 0}}},
        PassCase{"CtrlVShiftSearchesBack", 2752, 0, 0, 0, false, true, 1, 0, {{3003, 0, 0}}},
        PassCase{"CtrlVPastes", 2752, 0, 0, 1, true, false, 1, 0, {{WM_PASTE, 0, 0}}},
        PassCase{"PasteMix", 40024, 0, 0, 0, false, false, 1, 0, {{40024, 0, 0}}},
        PassCase{"DisplaySwitch", 2150, 0, 0, 0, false, false, 1, 0, {{2150, 0, 0}}},
        PassCase{"ShiftDigitRefreshes", 2303, 0, 0, 0, false, false, 1, 0, {{WM_ZK_REFRESH, 3, 0}}},
        PassCase{"ShiftZeroRefreshes", 2310, 0, 0, 0, false, false, 1, 0, {{WM_ZK_REFRESH, 10, 0}}}),
    [](const ::testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

int WINAPI AlwaysPlaying() { return 1; }

TEST_F(PassedOnTest, DuringAPlayOrWhileBusyNothingIsPassedOn) {
  const EngineEntries saved = g_engine;
  g_engine.checkPlaying = AlwaysPlaying;
  g_received.clear();
  for (UINT id : {2110u, 2720u, 2700u, 2751u, 33u})
    SendMessageA(g_app.frame, WM_COMMAND, id, 0);
  // Shift+digit is the digit key during a play.
  SendMessageA(g_app.frame, WM_COMMAND, 2302, 0);
  g_engine = saved;
  EXPECT_EQ(Show(g_received), Show({{WM_KEYDOWN, '2', 0}}));
  g_play.busyFlag = 1;
  g_received.clear();
  for (UINT id : {2110u, 2720u, 2700u})
    SendMessageA(g_app.frame, WM_COMMAND, id, 0);
  g_play.busyFlag = 0;
  EXPECT_TRUE(g_received.empty()) << Show(g_received);
}

TEST_F(PassedOnTest, PluginCommandsReachThePluginsInEveryPlayState) {
  InProcessTestPlugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  const std::string id = std::to_string(g_plugins[0].id);
  plugin.ClearCalls();
  g_received.clear();
  // The notification code rides in the high word of the plug-in's first
  // argument.
  SendMessageA(g_app.frame, WM_COMMAND, MAKEWPARAM(4111, 1), 0);
  SendMessageA(g_app.frame, WM_COMMAND, 2621, 0);
  EXPECT_EQ(Show(g_received), Show({{WM_COMMAND, 4111, 0}}));

  const EngineEntries saved = g_engine;
  g_engine.checkPlaying = AlwaysPlaying;
  g_received.clear();
  SendMessageA(g_app.frame, WM_COMMAND, 4300, 0);
  g_engine = saved;
  EXPECT_TRUE(g_received.empty()) << Show(g_received);

  std::vector<std::string> commands;
  for (const std::string& call : plugin.Calls())
    if (call.rfind("Command ", 0) == 0) commands.push_back(call);
  const std::vector<std::string> expected = {"Command " + id + " 1 4111 0", "Command " + id + " 0 2621 0",
                                             "Command " + id + " 0 4300 0"};
  EXPECT_EQ(commands, expected);
}

}  // namespace
