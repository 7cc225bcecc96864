#include "enginehost.h"

#include <cstring>

#include <zk/messages.h>

namespace {
EngineHost* g_host = nullptr;
const char kClass[] = "ZkEngineTestHost";
}  // namespace

SongBlocks::SongBlocks(int tempo, int timeBase) {
  std::memcpy(header_.signature, "test song", 9);
  header_.tempo = static_cast<uint16_t>(tempo);
  header_.timeBase = static_cast<uint16_t>(timeBase);
  header_.beatNum = 4;
  header_.beatDen = 4;
  for (auto& slot : header_.userExcl) std::memset(slot.data, 0xF7, sizeof slot.data);
}

SongBlocks::~SongBlocks() { Free(); }

void SongBlocks::Free() {
  for (HGLOBAL h : blocks_) GlobalFree(h);
  blocks_.clear();
}

int SongBlocks::AddTrack(const std::vector<StepEvent>& events, uint8_t channel, uint8_t mode,
                         uint8_t keyShift, int8_t stepShift, uint8_t rhythm) {
  TrackHeader h{};
  h.number = static_cast<uint8_t>(tracks_.size() + 1);
  h.channel = channel;
  h.mode = mode;
  h.keyShift = keyShift;
  h.stepShift = stepShift;
  h.rhythm = rhythm;
  tracks_.push_back(h);
  std::vector<StepEvent> ev = events;
  ev.push_back(EndEvent());
  events_.push_back(ev);
  header_.trackCount = static_cast<uint16_t>(tracks_.size());
  return static_cast<int>(tracks_.size());
}

HGLOBAL SongBlocks::MakeTable() {
  Free();
  auto block = [&](const void* data, size_t size) {
    HGLOBAL h = GlobalAlloc(kShareableZeroed, size);
    std::memcpy(GlobalLock(h), data, size);
    GlobalUnlock(h);
    blocks_.push_back(h);
    return h;
  };
  HGLOBAL table = GlobalAlloc(kShareableZeroed, sizeof(SongHandleTable));
  auto* t = static_cast<SongHandleTable*>(GlobalLock(table));
  t->h[kHeaderEntry] = block(&header_, sizeof header_);
  for (int n = 1; n <= TrackCount(); ++n) {
    t->h[TrackHeaderEntry(n)] = block(&tracks_[n - 1], sizeof(TrackHeader));
    t->h[TrackEventsEntry(n)] = block(events_[n - 1].data(), events_[n - 1].size() * sizeof(StepEvent));
  }
  GlobalUnlock(table);
  return table;
}

EngineHost::EngineHost(const char* settingsSection, const char* engine) {
  // The engine reads its section once, when it is loaded.
  WritePrivateProfileSectionA(engine, settingsSection, "ZKFW95.INI");
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);
  window_ = CreateWindowA(kClass, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                          wc.hInstance, nullptr);
  g_host = this;
  lib_ = LoadLibraryA((std::string(engine) + ".dll").c_str());
}

EngineHost::~EngineHost() {
  if (lib_) FreeLibrary(lib_);
  if (window_) DestroyWindow(window_);
  g_host = nullptr;
}

FARPROC EngineHost::Entry(int ordinal) const {
  return lib_ ? GetProcAddress(lib_, MAKEINTRESOURCEA(ordinal)) : nullptr;
}

LRESULT CALLBACK EngineHost::WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (g_host && (msg == WM_ZK_PLAYNOTIFY || msg == WM_ZK_PLAYEND || msg == WM_ZK_PLAYMARK ||
                 msg == WM_ZK_SETPLAYMON || msg == WM_ZK_SETTEXTRING || msg == WM_ZK_MIDIINPUT)) {
    g_host->messages_.push_back({msg, w, l});
    if (msg == WM_ZK_SETPLAYMON) g_host->monitorRing_ = l;
    if (msg == WM_ZK_SETTEXTRING) g_host->textRing_ = l;
    // As the main program does: every notice ends with the status poll.
    if (msg == WM_ZK_PLAYNOTIFY) {
      if (auto poll = g_host->Fn<int(WINAPI*)()>(5)) poll();
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, w, l);
}

void EngineHost::Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

bool EngineHost::WaitForEnd(DWORD timeoutMs) {
  return PumpUntil([&] { return Ended(); }, timeoutMs);
}

bool EngineHost::Ended() const {
  for (const auto& m : messages_)
    if (m.w == static_cast<WPARAM>(-1) && (m.msg == WM_ZK_PLAYEND || (m.msg == WM_ZK_PLAYNOTIFY && m.l == 0)))
      return true;
  return false;
}

int EngineHost::CountMessages(UINT msg, WPARAM w) const {
  int n = 0;
  for (const auto& m : messages_)
    if (m.msg == msg && m.w == w) ++n;
  return n;
}

bool EngineHost::OpenPorts(const std::vector<int>& devices, int input0) {
  char title[64] = {}, version[64] = {};
  short type = 0;
  Fn<int(WINAPI*)(char*, char*, short*)>(2048)(title, version, &type);
  Fn<void*(WINAPI*)(HWND, void*)>(15)(window_, nullptr);
  if (Fn<int(WINAPI*)()>(241)() & 1) return false;
  Fn<int(WINAPI*)(int)>(240)(3);
  Fn<int(WINAPI*)()>(242)();
  auto change = Fn<UINT(WINAPI*)(int, int, HANDLE, int)>(6);
  for (int port = 0; port < 4; ++port) {
    UINT r = port < static_cast<int>(devices.size()) && devices[port] >= 0
                 ? change(port, devices[port], nullptr, 0)
                 : change(port, -1, nullptr, 1);
    if (r != 0) return false;
  }
  if (input0 >= 0) {
    Fn<int(WINAPI*)(int, int, int, int)>(1200)(0, input0, 0, 0);
    Fn<int(WINAPI*)(HWND)>(128)(window_);
  }
  Fn<int(WINAPI*)(int)>(256)(0);
  return true;
}

void EngineHost::ClosePorts() {
  if (!lib_) return;
  if (Fn<int(WINAPI*)()>(241)() == 3) Fn<int(WINAPI*)(int)>(240)(0);
  Fn<int(WINAPI*)()>(243)();
}

std::vector<VMidiLogEntry> DeviceLog(VirtualMidi& vm) {
  std::vector<VMidiLogEntry> log(static_cast<size_t>(vm.LogCount()));
  for (size_t i = 0; i < log.size(); ++i) vm.LogEntry(static_cast<int>(i), &log[i]);
  return log;
}

std::vector<std::pair<int64_t, uint32_t>> StreamShorts(const std::vector<VMidiLogEntry>& log, int device) {
  std::vector<std::pair<int64_t, uint32_t>> out;
  for (const auto& e : log)
    if (e.device == device && e.kind == kVmStreamShort) out.push_back({e.tick, e.message});
  return out;
}
