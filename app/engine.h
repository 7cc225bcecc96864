// Entry points of the bound playback engine. Each is null while no engine
// (or no such ordinal) is bound; every call site tests it first.
#pragma once
#include "zk/engine.h"

struct EngineEntries {
  HMODULE library = nullptr;
  zkengine::CheckPlayingFn checkPlaying = nullptr;
  zkengine::StopSeqPlayFn stopSeqPlay = nullptr;
  zkengine::ResetMT32Fn resetMT32 = nullptr;
  zkengine::GSResetFn gsReset = nullptr;
  zkengine::SendMT32AllFn sendMT32All = nullptr;
  zkengine::GSSendAllFn gsSendAll = nullptr;
  zkengine::SendBufferFn sendBuffer = nullptr;
  zkengine::WaitExecFn waitExec = nullptr;
  zkengine::GetBufferFn getBuffer = nullptr;
};
extern EngineEntries g_engine;

// Nonzero while the engine plays (0 without an engine).
inline bool EngineIsPlaying() { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }
