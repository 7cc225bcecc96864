// Program-wide state of the main program that start-up creates and shut-down
// frees (the frame's own state is in framestate.h).
#pragma once
#include <windows.h>
#include <cstdint>

#include "zk/playdata.h"

constexpr int kPopupMenuCount = 9;
constexpr int kPlayTrackRecords = 100;

struct ProgramState {
  char programDir[MAX_PATH] = "";      // drive and directory of the program
  char workDir[MAX_PATH + 2] = "";     // current directory at start, with "\"
  HGLOBAL playTrackBlock = nullptr;    // 100 PlayMonRecords, locked for the run
  PlayMonRecord* playTrackData = nullptr;
  HGLOBAL soundInitBlock = nullptr;    // 2,048 bytes, locked for the run
  char* soundInitText = nullptr;
  HGLOBAL immRecordBlock = nullptr;    // 64 bytes the Super MPU's immediate recording is handed
  HGLOBAL defaultFontBlock = nullptr;  // LOGFONT, locked for the run
  LOGFONTA* defaultFont = nullptr;
  HFONT currentFont = nullptr;         // the step list's font
  HMENU popupMenus[kPopupMenuCount] = {};
  HMENU popupSubmenus[kPopupMenuCount] = {};
  HPEN whitePen = nullptr;
  bool smpuDriverFound = false;        // the Super MPU driver library loaded at start-up
  HMODULE mapiLibrary = nullptr;
  void* mapiSendDocuments = nullptr;
  HACCEL accelerators = nullptr;
  HWND modelessDialog = nullptr;       // the tool bar, fed by the main loop
  UINT wheelMessage = 0;               // "MSWHEEL_ROLLMSG"
  int16_t caretOffsets[2] = {3, 0};
  HWND currentStep = nullptr;          // the step editor that made itself current
  HWND currentStepCopy = nullptr;
  HWND activeChild = nullptr;
  int32_t kept2271 = 0;
  int32_t kept4020 = 0;
  HWND nameListAsker = nullptr;
  int32_t nameListPosition = 0;
  int publishedTrack = 0;              // track of the step editor being created
  COLORREF customColours[16] = {};     // of the colour dialogs
};
extern ProgramState g_prog;

// Set by CallBackPlayEnd on the engine's thread; tested and cleared by the
// main loop.
extern volatile LONG g_playEnded;

// The engine's end-of-play callback: sets the flag and wakes the main loop so
// the end is handled at once rather than with the next unrelated message.
extern "C" void CALLBACK CallBackPlayEnd();
// Takes the flag (true once per end of play).
bool TakePlayEnded();
