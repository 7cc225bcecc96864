// The device connection and the output ports: open, close, the window the
// driver reports to, port assignment, and the shell's port calls.
#include <cstring>

#include "rdsengine.h"
#include "sends.h"

short RdsHandle() { return g_rds.handle.load(); }
bool RdsOpen() { return g_rds.handle.load() >= 0; }

void SetSwitch(SMPURESULT(WINAPI* get)(short), SMPURESULT(WINAPI* set)(short, short), short value) {
  short h = RdsHandle();
  if (get(h) != value) set(h, value);
}

void SetSync(BYTE mode, BYTE frameType) {
  SMPUSYNCMODE now{};
  short h = RdsHandle();
  SMPUGetSyncMode(h, &now);
  if (now.mode == mode && now.level == 15 && now.frameType == frameType) return;
  SMPUSYNCMODE want{mode, 15, frameType};
  SMPUSetSyncMode(h, &want);
}

short OpenDevice(HWND window) {
  g_rds.open.window = window;
  g_rds.open.message = WM_ZK_PLAYNOTIFY;
  g_rds.open.recvCallback = reinterpret_cast<SMPUCALLBACK>(reinterpret_cast<void*>(GetProcAddress(EngineInstance(), MAKEINTRESOURCEA(30))));
  g_rds.open.recvEnable = 1;
  g_rds.open.sendCallback = reinterpret_cast<SMPUCALLBACK>(reinterpret_cast<void*>(GetProcAddress(EngineInstance(), MAKEINTRESOURCEA(31))));
  g_rds.open.sendEnable = 1;
  short h = SMPUOpen(&g_rds.open);
  g_rds.handle = h < 0 ? -1 : h;
  if (h < 0) return h;
  if (!g_rds.selfReference)
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&OpenDevice),
                       &g_rds.selfReference);
  if (SMPUChkActiveSeqPlay(h) > 0) {
    // A sequencer left running by someone else is brought to rest.
    SetSync(3, 0);
    SMPUInit(h);
    if (SMPUGetClkReso(h) != 4) SMPUSetClkReso(h, 4);
    SetSync(0, 0);
  }
  return h;
}

void CloseDevice() {
  short h = RdsHandle();
  if (h >= 0) {
    if (SMPUChkActiveSeqPlay(h) > 0) {
      if (g_rds.immediateRecording) SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 0);
      SMPUSeqStop(h, 0);
      SMPUSeqSuspend(h);
      ReleaseRdsPlay();
      SetSwitch(SMPUGetMonSw, SMPUSetMonSw, 0);
      SetSwitch(SMPUGetRecPortSw, SMPUSetRecPortSw, 0);
      SetSwitch(SMPUGetRecSw, SMPUSetRecSw, 1);
    }
    // The driver's clock thread is gone once this returns: no callback
    // runs after it.
    SMPUClose(h);
    g_rds.handle = -1;
  }
  g_rds.open.sendCallback = nullptr;
  g_rds.open.sendEnable = 0;
  // The host calls this holding its own reference, so the library stays.
  if (HMODULE self = g_rds.selfReference) {
    g_rds.selfReference = nullptr;
    FreeLibrary(self);
  }
}

extern "C" int WINAPI OpenCallBack(int, HWND window) {
  if (!g_rds.monitorBlock) {
    g_rds.monitorBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kMonitorBlockWords * sizeof(WORD));
    if (g_rds.monitorBlock) g_rds.monitorWords = static_cast<WORD*>(GlobalLock(g_rds.monitorBlock));
  }
  if (RdsOpen()) CloseDevice();
  g_shell.window = window;
  return OpenDevice(window);
}

extern "C" int WINAPI CloseCallBack() {
  CloseDevice();
  if (g_rds.monitorBlock) {
    GlobalUnlock(g_rds.monitorBlock);
    GlobalFree(g_rds.monitorBlock);
    g_rds.monitorBlock = nullptr;
    g_rds.monitorWords = nullptr;
  }
  return 1;
}

extern "C" EndCallback WINAPI SetParentFrame(HWND window, EndCallback end) {
  if (window != g_shell.window) {
    g_shell.window = window;
    if (RdsOpen()) {
      CloseDevice();
      OpenDevice(window);
    }
  }
  g_shell.endCallback = end;
  return end;
}

extern "C" int WINAPI CloseMIDIPort() {
  if (g_shell.users == 0) return 0;
  if (--g_shell.users == 0) {
    CloseCallBack();
    CloseInputs();
    for (int p = 0; p < kPorts; ++p) {
      g_rds.port[p].channelBase = 0;
      g_rds.port[p].handleWord = 0;
      g_rds.port[p].assigned = kPortUnassigned;
      g_shell.portSlot[p] = -1;
    }
    g_shell.input.ResetInputs();
  }
  return g_shell.users;
}

extern "C" UINT WINAPI ChangeMIDIPort(int port, int deviceId, int value, int release) {
  MIDIOUTCAPSA caps{};
  uint16_t base = 0;
  if (midiOutGetDevCapsA(static_cast<UINT>(deviceId), &caps, sizeof caps) == MMSYSERR_NOERROR &&
      std::strncmp(caps.szPname, kPortBDeviceName, sizeof kPortBDeviceName - 1) == 0)
    base = 16;
  if (port < 0 || port >= kRdsPorts) return kResultBadNumber;
  RdsPort& p = g_rds.port[port];
  if (release) {
    if (p.handleWord != 0) return kResultAlreadyOpen;
    p.assigned = kPortUnassigned;
    p.handleWord = static_cast<uint32_t>(value);
    if (port < kPorts) g_shell.portSlot[port] = -1;
    return 0;
  }
  if (p.channelBase != 0) return kResultAlreadyOpen;
  p.channelBase = base;
  p.assigned = static_cast<uint16_t>(port);
  if (port < kPorts) g_shell.portSlot[port] = port;
  return 0;
}

int InterfaceChannel(int port, int channel) {
  if (port < 0 || port >= kRdsPorts || g_rds.port[port].assigned == kPortUnassigned) return -1;
  return g_rds.port[port].channelBase + (channel & 0x0F);
}

// The shell's port calls: a slot is a port.
bool OutHasPort(int slot) { return RdsOpen() && InterfaceChannel(slot, 0) >= 0; }

MMRESULT OutShortMsg(int slot, DWORD message) {
  int ic = InterfaceChannel(slot, static_cast<int>(message & 0x0F));
  if (ic < 0) return MMSYSERR_NOERROR;
  SMPURESULT r = PutLineMessage(LineWord1(message, ic, slot), LineWord2(message));
  // Only a busy interface is worth another try; other errors drop the message.
  return r == SMPU_ERR_BUSY ? MIDIERR_NOTREADY : MMSYSERR_NOERROR;
}

void OutSendExclusive(int slot, const uint8_t* bytes, size_t length) {
  if (InterfaceChannel(slot, 0) < 0) return;
  SendBlockMessage(g_rds.port[slot].channelBase, bytes, length);
}
