// Entry points of the bound playback engine and of the Super MPU extras.
// Each is null while no engine (or no such ordinal) is bound; every call site
// tests it first.
#pragma once
#include "zk/engine.h"

namespace zkengine {
// Exports the shell binds that the shared engine header does not type.
using ShowSeqStatusFn = int(WINAPI*)();                                            // 5
using GetMIDIPortFn = int(WINAPI*)(int a, int b);                                 // 7
using SetPLAY2Fn = int(WINAPI*)(void* pointer, int unused);                       // 8
using SetPlayModeFn = int(WINAPI*)(int, int, int, int, int, int, int, int, int, int, int, int,
                                   int, int, int, int);                           // 10
using RecStartKeyonFn = int(WINAPI*)();                                           // 17
using PointPlayExecFn = int(WINAPI*)(int a, int b, HGLOBAL songTable, int trackCount,
                                     int soloTrack, int eventIndex, int track,
                                     int headerTempoOnly);                        // 18
using SeqPauseFn = int(WINAPI*)(int unused);                                      // 20
using MidiResetFn = int(WINAPI*)();                                               // 65
using OpenMIDIInPortFn = int(WINAPI*)(HWND window);                               // 128
using CloseMIDIInPortFn = int(WINAPI*)();                                         // 129
using StartMIDIInPortFn = int(WINAPI*)(int mode);                                 // 130
using StopMIDIInPortFn = int(WINAPI*)();                                          // 131
using GetMIDIInTableFn = int(WINAPI*)(HGLOBAL table);                             // 132
using SetPunchInOutMeasFn = int(WINAPI*)(int inMeasure, int outMeasure);          // 200
using OpenMIDIPortFn = int(WINAPI*)();                                            // 242
using CloseMIDIPortFn = int(WINAPI*)();                                           // 243
using DumpSongFn = int(WINAPI*)();                                                // 255
using InitializePlaybackFn = int(WINAPI*)(int unused);                            // 256
using SetStartTime0Fn = int(WINAPI*)(int a, int b, HGLOBAL songTable, int trackCount,
                                     int time);                                   // 300
using PlayStartTime0Fn = int(WINAPI*)(int a, int b, int resume);                  // 301
using GetTempoMapFn = int(WINAPI*)(HGLOBAL map, HGLOBAL songTable, int trackCount);  // 310
using SetPlayMonModeFn = int(WINAPI*)(int mode);                                  // 506
using CompareMonitorPosFn = int(WINAPI*)(int index);                              // 507
using ClearPlayMonDartyFn = int(WINAPI*)();                                       // 508
using GetPlayTimeFn = int(WINAPI*)();                                             // 1100
using SetPlayTimeFn = int(WINAPI*)(int ms);                                       // 1101
using SeekTimePlayExecFn = int(WINAPI*)(int stayPaused);                          // 1102
using SeqHoldFn = int(WINAPI*)(int unused);                                       // 1103
using ChangeMIDIINPortFn = int(WINAPI*)(int input, int deviceId, int a, int b);   // 1200

// The Super MPU extras.
using OpenCallBackFn = int(WINAPI*)(HINSTANCE instance, HWND window);             // 21
using CloseCallBackFn = int(WINAPI*)();                                           // 22
using StartSMPTEGenerateFn = int(WINAPI*)(int frameType, int hours, int minutes, int seconds,
                                          int frames, int bits);                  // 32
using StopSMPTEGenerateFn = int(WINAPI*)();                                       // 33
using GetSMPTETimeFn = int(WINAPI*)(int frameType, int* hours, int* minutes, int* seconds,
                                    int* frames, int* fraction);                  // 34
using SMPTECheckFn = int(WINAPI*)(int frameType, int hours, int minutes, int seconds,
                                  int frames, int bits);                          // 35
using SendSMPUOptionSWFn = int(WINAPI*)(int optionSw, int monitorFilter, int monitorAllCc);  // 47
using SetSMPUIMMRECFn = int(WINAPI*)(int on, HGLOBAL record, int ignored);       // 13
using SetSyncInternalFn = int(WINAPI*)();                                         // 11
using GetTimeCodeFn = int(WINAPI*)(BYTE* buffer);                                 // 9
using GetSmpuEnvFn = int(WINAPI*)(int device, int* b0, int* b1, int* b2);         // 250
}  // namespace zkengine

// Type word of GetAppletType (ordinal 2048): the Super MPU engine sets this bit.
constexpr int kAppletTypeSmpu = 0x04;

