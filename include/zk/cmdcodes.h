// Step-event command codes (0x80-0xFE).
#pragma once
#include <cstdint>

enum StepCode : uint8_t {
  kCodeUserExcl0 = 0x90,  // 0x90-0x97: user exclusive slots 1-8
  kCodeTrackExcl = 0x98,
  kCodeExternal = 0x99,   // MCI string or command line
  kCodeDX7Func = 0xC0,
  kCodeYamBase = 0xD0,
  kCodeYamPara = 0xD1,
  kCodeYamDev = 0xD2,
  kCodeXGPara = 0xD3,
  kCodeMKS7 = 0xDC,
  kCodeRolBase = 0xDD,
  kCodeRolPara = 0xDE,
  kCodeRolDev = 0xDF,
  kCodeBankPrgL = 0xE1,
  kCodeBankPrg = 0xE2,
  kCodeKeyin = 0xE5,
  kCodeMidiCh = 0xE6,
  kCodeTempo = 0xE7,
  kCodePunchIn = 0xE8,
  kCodePunchOut = 0xE9,
  kCodeAfterC = 0xEA,
  kCodeControl = 0xEB,
  kCodeProgram = 0xEC,
  kCodeAfterK = 0xED,
  kCodePitch = 0xEE,
  kCodeCmuOnOff = 0xEF,
  kCodeKeySig = 0xF5,
  kCodeComment = 0xF6,
  kCodeContinue = 0xF7,
  kCodeRepeatEnd = 0xF8,
  kCodeRepeatStart = 0xF9,
  kCodeSameMeasure = 0xFC,
  kCodeMeasureEnd = 0xFD,
  kCodeEndOfTrack = 0xFE,
};

// Writes the 8-character display name of a command code 0x80-0xEF into out
// (8 characters and a terminator). Codes without a name show "*" and the
// value. Returns false for codes outside 0x80-0xEF.
bool CommandDisplayName(uint8_t code, char out[9]);
