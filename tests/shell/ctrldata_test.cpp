// Other: send control data in the program running in the test process: the
// stream engine bound on the virtual device, the logging test plug-in in
// slot 0, and the engine's GS and MT-32 entries watched on the way through.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "boundengine.h"
#include "controlfiles.h"
#include "engine.h"
#include "inprocess.h"
#include "plugins.h"
#include "resource.h"
#include "settings.h"
#include "testplugins.h"
#include "testsupport.h"
#include "vwinmm.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One call of an engine entry as the command made it.
struct EngineCall {
  std::string entry;
  HGLOBAL image = nullptr;
  int port1 = -1, port2 = -1;
  int progress = -1;    // the shared counter when called
  int total = -1;
  std::string dialogText;  // item 1751 of the dialog handed in
  bool dialogHasBar = false;
  HWND dialog = nullptr;
};
std::vector<EngineCall> g_calls;
EngineEntries g_real;
bool g_forward = false;  // pass each call on to the bound engine

EngineCall Seen(const char* entry, HWND dialog) {
  EngineCall c;
  c.entry = entry;
  c.dialog = dialog;
  if (dialog) {
    char text[256] = "";
    GetDlgItemTextA(dialog, 1751, text, sizeof text);
    c.dialogText = text;
    c.dialogHasBar = GetDlgItem(dialog, 1752) != nullptr;
  }
  return c;
}

int WINAPI WatchGSReset(int port) {
  EngineCall c = Seen("GSReset", nullptr);
  c.port1 = port;
  g_calls.push_back(c);
  return g_forward ? g_real.gsReset(port) : 0;
}

int WINAPI WatchResetMT32(int port1, int port2) {
  EngineCall c = Seen("ResetMT32", nullptr);
  c.port1 = port1;
  c.port2 = port2;
  g_calls.push_back(c);
  return g_forward ? g_real.resetMT32(port1, port2) : 0;
}

int WINAPI WatchSendMT32All(HWND dialog, HGLOBAL image, int port, int laPort, int* progress, int total, int wait) {
  EngineCall c = Seen("SendMT32All", dialog);
  c.image = image;
  c.port1 = port;
  c.port2 = laPort;
  c.progress = progress ? *progress : -1;
  c.total = total;
  g_calls.push_back(c);
  return g_forward ? g_real.sendMT32All(dialog, image, port, laPort, progress, total, wait) : 0;
}

int WINAPI WatchGSSendAll(HWND dialog, HGLOBAL image, int port, int* progress, int total, int wait) {
  EngineCall c = Seen("GSSendAll", dialog);
  c.image = image;
  c.port1 = port;
  c.progress = progress ? *progress : -1;
  c.total = total;
  g_calls.push_back(c);
  return g_forward ? g_real.gsSendAll(dialog, image, port, progress, total, wait) : 0;
}

std::vector<std::string> Entries() {
  std::vector<std::string> names;
  for (const EngineCall& c : g_calls) names.push_back(c.entry);
  return names;
}

// Images with a signature and a different value in every byte that matters.
HGLOBAL MakeImage(size_t size, const char* signature, size_t signatureSize) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
  auto* b = static_cast<uint8_t*>(GlobalLock(h));
  for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>((i * 7 + 3) & 0x7F);
  std::memcpy(b, signature, signatureSize);
  GlobalUnlock(h);
  return h;
}

HGLOBAL MakeGSImage() {
  HGLOBAL h = MakeImage(kGSImageSize, "HALVERSTROMMA\0GS CONTROL 1.0", 28);
  auto* b = static_cast<uint8_t*>(GlobalLock(h));
  for (int p = 0; p < 16; ++p) b[54 + 122 * p + 2] = static_cast<uint8_t>(p);  // part p on channel p
  GlobalUnlock(h);
  return h;
}

HGLOBAL MakeMT32Image() { return MakeImage(kMT32ImageSize, "HALVERSTROMMA\0\0\0R MT-32", 23); }

Bytes ImageBytes(HGLOBAL h, size_t offset, size_t length) {
  auto* b = static_cast<const uint8_t*>(GlobalLock(h));
  Bytes out(b + offset, b + offset + length);
  GlobalUnlock(h);
  return out;
}

// The System Exclusive messages the virtual device received, in order.
std::vector<Bytes> ExclusiveMessages(VirtualMidi& vm) {
  std::vector<Bytes> out;
  VMidiLogEntry e;
  for (int i = 0; i < vm.LogCount(); ++i) {
    if (!vm.LogEntry(i, &e) || (e.kind != kVmLong && e.kind != kVmStreamLong)) continue;
    out.emplace_back(e.data, e.data + std::min<int32_t>(e.length, sizeof e.data));
  }
  return out;
}