struct EngineEntries {
  HMODULE library = nullptr;
  bool smpuEngine = false;   // GetAppletType reported the Super MPU type
  zkengine::CheckPlayingFn checkPlaying = nullptr;            // 3
  zkengine::GetRecBytesFn getRecBytes = nullptr;              // 4
  zkengine::ShowSeqStatusFn showSeqStatus = nullptr;          // 5
  zkengine::ChangeMIDIPortFn changeMIDIPort = nullptr;        // 6
  zkengine::GetMIDIPortFn getMIDIPort = nullptr;              // 7
  zkengine::SetPLAY2Fn setPLAY2 = nullptr;                    // 8
  zkengine::SetPlayModeFn setPlayMode = nullptr;              // 10
  zkengine::THRUAssignFn thruAssign = nullptr;                // 12
  zkengine::SetRecBufFn setRecBuf = nullptr;                  // 14
  zkengine::SetParentFrameFn setParentFrame = nullptr;        // 15
  zkengine::PlayFn play = nullptr;                            // 16
  zkengine::RecStartKeyonFn recStartKeyon = nullptr;          // 17
  zkengine::PointPlayExecFn pointPlayExec = nullptr;          // 18
  zkengine::StopSeqPlayFn stopSeqPlay = nullptr;              // 19
  zkengine::SeqPauseFn seqPause = nullptr;                    // 20
  zkengine::ResetMT32Fn resetMT32 = nullptr;                  // 48
  zkengine::GSResetFn gsReset = nullptr;                      // 49
  zkengine::SendMT32AllFn sendMT32All = nullptr;              // 50
  zkengine::GSSendAllFn gsSendAll = nullptr;                  // 51
  zkengine::MidiOutImmMsgFn midiOutImmMsg = nullptr;          // 64
  zkengine::MidiResetFn midiReset = nullptr;                  // 65 (the extras' until the engine binds)
  zkengine::CheckPauseingFn checkPauseing = nullptr;          // 100
  zkengine::OpenMIDIInPortFn openMIDIInPort = nullptr;        // 128
  zkengine::CloseMIDIInPortFn closeMIDIInPort = nullptr;      // 129
  zkengine::StartMIDIInPortFn startMIDIInPort = nullptr;      // 130
  zkengine::StopMIDIInPortFn stopMIDIInPort = nullptr;        // 131
  zkengine::GetMIDIInTableFn getMIDIInTable = nullptr;        // 132
  zkengine::SendBufferFn sendBuffer = nullptr;                // 192
  zkengine::WaitExecFn waitExec = nullptr;                    // 193
  zkengine::GetBufferFn getBuffer = nullptr;                  // 194
  zkengine::SetPunchInOutMeasFn setPunchInOutMeas = nullptr;  // 200
  zkengine::SetShareFlagFn setShareFlag = nullptr;            // 240
  zkengine::GetShareFlagFn getShareFlag = nullptr;            // 241
  zkengine::OpenMIDIPortFn openMIDIPort = nullptr;            // 242
  zkengine::CloseMIDIPortFn closeMIDIPort = nullptr;          // 243
  zkengine::DumpSongFn dumpSong = nullptr;                    // 255
  zkengine::InitializePlaybackFn initializePlayback = nullptr;  // 256
  zkengine::SetStartTime0Fn setStartTime0 = nullptr;          // 300
  zkengine::PlayStartTime0Fn playStartTime0 = nullptr;        // 301
  zkengine::GetTempoMapFn getTempoMap = nullptr;              // 310
  zkengine::SetPlayMonModeFn setPlayMonMode = nullptr;        // 506
  zkengine::CompareMonitorPosFn compareMonitorPos = nullptr;  // 507
  zkengine::ClearPlayMonDartyFn clearPlayMonDarty = nullptr;  // 508
  zkengine::GetPlayTimeFn getPlayTime = nullptr;              // 1100
  zkengine::SetPlayTimeFn setPlayTime = nullptr;              // 1101
  zkengine::SeekTimePlayExecFn seekTimePlayExec = nullptr;    // 1102
  zkengine::SeqHoldFn seqHold = nullptr;                      // 1103
  zkengine::ChangeMIDIINPortFn changeMIDIINPort = nullptr;    // 1200
};
extern EngineEntries g_engine;

// The Super MPU extras: a second library, bound only from one that reports
// the Super MPU type, kept apart from the engine.
struct SmpuExtras {
  HMODULE library = nullptr;
  zkengine::OpenCallBackFn openCallBack = nullptr;              // 21
  zkengine::StartSMPTEGenerateFn startSMPTEGenerate = nullptr;  // 32
  zkengine::StopSMPTEGenerateFn stopSMPTEGenerate = nullptr;    // 33
  zkengine::GetSMPTETimeFn getSMPTETime = nullptr;              // 34
  zkengine::CloseCallBackFn closeCallBack = nullptr;            // 22
  zkengine::SendSMPUOptionSWFn sendSMPUOptionSW = nullptr;      // 47
  zkengine::SetSMPUIMMRECFn setSMPUIMMREC = nullptr;            // 13
  zkengine::SMPTECheckFn smpteCheck = nullptr;                  // 35
  zkengine::SetSyncInternalFn setSyncInternal = nullptr;        // 11
  zkengine::GetTimeCodeFn getTimeCode = nullptr;                // 9
  zkengine::GetSmpuEnvFn getSmpuEnv = nullptr;                  // 250
};
extern SmpuExtras g_smpu;

// Nonzero while the engine plays (0 without an engine).
inline bool EngineIsPlaying() { return g_engine.checkPlaying && g_engine.checkPlaying() != 0; }
