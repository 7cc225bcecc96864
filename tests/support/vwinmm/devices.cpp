// The device lists, their capabilities, and the control calls about them.
#include <cstring>

#include "vmstate.h"

VmState g_vm;

std::vector<std::string> VmSplitNames(const char* text) {
  std::vector<std::string> names;
  std::string cur;
  for (const char* p = text; p && *p; ++p) {
    if (*p == ';') {
      if (!cur.empty()) names.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty()) names.push_back(cur);
  return names;
}

namespace {

constexpr WORD kUnmapped = 0xFFFF;  // no registered maker or product

std::string EnvOr(const char* name, const char* fallback) {
  char buf[2048];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return fallback;
  return buf;
}

void ResizeDeviceTables() {
  g_vm.failOpen.assign(g_vm.outNames.size(), 0);
  g_vm.failShort.assign(g_vm.outNames.size(), 0);
}

// A device id, or a handle standing for its device (the caps calls take both).
bool ResolveOutDevice(UINT_PTR id, UINT* device, bool* mapper) {
  *mapper = false;
  if (id == static_cast<UINT_PTR>(static_cast<UINT>(MIDI_MAPPER))) {
    if (g_vm.outNames.empty()) return false;
    *mapper = true;
    *device = 0;
    return true;
  }
  if (id < g_vm.outNames.size()) {
    *device = static_cast<UINT>(id);
    return true;
  }
  if (auto o = VmFindOut(reinterpret_cast<HANDLE>(id))) {
    *device = o->device;
    *mapper = o->mapper;
    return true;
  }
  return false;
}

void CopyName(const std::string& name, char* dst) {
  lstrcpynA(dst, name.c_str(), MAXPNAMELEN);
}

// The ANSI and wide forms differ only in the name's characters.
void CopyName(const std::string& name, WCHAR* dst) {
  int n = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, dst, MAXPNAMELEN);
  if (n == 0) dst[MAXPNAMELEN - 1] = 0;
}

template <typename Caps>
void FillOutCaps(Caps* caps) {
  caps->wMid = kUnmapped;
  caps->wPid = kUnmapped;
  caps->vDriverVersion = 0x0100;
  caps->wTechnology = MOD_MIDIPORT;
  caps->wVoices = 0;
  caps->wNotes = 0;
  caps->wChannelMask = 0xFFFF;
  caps->dwSupport = MIDICAPS_VOLUME | MIDICAPS_LRVOLUME | MIDICAPS_STREAM;
}

template <typename Caps>
void FillInCaps(Caps* caps) {
  caps->wMid = kUnmapped;
  caps->wPid = kUnmapped;
  caps->vDriverVersion = 0x0100;
  caps->dwSupport = 0;
}

const char kMapperName[] = "Virtual MIDI Mapper";

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_vm.outNames = VmSplitNames(EnvOr("VMIDI_OUT", "Virtual Out A;Virtual Out B").c_str());
    g_vm.inNames = VmSplitNames(EnvOr("VMIDI_IN", "Virtual In A;Virtual In B").c_str());
    ResizeDeviceTables();
    VmClockInit();
    VmLogInit();
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Only when unloaded: at process exit a thread may have died holding the
    // log's lock, and every line is flushed already.
    VmLogClose();
  }
  return TRUE;
}

template <typename Caps>
MMRESULT OutCaps(UINT_PTR id, Caps* out, UINT size) {
  if (!out) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  UINT device;
  bool mapper;
  if (!ResolveOutDevice(id, &device, &mapper)) return MMSYSERR_BADDEVICEID;
  Caps caps{};
  FillOutCaps(&caps);
  CopyName(mapper ? kMapperName : g_vm.outNames[device], caps.szPname);
  if (mapper) caps.wTechnology = MOD_MAPPER;
  memcpy(out, &caps, size < sizeof caps ? size : sizeof caps);
  return MMSYSERR_NOERROR;
}

template <typename Caps>
MMRESULT InCaps(UINT_PTR id, Caps* out, UINT size) {
  if (!out) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lk(g_vm.mu);
  UINT device = static_cast<UINT>(id);
  if (id >= g_vm.inNames.size()) {
    auto in = VmFindIn(reinterpret_cast<HANDLE>(id));
    if (!in) return MMSYSERR_BADDEVICEID;
    device = in->device;
  }
  Caps caps{};
  FillInCaps(&caps);
  CopyName(g_vm.inNames[device], caps.szPname);
  memcpy(out, &caps, size < sizeof caps ? size : sizeof caps);
  return MMSYSERR_NOERROR;
}

extern "C" {

UINT WINAPI midiOutGetNumDevs(void) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  return static_cast<UINT>(g_vm.outNames.size());
}

UINT WINAPI midiInGetNumDevs(void) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  return static_cast<UINT>(g_vm.inNames.size());
}

MMRESULT WINAPI midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA pmoc, UINT cbmoc) { return OutCaps(id, pmoc, cbmoc); }
MMRESULT WINAPI midiOutGetDevCapsW(UINT_PTR id, LPMIDIOUTCAPSW pmoc, UINT cbmoc) { return OutCaps(id, pmoc, cbmoc); }
MMRESULT WINAPI midiInGetDevCapsA(UINT_PTR id, LPMIDIINCAPSA pmic, UINT cbmic) { return InCaps(id, pmic, cbmic); }
MMRESULT WINAPI midiInGetDevCapsW(UINT_PTR id, LPMIDIINCAPSW pmic, UINT cbmic) { return InCaps(id, pmic, cbmic); }

BOOL WINAPI vmidiSetDevices(const char* outNames, const char* inNames) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (!g_vm.outs.empty() || !g_vm.ins.empty()) return FALSE;
  if (outNames) g_vm.outNames = VmSplitNames(outNames);
  if (inNames) g_vm.inNames = VmSplitNames(inNames);
  ResizeDeviceTables();
  return TRUE;
}

void WINAPI vmidiFailOpen(UINT device, UINT err) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (device < g_vm.failOpen.size()) g_vm.failOpen[device] = err;
}

void WINAPI vmidiFailShortMsgs(UINT device, int n) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  if (device < g_vm.failShort.size()) g_vm.failShort[device] = n < 0 ? 0 : n;
}

int WINAPI vmidiPendingBuffers(UINT device) {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  int n = 0;
  for (const auto& o : g_vm.outs) {
    if (o->device == device) n += static_cast<int>(o->queue.size() + o->sent.size());
  }
  return n;
}

int WINAPI vmidiOpenCount() {
  std::lock_guard<std::mutex> lk(g_vm.mu);
  return static_cast<int>(g_vm.outs.size() + g_vm.ins.size());
}

}  // extern "C"
