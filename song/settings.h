// Program-wide settings of the shared settings file ZKFW95.INI: one record
// read once at start (LoadSettings), written back by every set-up dialog
// (SaveSettings) and, for the layout, when the frame closes (SaveDesktop).
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int kPortNameSize = 33;
constexpr int kFilterNameSize = 80;
constexpr int kFilterSlots = 8;
constexpr int kPathTextSize = 260;
constexpr int kCommandSlots = 8;
constexpr int kSoundModuleInitSize = 2048;

// Every value is set from the table of settings keys when the record is made,
// so a record that was never read holds the defaults of a missing file.
struct AppSettings {
  AppSettings();

  // [System]
  int32_t menuType;
  // [Default Display]
  int32_t trkView;        // score pane inside each step editor
  int32_t view;           // song-wide score view
  int32_t statusBar;
  int32_t toolBar;
  int32_t titleBar;       // caption bits
  int32_t displaySw;
  int32_t notePallet;     // the note palette is used
  int32_t pianoPallet;    // the piano palette retriggers
  int32_t playPallet;     // the play palette blinks (position timer runs)
  // [OneTouchSTGT] step and gate times of F1-F10 (ticks at 480)
  int16_t fkeyStep[10];
  int16_t fkeyGate[10];
  // [SMPTE]
  int32_t smpteMode, smpteHour, smpteMin, smpteSec, smpteFrame, smpteBit;
  // [SMPU]
  int32_t seqMode;        // sequencer mode: 1 at every start, only written
  int32_t optionSw;
  int32_t monitorSw;
  // [MIDIIF] ports. The names are the ones last read or written; the device
  // numbers are what they resolved to (-1 none). outPorts[4] is 0, or 0xFFFE
  // once the ports were found held by another program.
  char portName[4][kPortNameSize];
  char inPortName[2][kPortNameSize];
  int32_t outPorts[5];
  int32_t inPorts[2];
  int32_t laPort, pcmPort, gsPort;
  int32_t realTime;
  int32_t mmedia;         // start and end commands of play run
  // [OTHER]
  int32_t maxTrack;       // at most 99
  int32_t orgTrack;       // at most maxTrack: tracks of a new song
  int32_t makeBackup;
  int32_t midiInVelocity;
  int32_t autoRecConvert;
  int32_t songLoadAfter;
  int32_t playMonitor;
  int32_t trackMonitor;
  int32_t timeBase;
  int32_t loadOnTbCvt;    // [ZKZKP] LOADONTBCVT, also written to [ZKSMF]
  int32_t memory;
  int32_t trackUpdate;
  int32_t autoSave;
  int32_t saveInterval;
  int16_t saveMax;
  char tmpPath[kPathTextSize];
  // [KEY]
  int32_t escRet, f1f10, ctrlCv, homeHelp, iCaret, fkeyRest, shiftUpDown, reversUpDown;
  // [DragDrop]
  int32_t dragDropEdit;
  // [StartUp]
  int32_t midiThru;
  int32_t midiRecPort;
  int32_t editMode;
  int32_t activeWindow;
  // Derived at load: step-input mode (twice EditMode) and the 16-bit copies
  // the recording and thru code use.
  int32_t stepInputMode;
  int16_t midiThruWord;
  int16_t midiRecPortWord;
  // [SoundModule] InitAfterFileOpen, held in lower case
  char soundModuleInit[kSoundModuleInitSize];
  // [play]
  int16_t pmonBuffer;
  int16_t cmdBuffer;
  // [other]
  int16_t locType;
  int16_t locBeat;
  int32_t windowMaxSw;
  int16_t windowMax;
  int16_t chgStrategy;
  int32_t flicker;
  int32_t fumenSpeed;
  int32_t trSwap;
  int32_t qKey;
  int32_t locSize, locPal, locSw;
  int32_t locBeat1, locLoc, locSign, locRatio;
  int32_t playTimer;      // position timer: 100 ms when nonzero, else 500 ms
  int32_t subBeatOdd;
  int32_t midiInSkipEvent;
  int32_t progOffset;
  int16_t locPreWait, locAfterWait;
  int32_t mapiSw;
  int16_t dispCtrlNo[4];
  int32_t dispCtrlSw[4];
  // [Color], each held complemented (255 - component), red in the low byte
  COLORREF colFwaku, colFCursor, colGtLine, colVelo, colBend, colModulation, colVolume,
      colExpression, colTempo;
  COLORREF colCtrl[8];
  // [Filter] library names of the import and export slots
  char importFilter[kFilterSlots][kFilterNameSize];
  char exportFilter[kFilterSlots][kFilterNameSize];
  // [Play] engine and the engine choices of the set-up; [zkrds]
  char applet[kPathTextSize];
  char appletChoice[3][kPathTextSize];   // Applet1-3
  char rdsDriver[kPathTextSize];
  char rdsApplet[kPathTextSize];
  // [Play] commands run at play start and end
  char startMci[kCommandSlots][kPathTextSize];
  char startRun[kCommandSlots][kPathTextSize];
  char endMci[kCommandSlots][kPathTextSize];
  char endRun[kCommandSlots][kPathTextSize];
  // [DeskTop]
  int32_t fumenRatio;          // score view width in thousandths
  int32_t namelistModuleBank;
  int32_t trkSetMode;          // written from here; also copied into the block's
                               // track set-up entry at load
  int32_t fumenFontBitmap;
  LOGFONTA fumenFont;          // score font
  // [PianoPal]
  int32_t ctrlXSw, resetX;
  int16_t centerX, ctrlX;
  int32_t ctrlYSw, resetY;
  int16_t centerY, ctrlY;
  int32_t playmon;
};
extern AppSettings g_settings;

// What the settings code calls in windows and libraries that exist only
// later in the run; each stays null until its owner sets it (the filter
// binding is there from the start).
void BindFilterSlots();

struct SettingsHooks {
  void (*bindFilters)() = BindFilterSlots;  // after [Filter] is read
  void (*collectPlacements)() = nullptr;    // store every open window's placement in the block
  // The font of the window with this font key; false while it has no window.
  bool (*windowFont)(const char* fontKey, LOGFONTA& font) = nullptr;
  void (*getPMonDefaults)() = nullptr;      // play monitor reads its placement
  void (*writePMonDefaults)() = nullptr;    // play monitor writes its placement
  void (*createDisplayFont)() = nullptr;    // score font from fumenFont
};
extern SettingsHooks g_settingsHooks;

// Reads the whole settings file into g_settings and the placement block
// (allocating the block when start-up has not).
void LoadSettings();
// Writes the rhythm table, then every key the set-up dialogs change.
void SaveSettings();
// Writes the layout: the placement block, the score font and the piano
// palette keys.
void SaveDesktop();
// Writes the sound-module initialisation text.
void SaveInitAfterFileOpen();
void LoadPianoPalSettings();
void SavePianoPalSettings();

// Lower-cases the single-byte letters of a code page 932 text in place.
void LowerCaseAscii(char* text);
