// Library entry, the device connection and the Windows MIDI devices behind
// it: settings, open, close, short and long sends.
#include <cstring>

#include "smpustate.h"

SmpuState g_smpu;
HINSTANCE g_smpuInstance = nullptr;

namespace {
const char kIni[] = "ZKFW95.INI";
const char kSection[] = "rdsmpu32";

std::string Setting(const char* key, const char* def) {
  char buf[256];
  GetPrivateProfileStringA(kSection, key, def, buf, sizeof buf, kIni);
  return buf;
}

// Device id of the output device named name; the first device for an empty
// name. -1 when there is none.
int FindOut(const std::string& name) {
  UINT n = midiOutGetNumDevs();
  for (UINT i = 0; i < n; ++i) {
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    if (name.empty() || lstrcmpiA(caps.szPname, name.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

int FindIn(const std::string& name) {
  UINT n = midiInGetNumDevs();
  for (UINT i = 0; i < n; ++i) {
    MIDIINCAPSA caps{};
    if (midiInGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    if (name.empty() || lstrcmpiA(caps.szPname, name.c_str()) == 0) return static_cast<int>(i);
  }
  return -1;
}

// Takes the handles under the lock and closes them without it: the input
// callback takes the lock too, and closing waits for it.
void CloseDevices() {
  SmpuState& s = g_smpu;
  HMIDIIN in;
  HMIDIOUT out[2];
  {
    std::lock_guard<std::recursive_mutex> hold(s.lock);
    in = s.in;
    out[0] = s.out[0];
    out[1] = s.out[1];
    s.in = nullptr;
    s.out[0] = s.out[1] = nullptr;
    s.inId = 0xFFFF;
  }
  if (in) {
    midiInStop(in);
    midiInReset(in);
    midiInClose(in);
  }
  if (out[1] && out[1] != out[0]) midiOutClose(out[1]);
  if (out[0]) midiOutClose(out[0]);
}

void ResetSwitches() {
  SmpuState& s = g_smpu;
  s.sync = SMPUSYNCMODE{0, 7, 3};
  s.clkReso = 4;
  s.recSw = s.recPortSw = s.tempoRecSw = s.linkSw = s.monSw = s.thruSw = 0;
  s.sendMidiRT = s.midiOptionSw = s.chaseSw = s.midiSyncPort = s.recBufMargin = 0;
  s.activeSeqPlay = s.monFilter = s.monFilterAllCc = s.tcRunning = 0;
  std::memset(s.chThru, 0xFF, sizeof s.chThru);
  std::memset(s.sysThru, 0xFF, sizeof s.sysThru);
  std::memset(s.recFilter, 0, sizeof s.recFilter);
  std::memset(s.lineMon, 0, sizeof s.lineMon);
  s.reportIntervalMs = 0;
  s.pending = 0;
  s.lastError = 0;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_smpuInstance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

bool ValidHandle(short handle) { return handle == kHandle && g_smpu.open; }

void RaiseEvents(WORD bits) {
  SmpuState& s = g_smpu;
  WORD fresh = static_cast<WORD>(bits & ~s.pending);
  s.pending |= bits;
  if (fresh && s.openParam.window)
    PostMessageA(s.openParam.window, s.openParam.message, static_cast<WPARAM>(kHandle), fresh);
}

MMRESULT SendShort(int port, DWORD msg) {
  HMIDIOUT h = g_smpu.out[port & 1];
  if (!h) return MMSYSERR_INVALHANDLE;
  return midiOutShortMsg(h, msg);
}

MMRESULT SendLong(int port, const BYTE* bytes, size_t n) {
  HMIDIOUT h = g_smpu.out[port & 1];
  if (!h || n == 0) return MMSYSERR_INVALHANDLE;
  std::vector<char> data(bytes, bytes + n);
  MIDIHDR hdr{};
  hdr.lpData = data.data();
  hdr.dwBufferLength = hdr.dwBytesRecorded = static_cast<DWORD>(n);
  MMRESULT r = midiOutPrepareHeader(h, &hdr, sizeof hdr);
  if (r != MMSYSERR_NOERROR) return r;
  r = midiOutLongMsg(h, &hdr, sizeof hdr);
  // The data lives on this stack: wait until the device is done with it.
  for (int i = 0; r == MMSYSERR_NOERROR && !(hdr.dwFlags & MHDR_DONE) && i < 2000; ++i) Sleep(1);
  while (midiOutUnprepareHeader(h, &hdr, sizeof hdr) == MIDIERR_STILLPLAYING) Sleep(1);
  return r;
}

// Note-offs for every note the sequencer left sounding.
void ReleaseSounding() {
  SmpuState& s = g_smpu;
  for (int port = 0; port < 2; ++port)
    for (int ch = 0; ch < 16; ++ch)
      for (int key = 0; key < 128; ++key)
        if (s.sounding[port][ch][key >> 3] & (1 << (key & 7)))
          SendShort(port, static_cast<DWORD>(0x80 | ch) | key << 8);
  std::memset(s.sounding, 0, sizeof s.sounding);
}

SMPUAPI SMPURESULT WINAPI SMPUOpen(const SMPUOPENPARAM* open) {
  if (open)
    CallLog("SMPUOpen {%u,%u,%d,%u,%d,%u}", static_cast<unsigned>(reinterpret_cast<uintptr_t>(open->window)),
            open->message, open->recvCallback != nullptr, open->recvEnable, open->sendCallback != nullptr,
            open->sendEnable);
  else
    CallLog("SMPUOpen null");
  if (!open) return SMPU_ERR_PARAM;
  SmpuState& s = g_smpu;
  {
    std::lock_guard<std::recursive_mutex> hold(s.lock);
    if (s.open) return SMPU_ERR_INUSE;
    std::string outA = Setting("OutDevice", "");
    std::string outB = Setting("OutDeviceB", "");
    std::string in = Setting("InDevice", "");
    int q = GetPrivateProfileIntA(kSection, "QueueWords", 4096, kIni);
    s.queueSize = q < 256 ? 256 : q > 65536 ? 65536 : q;
    int low = GetPrivateProfileIntA(kSection, "QueueLow", 512, kIni);
    s.queueLow = low < 1 ? 1 : low > s.queueSize ? s.queueSize : low;

    int a = FindOut(outA);
    int b = outB.empty() ? a : FindOut(outB);
    int i = lstrcmpiA(in.c_str(), "none") == 0 ? -2 : FindIn(in);
    if (a < 0 || b < 0 || (i == -1 && !in.empty())) return SMPU_ERR_DEVICE;
    if (midiOutOpen(&s.out[0], a, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      s.out[0] = nullptr;
      return SMPU_ERR_DEVICE;
    }
    s.outId[0] = a;
    s.outId[1] = b;
    s.out[1] = s.out[0];
    if (b != a && midiOutOpen(&s.out[1], b, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      s.out[1] = nullptr;
      CloseDevices();
      return SMPU_ERR_DEVICE;
    }
    if (i >= 0) {
      if (midiInOpen(&s.in, i, reinterpret_cast<DWORD_PTR>(&SmpuMidiInProc), 0, CALLBACK_FUNCTION) !=
          MMSYSERR_NOERROR) {
        s.in = nullptr;
        CloseDevices();
        return SMPU_ERR_DEVICE;
      }
      s.inId = i;
      midiInStart(s.in);
    }
    s.openParam = *open;
    ResetSwitches();
    s.queue.Reset(s.queueSize);
    s.recorded.Reset(16384);
    s.monitor.Reset(8192);
    ResetSequencer();
    ResetRecording();
    s.open = true;
  }
  StartClockThread();
  return kHandle;
}

SMPUAPI SMPURESULT WINAPI SMPUClose(short handle) {
  CallLog("SMPUClose %d", handle);
  SmpuState& s = g_smpu;
  {
    std::lock_guard<std::recursive_mutex> hold(s.lock);
    if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
    StopClock();
    ReleaseSounding();
    s.open = false;
    s.openParam = SMPUOPENPARAM{};
  }
  StopClockThread();
  CloseDevices();
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUInit(short handle) {
  CallLog("SMPUInit %d", handle);
  std::lock_guard<std::recursive_mutex> hold(g_smpu.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  StopClock();
  ReleaseSounding();
  ResetSwitches();
  ResetSequencer();
  ResetRecording();
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetMpuVer(short device, SMPUMPUVER* ver) {
  CallLog("SMPUGetMpuVer %d", device);
  if (device != 0 || !ver) return SMPU_ERR_PARAM;
  *ver = SMPUMPUVER{4, 20, 2};
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUGetEnvInfo(short handle, SMPUENVINFO* info) {
  CallLog("SMPUGetEnvInfo %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (info)
    *info = SMPUENVINFO{static_cast<WORD>(s.queue.words.size()), static_cast<WORD>(s.queue.count),
                        static_cast<WORD>(s.recorded.count), static_cast<WORD>(s.outId[0]),
                        static_cast<WORD>(s.inId)};
  return SMPU_OK;
}

SMPUAPI SMPURESULT WINAPI SMPUPanic(short handle) {
  CallLog("SMPUPanic %d", handle);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  for (int port = 0; port < 2; ++port) {
    if (port == 1 && s.out[1] == s.out[0]) break;
    for (int ch = 0; ch < 16; ++ch) {
      SendShort(port, static_cast<DWORD>(0xB0 | ch) | 64 << 8);    // hold off
      SendShort(port, static_cast<DWORD>(0xB0 | ch) | 123 << 8);   // all notes off
    }
  }
  std::memset(s.sounding, 0, sizeof s.sounding);
  return SMPU_OK;
}