// Index of the first message that starts with head, or -1.
int IndexOf(const std::vector<Bytes>& messages, const Bytes& head) {
  for (size_t i = 0; i < messages.size(); ++i)
    if (messages[i].size() >= head.size() && std::equal(head.begin(), head.end(), messages[i].begin()))
      return static_cast<int>(i);
  return -1;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ControlDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    ASSERT_TRUE(engine_.Bind("zkpoly.dll", false));
    g_settings.gsPort = g_settings.laPort = g_settings.pcmPort = 0;
    g_real = g_engine;
    g_engine.gsReset = WatchGSReset;
    g_engine.resetMT32 = WatchResetMT32;
    g_engine.sendMT32All = WatchSendMT32All;
    g_engine.gsSendAll = WatchGSSendAll;
    g_calls.clear();
    g_forward = false;
    for (int k = 0; k < 2; ++k) savedImages_[k] = g_controlImages[k];
    g_controlImages[kControlGS] = g_controlImages[kControlMT32] = nullptr;
  }
  void TearDown() override {
    for (int k = 0; k < 2; ++k) {
      if (g_controlImages[k]) GlobalFree(g_controlImages[k]);
      g_controlImages[k] = savedImages_[k];
    }
    g_engine = g_real;
    engine_.Release();
    ClearSongModified();
  }
  void GiveImages() {
    g_controlImages[kControlGS] = MakeGSImage();
    g_controlImages[kControlMT32] = MakeMT32Image();
  }

  BoundEngine engine_;
  VirtualMidi& vm_ = engine_.vm;
  HGLOBAL savedImages_[2] = {};
};

TEST_F(ControlDataTest, WithoutImagesOrPluginsBothBulkSendsRunAndNothingIsSent) {
  for (const ControllerPlugin& p : g_plugins) ASSERT_EQ(p.id, 0);
  g_forward = true;
  Command(IDM_OTHER_SENDCTRL);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"SendMT32All", "GSSendAll"}));
  const std::string sending = LoadAppString(IDS_SENDING_CONTROL);
  for (const EngineCall& c : g_calls) {
    EXPECT_EQ(c.image, nullptr) << c.entry;
    EXPECT_EQ(c.total, 0) << c.entry;
    EXPECT_EQ(c.progress, 0) << c.entry;
    EXPECT_EQ(c.dialogText, sending) << c.entry;
    EXPECT_TRUE(c.dialogHasBar) << c.entry;
    EXPECT_FALSE(IsWindow(c.dialog)) << c.entry;  // gone after the command
  }
  EXPECT_EQ(vm_.LogCount(), 0);
}

// The whole send on the device: resets first (GS, then MT-32), then the
// MT-32 image, then the GS image, each message carrying the image's bytes.
TEST_F(ControlDataTest, ImagesReachTheDeviceAfterTheResets) {
  GiveImages();
  HGLOBAL gs = g_controlImages[kControlGS];
  HGLOBAL mt32 = g_controlImages[kControlMT32];
  g_forward = true;
  Command(IDM_OTHER_SENDCTRL);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"GSReset", "ResetMT32", "SendMT32All", "GSSendAll"}));
  ASSERT_EQ(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[0].port1, 0);
  EXPECT_EQ(g_calls[1].port1, 0);
  EXPECT_EQ(g_calls[1].port2, 0);
  EXPECT_EQ(g_calls[2].image, mt32);
  EXPECT_EQ(g_calls[3].image, gs);
  for (int i : {2, 3}) EXPECT_EQ(g_calls[i].total, 108 + 103);
  // One counter runs through both sends: the GS send starts where the
  // MT-32 send's 103 messages left it.
  EXPECT_EQ(g_calls[2].progress, 0);
  EXPECT_EQ(g_calls[3].progress, 103);

  const std::vector<Bytes> sent = ExclusiveMessages(vm_);
  const int gmOn = IndexOf(sent, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  const int gsReset = IndexOf(sent, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
  const int mtReset = IndexOf(sent, {0xF0, 0x41, 0x10, 0x16, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0xF7});
  const int mtSystem = IndexOf(sent, Join({0xF0, 0x41, 0x10, 0x16, 0x12, 0x10, 0x00, 0x00}, ImageBytes(mt32, 128, 23)));
  const int mtLast = IndexOf(sent, Join({0xF0, 0x41, 0x10, 0x16, 0x12, 0x52, 0x00, 0x00}, ImageBytes(mt32, 22578, 17)));
  const int gsReverb = IndexOf(sent, Join({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30}, ImageBytes(gs, 39, 7)));
  const int gsLast = IndexOf(sent, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x49, 0x1B, 0x00});
  EXPECT_GE(gmOn, 0);
  EXPECT_GT(gsReset, gmOn);
  EXPECT_GT(mtReset, gsReset);
  EXPECT_GT(mtSystem, mtReset);
  EXPECT_GT(mtLast, mtSystem);
  EXPECT_GT(gsReverb, mtLast);
  EXPECT_EQ(gsLast, static_cast<int>(sent.size()) - 1);
}

