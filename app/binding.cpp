// The engine and the Super MPU extras, and the order in which everything
// bound is let go at exit.
#include "binding.h"

#include "appglobals.h"
#include "filterslots.h"
#include "portsetup.h"
#include "settings.h"

HMODULE LoadNamedLibrary(const char* fileName) {
  if (!fileName || !*fileName) return nullptr;
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(fileName);
  SetErrorMode(previous);
  return library;
}

namespace {

// The type word of GetAppletType; 0 when the library has none.
int AppletType(HMODULE library) {
  auto getType = BindOrdinal<zkengine::GetAppletTypeFn>(library, 2048);
  if (!getType) return 0;
  // The engine writes 16 bits; the word is 32 bits and cleared first.
  int32_t type = 0;
  getType(nullptr, nullptr, reinterpret_cast<short*>(&type));
  return type & 0xFF;
}

void BindEngineOrdinals(EngineEntries& e) {
  HMODULE m = e.library;
  e.checkPlaying = BindOrdinal<zkengine::CheckPlayingFn>(m, 3);
  e.getRecBytes = BindOrdinal<zkengine::GetRecBytesFn>(m, 4);
  e.showSeqStatus = BindOrdinal<zkengine::ShowSeqStatusFn>(m, 5);
  e.changeMIDIPort = BindOrdinal<zkengine::ChangeMIDIPortFn>(m, 6);
  e.getMIDIPort = BindOrdinal<zkengine::GetMIDIPortFn>(m, 7);
  e.setPLAY2 = BindOrdinal<zkengine::SetPLAY2Fn>(m, 8);
  e.setPlayMode = BindOrdinal<zkengine::SetPlayModeFn>(m, 10);
  e.thruAssign = BindOrdinal<zkengine::THRUAssignFn>(m, 12);
  e.setRecBuf = BindOrdinal<zkengine::SetRecBufFn>(m, 14);
  e.setParentFrame = BindOrdinal<zkengine::SetParentFrameFn>(m, 15);
  e.play = BindOrdinal<zkengine::PlayFn>(m, 16);
  e.recStartKeyon = BindOrdinal<zkengine::RecStartKeyonFn>(m, 17);
  e.pointPlayExec = BindOrdinal<zkengine::PointPlayExecFn>(m, 18);
  e.stopSeqPlay = BindOrdinal<zkengine::StopSeqPlayFn>(m, 19);
  e.seqPause = BindOrdinal<zkengine::SeqPauseFn>(m, 20);
  e.resetMT32 = BindOrdinal<zkengine::ResetMT32Fn>(m, 48);
  e.gsReset = BindOrdinal<zkengine::GSResetFn>(m, 49);
  e.sendMT32All = BindOrdinal<zkengine::SendMT32AllFn>(m, 50);
  e.gsSendAll = BindOrdinal<zkengine::GSSendAllFn>(m, 51);
  e.midiOutImmMsg = BindOrdinal<zkengine::MidiOutImmMsgFn>(m, 64);
  e.midiReset = BindOrdinal<zkengine::MidiResetFn>(m, 65);
  e.checkPauseing = BindOrdinal<zkengine::CheckPauseingFn>(m, 100);
  e.openMIDIInPort = BindOrdinal<zkengine::OpenMIDIInPortFn>(m, 128);
  e.closeMIDIInPort = BindOrdinal<zkengine::CloseMIDIInPortFn>(m, 129);
  e.startMIDIInPort = BindOrdinal<zkengine::StartMIDIInPortFn>(m, 130);
  e.stopMIDIInPort = BindOrdinal<zkengine::StopMIDIInPortFn>(m, 131);
  e.getMIDIInTable = BindOrdinal<zkengine::GetMIDIInTableFn>(m, 132);
  e.sendBuffer = BindOrdinal<zkengine::SendBufferFn>(m, 192);
  e.waitExec = BindOrdinal<zkengine::WaitExecFn>(m, 193);
  e.getBuffer = BindOrdinal<zkengine::GetBufferFn>(m, 194);
  e.setPunchInOutMeas = BindOrdinal<zkengine::SetPunchInOutMeasFn>(m, 200);
  e.setShareFlag = BindOrdinal<zkengine::SetShareFlagFn>(m, 240);
  e.getShareFlag = BindOrdinal<zkengine::GetShareFlagFn>(m, 241);
  e.openMIDIPort = BindOrdinal<zkengine::OpenMIDIPortFn>(m, 242);
  e.closeMIDIPort = BindOrdinal<zkengine::CloseMIDIPortFn>(m, 243);
  e.dumpSong = BindOrdinal<zkengine::DumpSongFn>(m, 255);
  e.initializePlayback = BindOrdinal<zkengine::InitializePlaybackFn>(m, 256);
  e.setStartTime0 = BindOrdinal<zkengine::SetStartTime0Fn>(m, 300);
  e.playStartTime0 = BindOrdinal<zkengine::PlayStartTime0Fn>(m, 301);
  e.getTempoMap = BindOrdinal<zkengine::GetTempoMapFn>(m, 310);
  e.setPlayMonMode = BindOrdinal<zkengine::SetPlayMonModeFn>(m, 506);
  e.compareMonitorPos = BindOrdinal<zkengine::CompareMonitorPosFn>(m, 507);
  e.clearPlayMonDarty = BindOrdinal<zkengine::ClearPlayMonDartyFn>(m, 508);
  e.getPlayTime = BindOrdinal<zkengine::GetPlayTimeFn>(m, 1100);
  e.setPlayTime = BindOrdinal<zkengine::SetPlayTimeFn>(m, 1101);
  e.seekTimePlayExec = BindOrdinal<zkengine::SeekTimePlayExecFn>(m, 1102);
  e.seqHold = BindOrdinal<zkengine::SeqHoldFn>(m, 1103);
  e.changeMIDIINPort = BindOrdinal<zkengine::ChangeMIDIINPortFn>(m, 1200);
}

void FreeEngine() {
  if (g_engine.library) FreeLibrary(g_engine.library);
  g_engine = EngineEntries{};
}

void FreeSmpuExtras() {
  if (g_smpu.library) FreeLibrary(g_smpu.library);
  g_smpu = SmpuExtras{};
}

bool SharedFlagHeld() { return g_engine.getShareFlag && (g_engine.getShareFlag() & 1) != 0; }

}  // namespace

