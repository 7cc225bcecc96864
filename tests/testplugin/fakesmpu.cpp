// A stand-in of the Super MPU engine for binding tests: reports the Super
// MPU type, keeps a share flag of its own, and logs the extras' calls.
#include <windows.h>

#include "calllog.h"

namespace {
int g_shareFlag = 0;
}

extern "C" {

int WINAPI GetAppletType(char* title, char* version, short* type) {
  if (title) lstrcpyA(title, "fake S-MPU");
  if (version) lstrcpyA(version, "2.00");
  if (type) *type = 4;
  return 1;
}

int WINAPI OpenCallBack(HINSTANCE instance, HWND window) {
  LogCall("fakesmpu OpenCallBack %d %d", instance != nullptr, window != nullptr);
  return 1;
}

int WINAPI CloseCallBack() { LogCall("fakesmpu CloseCallBack"); return 1; }

int WINAPI SendSMPUOptionSW(int optionSw, int monitorFilter, int monitorAllCc) {
  LogCall("fakesmpu SendSMPUOptionSW %d %d %d", optionSw, monitorFilter, monitorAllCc);
  return 1;
}

int WINAPI SetSMPUIMMREC(int on, HGLOBAL, int) { LogCall("fakesmpu SetSMPUIMMREC %d", on); return 0; }
int WINAPI SetSyncInternal() { LogCall("fakesmpu SetSyncInternal"); return 0; }
int WINAPI GetTimeCode(BYTE*) { LogCall("fakesmpu GetTimeCode"); return 0; }
int WINAPI MidiReset() { LogCall("fakesmpu midiReset"); return 0; }
int WINAPI SetShareFlag(int value) { g_shareFlag = value; LogCall("fakesmpu SetShareFlag %d", value); return 1; }
int WINAPI GetShareFlag() { return g_shareFlag; }
int WINAPI ClearPlayMonDarty() { LogCall("fakesmpu ClearPlayMonDarty"); return 0; }
int WINAPI SetPlayMonMode(int mode) { LogCall("fakesmpu SetPlayMonMode %d", mode); return 0; }

}  // extern "C"