TEST_F(ControlDataTest, PortsHeldElsewhereSendNothing) {
  GiveImages();
  InProcessTestPlugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  plugin.ClearCalls();
  g_forward = true;
  g_app.portsUnavailable = 1;
  Command(IDM_OTHER_SENDCTRL);
  g_app.portsUnavailable = 0;
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_EQ(vm_.LogCount(), 0);
}

// The test plug-in reports 2,670 control-file bytes (at 4) and 7 progress
// steps (at 12) when asked with the size set.
constexpr int kPluginSteps = 7;

TEST_F(ControlDataTest, PluginIsResetThenSendsUnderTheDialogWithTheWholeTotal) {
  InProcessTestPlugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  GiveImages();
  plugin.ClearCalls();
  Command(IDM_OTHER_SENDCTRL);
  const unsigned id = g_plugins[0].id;
  const int total = kPluginSteps + 108 + 103;
  const std::string info = "Information " + std::to_string(id) + " 0 " + std::to_string(sizeof(ControllerInfo));
  EXPECT_EQ(plugin.Calls(),
            (std::vector<std::string>{info, "ResetControl " + std::to_string(id), info,
                                      "SendControl " + std::to_string(id) + " " + std::to_string(total) +
                                          " 0 0 1 " + LoadAppString(IDS_SENDING_CONTROL)}));
  // The plug-in's reset comes before the modules' resets; its steps are
  // counted before the engine's sends.
  ASSERT_EQ(Entries(), (std::vector<std::string>{"GSReset", "ResetMT32", "SendMT32All", "GSSendAll"}));
  EXPECT_EQ(g_calls[2].total, total);
  EXPECT_EQ(g_calls[2].progress, kPluginSteps);
  EXPECT_EQ(g_calls[2].dialog, g_calls[3].dialog);
}

// Plug-ins that take no part, or part without a reset entry.
struct PluginCase {
  const char* name;
  std::function<void()> arrange;
  bool reset;
  bool send;
};

class PluginPartTest : public ControlDataTest, public ::testing::WithParamInterface<PluginCase> {};

TEST_P(PluginPartTest, OnlyPluginsTakingPartAreResetAndSend) {
  InProcessTestPlugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  plugin.ClearCalls();
  HGLOBAL songData = g_plugins[0].songData;
  GetParam().arrange();
  Command(IDM_OTHER_SENDCTRL);
  SetEnvironmentVariableA("ZK_TESTPLUGIN_DECLINE", nullptr);
  g_plugins[0].songData = songData;
  bool reset = false, send = false;
  for (const std::string& call : plugin.Calls()) {
    reset = reset || call.rfind("ResetControl", 0) == 0;
    send = send || call.rfind("SendControl", 0) == 0;
  }
  EXPECT_EQ(reset, GetParam().reset);
  EXPECT_EQ(send, GetParam().send);
  const int expected = GetParam().send ? kPluginSteps : 0;
  ASSERT_EQ(Entries(), (std::vector<std::string>{"SendMT32All", "GSSendAll"}));
  EXPECT_EQ(g_calls[0].total, expected);
  EXPECT_EQ(g_calls[0].progress, expected);  // the plug-in took its steps
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PluginPartTest,
    ::testing::Values(
        PluginCase{"NoSongData", [] { g_plugins[0].songData = nullptr; }, false, false},
        PluginCase{"Declines", [] { SetEnvironmentVariableA("ZK_TESTPLUGIN_DECLINE", "1"); }, false, false},
        PluginCase{"NoResetEntry", [] { g_plugins[0].resetControlData = nullptr; }, false, true}),
    [](const ::testing::TestParamInfo<PluginCase>& info) { return std::string(info.param.name); });

}  // namespace
