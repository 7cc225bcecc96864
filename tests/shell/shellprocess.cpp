#include "shellprocess.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

bool OwnedBy(HWND window, DWORD pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner == pid;
}

struct FindTop {
  DWORD pid;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM lp) {
  auto* f = reinterpret_cast<FindTop*>(lp);
  if (OwnedBy(window, f->pid) && IsWindowVisible(window) && ClassOf(window) == f->className)
    f->found.push_back(window);
  return TRUE;
}

// Waits while this thread's own windows (the shell some suites start in the
// test process) answer what other programs send them.
bool PumpWait(HANDLE handle, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD passed = GetTickCount() - start;
    if (passed >= limitMs) return handle && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    const DWORD r = MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, limitMs - passed, QS_ALLINPUT);
    if (handle && r == WAIT_OBJECT_0) return true;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

std::vector<HWND> TopWindows(DWORD pid, const char* className) {
  FindTop f{pid, className, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

std::string WindowsStylePath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace

std::string SettingsPath() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir) + "\\ZKFW95.INI";
}

void WriteSettings(const std::string& text) {
  std::ofstream out(SettingsPath(), std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadSettings() {
  std::ifstream in(SettingsPath(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string SettingsValue(const char* section, const char* key) {
  char buf[1024] = "";
  GetPrivateProfileStringA(section, key, "", buf, sizeof buf, SettingsPath().c_str());
  return buf;
}

bool WaitForSettingsValue(const char* section, const char* key, const std::string& value, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limitMs) {
    if (SettingsValue(section, key) == value) return true;
    Sleep(100);
  }
  return SettingsValue(section, key) == value;
}

std::string ProgramPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1) + "zkfw32.exe";
}

std::string OutputFolder() {
  const char* env = std::getenv("ZK_TEST_OUTPUT");
  std::string folder;
  if (env && *env) {
    folder = WindowsStylePath(env);
  } else {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    folder = std::string(tmp) + "zk-test-output";
  }
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ClassOf(HWND window) {
  char name[128] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TitleOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ControlText(HWND control) {
  char text[512] = "";
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                           &length))
    return std::string();
  return std::string(text, length < sizeof text ? length : 0);
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) children.push_back(w);
  return children;
}

HWND ChildOfClass(HWND parent, const char* className) {
  for (HWND w : ChildrenOf(parent))
    if (lstrcmpiA(ClassOf(w).c_str(), className) == 0) return w;
  return nullptr;
}

std::string DialogText(HWND dialog) {
  std::string text;
  for (HWND w : ChildrenOf(dialog))
    if (lstrcmpiA(ClassOf(w).c_str(), "Static") == 0) text += TitleOf(w);
  return text;
}

bool SaveScreenshot(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((w * 3 + 3) / 4) * 4;
  const DWORD imageBytes = stride * h;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + imageBytes;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  out.write(static_cast<const char*>(bits), imageBytes);
  const bool ok = out.good();
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

ShellProcess::~ShellProcess() {
  if (Running() && !Close(30000)) TerminateProcess(info_.hProcess, 1);
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool ShellProcess::Start(const std::string& arguments) {
  std::string command = "\"" + ProgramPath() + "\"";
  if (!arguments.empty()) command += " " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) != 0;
}

HWND ShellProcess::WaitForFrame(DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limitMs) {
    std::vector<HWND> frames = TopWindows(info_.dwProcessId, "zkfwFrame");
    if (!frames.empty()) {
      frame_ = frames[0];
      WaitForInputIdle(info_.hProcess, limitMs);
      // One round trip through its message loop: start-up has finished.
      DWORD_PTR result = 0;
      SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result);
      return frame_;
    }
    if (!Running()) return nullptr;
    PumpWait(nullptr, 100);
  }
  return nullptr;
}

std::vector<HWND> ShellProcess::Dialogs() const { return TopWindows(info_.dwProcessId, "#32770"); }

HWND ShellProcess::WaitForDialog(DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limitMs) {
    std::vector<HWND> dialogs = Dialogs();
    if (!dialogs.empty()) return dialogs[0];
    if (!Running()) return nullptr;
    PumpWait(nullptr, 100);
  }
  return nullptr;
}

bool ShellProcess::Close(DWORD limitMs) {
  if (!Running()) return true;
  if (frame_) PostMessageA(frame_, WM_CLOSE, 0, 0);
  return PumpWait(info_.hProcess, limitMs);
}

bool ShellProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ShellProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}
