#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "appglobals.h"
#include "inifile.h"
#include "songmodel.h"

namespace {

std::string NewTempName(const char* prefix) {
  char dir[MAX_PATH];
  char name[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  GetTempFileNameA(dir, prefix, 0, name);
  return name;
}

// Every test program starts on a settings file of its own.
class IsolatedSettings : public ::testing::Environment {
 public:
  void SetUp() override {
    path_ = NewTempName("zks");
    DeleteFileA(path_.c_str());
    SetSettingsFilePath(path_.c_str());
  }
  void TearDown() override {
    DeleteFileA(path_.c_str());
    SetSettingsFilePath(nullptr);
  }

 private:
  std::string path_;
};

[[maybe_unused]] ::testing::Environment* const g_isolated =
    ::testing::AddGlobalTestEnvironment(new IsolatedSettings);

MessageBoxRecorder* g_recorder = nullptr;

LRESULT CALLBACK TestFrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

TempSettingsFile::TempSettingsFile() : previous_(SettingsFilePath()) {
  path_ = NewTempName("zki");
  DeleteFileA(path_.c_str());
  SetSettingsFilePath(path_.c_str());
}

TempSettingsFile::~TempSettingsFile() {
  DeleteFileA(path_.c_str());
  SetSettingsFilePath(previous_.c_str());
}

std::string TempSettingsFile::Contents() const { return ReadFileBytes(path_); }

void TempSettingsFile::Write(const std::string& text) const {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out << text;
}

MessageBoxRecorder::MessageBoxRecorder() {
  g_recorder = this;
  SetMessageBoxHook(&MessageBoxRecorder::Hook);
}

MessageBoxRecorder::~MessageBoxRecorder() {
  SetMessageBoxHook(nullptr);
  g_recorder = nullptr;
}

int MessageBoxRecorder::Hook(const MessageBoxCall& call) {
  int answer = IDOK;
  if (g_recorder && !g_recorder->answers.empty()) {
    answer = g_recorder->answers.front();
    g_recorder->answers.pop_front();
  }
  if (g_recorder)
    g_recorder->boxes.push_back({call.stringId, call.text, call.caption, call.style, answer});
  return answer;
}

TestFrame::TestFrame() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestFrameProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZkTestFrame";
    registered = RegisterClassA(&wc) != 0;
  }
  hwnd_ = CreateWindowA("ZkTestFrame", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                        GetModuleHandleA(nullptr), nullptr);
  g_app.frame = hwnd_;
  if (hwnd_) CreateSongRecord(hwnd_);
}

TestFrame::~TestFrame() {
  if (hwnd_) {
    DestroySongRecord(hwnd_);
    DestroyWindow(hwnd_);
  }
  g_app.frame = nullptr;
}

TempDir::TempDir() {
  path_ = NewTempName("zkd");
  DeleteFileA(path_.c_str());
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name != "." && name != "..") DeleteFileA(File(name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path_.c_str());
}

void ReplaceTrackEvents(int n, const std::vector<StepEvent>& events) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (events.size() + 1) * sizeof(StepEvent));
  std::memcpy(GlobalLock(h), events.data(), events.size() * sizeof(StepEvent));
  GlobalUnlock(h);
  SongDocument* doc = LockSongDocument(g_app.frame);
  auto* table = static_cast<SongHandleTable*>(LocalLock(doc->handleTable));
  GlobalFree(table->h[TrackEventsEntry(n)]);
  table->h[TrackEventsEntry(n)] = h;
  LocalUnlock(doc->handleTable);
  UnlockSongDocument(g_app.frame);
}

void ClearSongModified() {
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  if (auto* tw = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    for (uint32_t& state : tw->state) state = 0;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
}

std::vector<StepEvent> TrackEventsOf(int n) {
  std::vector<StepEvent> out;
  HGLOBAL h = SongEntry(TrackEventsEntry(n));
  if (!h) return out;
  auto* e = static_cast<const StepEvent*>(GlobalLock(h));
  int count = CountEvents(e, static_cast<int>(GlobalSize(h) / sizeof(StepEvent)));
  out.assign(e, e + count);
  GlobalUnlock(h);
  return out;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD w = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
  CloseHandle(f);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD RunSharedFlagProbe(const std::string& args) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of('\\') + 1);
  std::string cmd = "\"" + dir + "sharedflag_probe.exe\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return 0xFFFFFFFF;
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

std::string ShowEvents(const std::vector<StepEvent>& events) {
  std::string text;
  for (const StepEvent& e : events) {
    char item[40];
    std::snprintf(item, sizeof item, "%s%02X %u %u %u", text.empty() ? "" : " | ", e.code, e.vel, e.step, e.gate);
    text += item;
  }
  return text;
}