void SetPlayMonModeFromSettings() {
  if (!g_engine.setPlayMonMode) return;
  g_engine.setPlayMonMode(g_settings.playMonitor != 0 || g_settings.trackMonitor != 0 ? 1 : 0);
}

void BindEngine() {
  if (g_app.portsUnavailable) return;
  // The ports belong to the engine that opened them: let them go before it.
  ReleasePorts();
  FreeEngine();
  g_engine.library = LoadNamedLibrary(g_settings.applet);
  if (!g_engine.library) return;
  g_engine.smpuEngine = (AppletType(g_engine.library) & kAppletTypeSmpu) != 0;
  BindEngineOrdinals(g_engine);
  if (g_engine.smpuEngine && !SharedFlagHeld()) {
    if (g_smpu.openCallBack) g_smpu.openCallBack(AppInstance(), g_app.frame);
    if (g_smpu.sendSMPUOptionSW)
      g_smpu.sendSMPUOptionSW(g_settings.optionSw, g_settings.monitorSw, g_settings.monitorSw >> 8);
  }
  if (g_engine.clearPlayMonDarty) g_engine.clearPlayMonDarty();
  SetPlayMonModeFromSettings();
}

int ProbeSmpuDriver() {
  HMODULE driver = LoadNamedLibrary(g_settings.rdsDriver);
  if (!driver) return 0;
  FreeLibrary(driver);
  return 1;
}

void BindSmpuExtras() {
  g_smpu.setSMPUIMMREC = nullptr;
  if (g_app.portsUnavailable || !ProbeSmpuDriver()) return;
  FreeSmpuExtras();
  HMODULE library = LoadNamedLibrary(g_settings.appletChoice[1]);
  if (!library) return;
  // Any other engine exports other entry points under these ordinals (its
  // library entry and MIDI input callback among them).
  if (!(AppletType(library) & kAppletTypeSmpu)) {
    FreeLibrary(library);
    return;
  }
  SmpuExtras& x = g_smpu;
  x.library = library;
  x.openCallBack = BindOrdinal<zkengine::OpenCallBackFn>(library, 21);
  x.startSMPTEGenerate = BindOrdinal<zkengine::StartSMPTEGenerateFn>(library, 32);
  x.stopSMPTEGenerate = BindOrdinal<zkengine::StopSMPTEGenerateFn>(library, 33);
  x.getSMPTETime = BindOrdinal<zkengine::GetSMPTETimeFn>(library, 34);
  x.closeCallBack = BindOrdinal<zkengine::CloseCallBackFn>(library, 22);
  x.sendSMPUOptionSW = BindOrdinal<zkengine::SendSMPUOptionSWFn>(library, 47);
  x.setSMPUIMMREC = BindOrdinal<zkengine::SetSMPUIMMRECFn>(library, 13);
  x.smpteCheck = BindOrdinal<zkengine::SMPTECheckFn>(library, 35);
  x.setSyncInternal = BindOrdinal<zkengine::SetSyncInternalFn>(library, 11);
  x.getTimeCode = BindOrdinal<zkengine::GetTimeCodeFn>(library, 9);
  x.getSmpuEnv = BindOrdinal<zkengine::GetSmpuEnvFn>(library, 250);
  // Until an engine is bound, the reset is the extras' own.
  g_engine.midiReset = BindOrdinal<zkengine::MidiResetFn>(library, 65);
}

void UnloadLibraries() {
  ReleasePorts();
  UnloadPlayMonitor();
  FreeSmpuExtras();
  FreeEngine();
  FreeControllerPlugins();
  FreeFilterSlots();
}
