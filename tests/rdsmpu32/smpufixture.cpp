#include "smpufixture.h"

SmpuHostState g_host;

int WINAPI HostSendCallback(int handle) {
  ++g_host.sendCalls;
  std::lock_guard<std::mutex> hold(g_host.lock);
  size_t n = g_host.toSend.size() - g_host.sent;
  if (n > static_cast<size_t>(g_host.sendChunk)) n = g_host.sendChunk;
  if (n == 0) return 0;
  short taken = SMPUPutSeqBlock(static_cast<short>(handle), g_host.toSend.data() + g_host.sent, static_cast<short>(n));
  if (taken > 0) g_host.sent += taken;
  return 0;
}

int WINAPI HostRecvCallback(int handle) {
  ++g_host.recvCalls;
  WORD buf[250];
  std::lock_guard<std::mutex> hold(g_host.lock);
  for (;;) {
    short n = SMPUGetSeqBlock(static_cast<short>(handle), buf, 250);
    if (n <= 0) break;
    g_host.received.insert(g_host.received.end(), buf, buf + n);
    if (n < 250) break;
  }
  return 0;
}

void Smpu::SetUp() {
  ASSERT_TRUE(vm.Bind()) << "the virtual winmm.dll is not loaded";
  {
    std::lock_guard<std::mutex> hold(g_host.lock);
    g_host.toSend.clear();
    g_host.sent = 0;
    g_host.sendChunk = 3;
    g_host.received.clear();
  }
  g_host.sendCalls = 0;
  g_host.recvCalls = 0;
  window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  vm.LogClear();
  RdsCallLogClear();
}

void Smpu::TearDown() {
  Close();
  if (window) DestroyWindow(window);
}

short Smpu::Open(const std::vector<std::string>& settings, bool callbacks) {
  std::string section;
  for (const std::string& s : settings) section += s + '\0';
  section += '\0';
  WritePrivateProfileStringA("rdsmpu32", nullptr, nullptr, "ZKFW95.INI");
  WritePrivateProfileSectionA("rdsmpu32", section.c_str(), "ZKFW95.INI");
  SMPUOPENPARAM p{};
  p.window = window;
  p.message = kNotifyMessage;
  p.recvCallback = HostRecvCallback;
  p.recvEnable = callbacks;
  p.sendCallback = HostSendCallback;
  p.sendEnable = callbacks;
  h = SMPUOpen(&p);
  return h;
}

void Smpu::Close() {
  if (h >= 0) SMPUClose(h);
  h = -1;
}

void Smpu::Feed(const std::vector<WORD>& words) {
  std::lock_guard<std::mutex> hold(g_host.lock);
  g_host.toSend.insert(g_host.toSend.end(), words.begin(), words.end());
}

std::vector<Played> Smpu::Log(int kind) {
  std::vector<Played> out;
  int n = vm.LogCount();
  for (int i = 0; i < n; ++i) {
    VMidiLogEntry e{};
    if (!vm.LogEntry(i, &e)) continue;
    if (kind >= 0 && e.kind != kind) continue;
    Played p{e.device, e.kind, e.message, e.wallMicros / 1000.0, {}};
    p.bytes.assign(e.data, e.data + (e.length < 1024 ? e.length : 1024));
    out.push_back(p);
  }
  return out;
}

std::vector<std::string> Smpu::CallLog() {
  std::vector<std::string> out;
  char buf[512];
  int n = RdsCallLogCount();
  for (int i = 0; i < n; ++i)
    if (RdsCallLogEntry(i, buf, sizeof buf) >= 0) out.push_back(buf);
  return out;
}

std::vector<LPARAM> Smpu::Notifications() {
  std::vector<LPARAM> out;
  MSG msg;
  while (PeekMessageA(&msg, window, kNotifyMessage, kNotifyMessage, PM_REMOVE)) {
    EXPECT_EQ(msg.wParam, 1u);
    out.push_back(msg.lParam);
  }
  return out;
}
