#include "settings.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "csvfield.h"
#include "inifile.h"
#include "midiports.h"
#include "plugins.h"
#include "rhythm.h"
#include "settingsblock.h"
#include "songmodel.h"

namespace {

enum class Kind {
  Int,      // 32-bit
  Short,    // read and kept as 16-bit
  Text,     // fixed buffer of `size` bytes
  Colour,   // <key>Red, <key>Green, <key>Blue, held complemented
  Ports,    // the four output and two input ports of [MIDIIF]
};

enum : unsigned {
  kBySaveSettings = 0x01,
  kBySaveDesktop = 0x02,
  kPianoPal = 0x04,     // read and written only by the piano palette pair
  kWriteOnly = 0x08,    // never read
};

struct Row {
  const char* section;
  std::string key;
  Kind kind;
  size_t offset;            // into AppSettings
  int def = 0;              // Int, Short
  int size = 0;             // Text
  const char* text = "";    // Text default; nullptr: the program's own file name
  BYTE rgb[3] = {};         // Colour default as the user sees it
  unsigned flags = 0;
};

#define OFF(member) offsetof(AppSettings, member)

constexpr const char* kDefaultInit =
    "f0,7e,7f,09,01,f7,,,f0,41,10,42,12,40,00,7f,00,41,f7,,f0,41,10,16,12,7f,00,00,00,6f,f7,,,"
    "f0,43,10,4c,00,00,7e,00,f7,,";

// Every key of the program-wide settings, in reading order. The writers walk
// the same rows, so a key is read and written with one name, width and
// default.
std::vector<Row> BuildRows() {
  std::vector<Row> rows;
  const unsigned S = kBySaveSettings;
  auto i32 = [&](const char* section, std::string key, size_t offset, int def, unsigned flags) {
    Row r{section, std::move(key), Kind::Int, offset};
    r.def = def;
    r.flags = flags;
    rows.push_back(r);
  };
  auto i16 = [&](const char* section, std::string key, size_t offset, int def, unsigned flags) {
    Row r{section, std::move(key), Kind::Short, offset};
    r.def = def;
    r.flags = flags;
    rows.push_back(r);
  };
  auto text = [&](const char* section, std::string key, size_t offset, int size, const char* def,
                  unsigned flags) {
    Row r{section, std::move(key), Kind::Text, offset};
    r.size = size;
    r.text = def;
    r.flags = flags;
    rows.push_back(r);
  };
  auto colour = [&](std::string item, size_t offset, BYTE red, BYTE green, BYTE blue) {
    Row r{"Color", std::move(item), Kind::Colour, offset};
    r.rgb[0] = red;
    r.rgb[1] = green;
    r.rgb[2] = blue;
    r.flags = S;
    rows.push_back(r);
  };
  auto n = [](const char* pattern, int k) {
    char key[32];
    std::snprintf(key, sizeof key, pattern, k);
    return std::string(key);
  };

  i32("System", "MenuType", OFF(menuType), 1, 0);
  i32("Default Display", "TrkView", OFF(trkView), 0, S);
  i32("Default Display", "View", OFF(view), 1, S | kBySaveDesktop);
  i32("Default Display", "StatusBar", OFF(statusBar), 2, S);
  i32("Default Display", "ToolBar", OFF(toolBar), 1, S);
  i32("Default Display", "TitleBar", OFF(titleBar), 3, S);
  i32("Default Display", "DisplaySW", OFF(displaySw), 0, S);
  i32("Default Display", "NotePallet", OFF(notePallet), 1, S);
  i32("Default Display", "PianoPallet", OFF(pianoPallet), 1, S);
  i32("Default Display", "PlayPallet", OFF(playPallet), 1, S);
  static constexpr int kFKeySteps[10] = {1920, 1440, 960, 720, 480, 360, 240, 180, 120, 60};
  static constexpr int kFKeyGates[10] = {1900, 1420, 920, 680, 450, 340, 220, 160, 100, 50};
  for (int k = 0; k < 10; ++k) {
    i16("OneTouchSTGT", n("FKey%dST", k + 1), OFF(fkeyStep) + k * sizeof(int16_t), kFKeySteps[k], S);
    i16("OneTouchSTGT", n("FKey%dGT", k + 1), OFF(fkeyGate) + k * sizeof(int16_t), kFKeyGates[k], S);
  }
  i32("SMPTE", "Mode", OFF(smpteMode), 0, S);
  i32("SMPTE", "Hour", OFF(smpteHour), 0, S);
  i32("SMPTE", "Min", OFF(smpteMin), 0, S);
  i32("SMPTE", "Sec", OFF(smpteSec), 0, S);
  i32("SMPTE", "Frame", OFF(smpteFrame), 0, S);
  i32("SMPTE", "Bit", OFF(smpteBit), 0, S);
  i32("SMPU", "SeqMode", OFF(seqMode), 1, S | kWriteOnly);
  i32("SMPU", "OptionSW", OFF(optionSw), 0, S);
  i32("SMPU", "MonitorSW", OFF(monitorSw), 511, S);
  rows.push_back(Row{"MIDIIF", "", Kind::Ports, 0, 0, 0, "", {}, S});
  i32("MIDIIF", "LAPort", OFF(laPort), 0, S);
  i32("MIDIIF", "PCMPort", OFF(pcmPort), 0, S);
  i32("MIDIIF", "GSPort", OFF(gsPort), 0, S);
  i32("MIDIIF", "RealTime", OFF(realTime), 1, S);
  i32("MIDIIF", "MMedia", OFF(mmedia), 0, S);
  i32("OTHER", "MaxTrack", OFF(maxTrack), 36, S);
  i32("OTHER", "orgTrack", OFF(orgTrack), 36, S);
  i32("OTHER", "MakeBackup", OFF(makeBackup), 1, S);
  i32("OTHER", "MIDIinVelocity", OFF(midiInVelocity), 0, S);
  i32("OTHER", "AutoRecConvert", OFF(autoRecConvert), 1, S);
  i32("OTHER", "SongLoadAfter", OFF(songLoadAfter), 5, S);
  i32("OTHER", "PlayMonitor", OFF(playMonitor), 1, S);
  i32("OTHER", "TrackMonitor", OFF(trackMonitor), 1, S);
  i32("OTHER", "TimeBase", OFF(timeBase), 480, S);
  i32("ZKZKP", "LOADONTBCVT", OFF(loadOnTbCvt), 0, S);
  i32("ZKSMF", "LOADONTBCVT", OFF(loadOnTbCvt), 0, S | kWriteOnly);
  i32("OTHER", "Memory", OFF(memory), 1, S);
  i32("OTHER", "TrackUpdate", OFF(trackUpdate), 1, S);
  i32("KEY", "ESCRET", OFF(escRet), 0, S);
  i32("KEY", "F1F10", OFF(f1f10), 0, S);
  i32("KEY", "CTRLCV", OFF(ctrlCv), 0, S);
  i32("KEY", "HOMEHELP", OFF(homeHelp), 0, S);
  i32("KEY", "ICARET", OFF(iCaret), 0, S);
  i32("KEY", "FKEYREST", OFF(fkeyRest), 0, S);
  i32("KEY", "SHIFTUPDOWN", OFF(shiftUpDown), 0, S);
  i32("KEY", "REVERSUPDOWN", OFF(reversUpDown), 0, S);
  i32("DragDrop", "DragDropEdit", OFF(dragDropEdit), 1, S);
  i32("StartUp", "MIDITHRU", OFF(midiThru), 0, S);
  i32("StartUp", "MIDIRECPort", OFF(midiRecPort), 0, S);
  i32("StartUp", "EditMode", OFF(editMode), 0, S);
  i32("StartUp", "ActiveWindow", OFF(activeWindow), 0, S);
  // Written by its own writer once the sound-module set-up rebuilt it.
  text("SoundModule", "InitAfterFileOpen", OFF(soundModuleInit), kSoundModuleInitSize, kDefaultInit, 0);
  i16("play", "PMonBuffer", OFF(pmonBuffer), 3000, 0);
  i16("play", "CmdBuffer", OFF(cmdBuffer), 32767, 0);
  i16("other", "loctype", OFF(locType), 1, 0);
  i16("other", "locbeat", OFF(locBeat), 8, S);
  i32("other", "WindowMaxSw", OFF(windowMaxSw), 1, S);
  i16("other", "WindowMax", OFF(windowMax), 3, S);
  i16("other", "ChgStrategy", OFF(chgStrategy), 0, S);
  i32("other", "flicker", OFF(flicker), 1, 0);
  i32("other", "FumenSpeed", OFF(fumenSpeed), 0, 0);
  i32("other", "TrSwap", OFF(trSwap), 1, S);
  i32("other", "QKey", OFF(qKey), 0, S);
  i32("other", "locSize", OFF(locSize), 2, S);
  i32("other", "locPal", OFF(locPal), 3, S);
  i32("other", "locSW", OFF(locSw), 31, S);
  i32("other", "locBeat1", OFF(locBeat1), 0, S);
  i32("other", "locLoc", OFF(locLoc), 0, S);
  i32("other", "locSign", OFF(locSign), 1, S);
  i32("other", "locRatio", OFF(locRatio), 50, S);
  i32("other", "PlayTimer", OFF(playTimer), 1, S);
  i32("other", "SubBeatOdd", OFF(subBeatOdd), 1, 0);
  i32("other", "MIDIINSkipEvent", OFF(midiInSkipEvent), 1, S);
  i32("other", "ProgOffset", OFF(progOffset), 0, S);
  i16("other", "locPreWait", OFF(locPreWait), 0, 0);
  i16("other", "locAfterWait", OFF(locAfterWait), 0, 0);
  i32("other", "MAPISW", OFF(mapiSw), 1, 0);
  colour("FWAKU", OFF(colFwaku), 255, 255, 255);
  colour("FCursor", OFF(colFCursor), 0, 255, 0);
  colour("GTLine", OFF(colGtLine), 128, 128, 0);
  colour("Velo", OFF(colVelo), 255, 255, 255);
  colour("Bend", OFF(colBend), 128, 128, 0);
  colour("Modulation", OFF(colModulation), 0, 255, 255);
  colour("Volume", OFF(colVolume), 0, 255, 0);
  colour("Expression", OFF(colExpression), 255, 0, 255);
  colour("Tempo", OFF(colTempo), 255, 255, 0);
  static constexpr int kDispCtrlNo[4] = {6, 91, 93, 94};
  for (int k = 0; k < 4; ++k) {
    i16("other", n("DispCtrlNo%d", k), OFF(dispCtrlNo) + k * sizeof(int16_t), kDispCtrlNo[k], S);
    i32("other", n("DispCtrlSw%d", k), OFF(dispCtrlSw) + k * sizeof(int32_t), 1, S);
  }
  for (int k = 0; k < 8; ++k) colour(n("Ctrl%d", k), OFF(colCtrl) + k * sizeof(COLORREF), 255, 255, 0);
  for (int k = 0; k < kFilterSlots; ++k)
    text("Filter", n("Import%d", k), OFF(importFilter) + k * kFilterNameSize, kFilterNameSize, "", 0);
  for (int k = 0; k < kFilterSlots; ++k)
    text("Filter", n("Export%d", k), OFF(exportFilter) + k * kFilterNameSize, kFilterNameSize, "", 0);
  text("Play", "Applet", OFF(applet), kPathTextSize, "ZKPOLY.DLL", S);
  static constexpr const char* kChoices[3] = {"ZKRDS.DLL", "ZKPOLY.DLL", "ZKMME.DLL"};
  for (int k = 0; k < 3; ++k)
    text("Play", n("Applet%d", k + 1), OFF(appletChoice) + k * kPathTextSize, kPathTextSize,
         kChoices[k], S);
  text("zkrds", "Driver", OFF(rdsDriver), kPathTextSize, "RDSMPU32.DLL", 0);
  text("zkrds", "Applet", OFF(rdsApplet), kPathTextSize, "ZKRDS.DLL", 0);
  for (int k = 0; k < kCommandSlots; ++k) {
    size_t slot = k * kPathTextSize;
    text("Play", n("StartMCI%d", k), OFF(startMci) + slot, kPathTextSize, "", S);
    text("Play", n("StartRUN%d", k), OFF(startRun) + slot, kPathTextSize, "", S);
    text("Play", n("EndMCI%d", k), OFF(endMci) + slot, kPathTextSize, "", S);
    text("Play", n("EndRUN%d", k), OFF(endRun) + slot, kPathTextSize, "", S);
  }
  i32("OTHER", "AutoSave", OFF(autoSave), 0, S);
  i32("OTHER", "SaveInterval", OFF(saveInterval), 300000, S);
  i16("OTHER", "SaveMax", OFF(saveMax), 5, S);
  text("OTHER", "TmpPath", OFF(tmpPath), kPathTextSize, nullptr, S);
  i32("DeskTop", "FumenRatio", OFF(fumenRatio), 250, kBySaveDesktop);
  i32("DeskTop", "NamelistModuleBank", OFF(namelistModuleBank), 0, kBySaveDesktop);
  i32("DeskTop", "TrkSetMode", OFF(trkSetMode), 1, kBySaveDesktop);
  i32("DeskTop", "FumenFontBitmap", OFF(fumenFontBitmap), 1, kBySaveDesktop);
  i32("PianoPal", "CtrlXSW", OFF(ctrlXSw), 1, kPianoPal);
  i32("PianoPal", "ResetX", OFF(resetX), 0, kPianoPal);
  i16("PianoPal", "CenterX", OFF(centerX), 64, kPianoPal);
  i16("PianoPal", "CtrlX", OFF(ctrlX), 10, kPianoPal);
  i32("PianoPal", "CtrlYSW", OFF(ctrlYSw), 1, kPianoPal);
  i32("PianoPal", "ResetY", OFF(resetY), 0, kPianoPal);
  i16("PianoPal", "CenterY", OFF(centerY), 64, kPianoPal);
  i16("PianoPal", "CtrlY", OFF(ctrlY), 11, kPianoPal);
  i32("PianoPal", "Playmon", OFF(playmon), 1, kPianoPal);
  return rows;
}

#undef OFF

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = BuildRows();
  return rows;
}

template <typename T>
T* At(AppSettings& s, const Row& row) {
  return reinterpret_cast<T*>(reinterpret_cast<char*>(&s) + row.offset);
}

std::string ProgramFileName() {
  char path[kPathTextSize] = "";
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n >= sizeof path) n = sizeof path - 1;
  return std::string(path, n);
}

// The colour as held: each component complemented, red in the low byte.
COLORREF Complement(int red, int green, int blue) {
  return RGB((255 - red) & 0xFF, (255 - green) & 0xFF, (255 - blue) & 0xFF);
}

void SetText(char* buffer, int size, const char* text) {
  std::memset(buffer, 0, size);
  if (text) std::strncpy(buffer, text, size - 1);
}

std::string PortKey(const char* pattern, int port) {
  char key[24];
  std::snprintf(key, sizeof key, pattern, port);
  return key;
}

void ApplyDefault(AppSettings& s, const Row& row, const std::string& programFile) {
  switch (row.kind) {
    case Kind::Int:
      *At<int32_t>(s, row) = row.def;
      break;
    case Kind::Short:
      *At<int16_t>(s, row) = static_cast<int16_t>(row.def);
      break;
    case Kind::Text:
      SetText(At<char>(s, row), row.size, row.text ? row.text : programFile.c_str());
      break;
    case Kind::Colour:
      *At<COLORREF>(s, row) = Complement(row.rgb[0], row.rgb[1], row.rgb[2]);
      break;
    case Kind::Ports:
      // Empty names resolve to nothing, so the stored device numbers (0) apply.
      std::memset(s.portName, 0, sizeof s.portName);
      std::memset(s.inPortName, 0, sizeof s.inPortName);
      std::memset(s.outPorts, 0, sizeof s.outPorts);
      std::memset(s.inPorts, 0, sizeof s.inPorts);
      break;
  }
}

void ReadPorts(AppSettings& s) {
  for (int k = 0; k < 4; ++k) {
    IniGetString("MIDIIF", PortKey("Port%dName", k + 1).c_str(), "", s.portName[k], kPortNameSize);
    s.outPorts[k] = PortDeviceFromSettings(s.portName[k], FindMidiOutDevice(s.portName[k]),
                                           IniGetInt("MIDIIF", PortKey("Port%d", k + 1).c_str(), 0));
  }
  for (int k = 0; k < 2; ++k) {
    IniGetString("MIDIIF", PortKey("INPort%dName", k + 1).c_str(), "", s.inPortName[k],
                 kPortNameSize);
    s.inPorts[k] = PortDeviceFromSettings(s.inPortName[k], FindMidiInDevice(s.inPortName[k]), 0);
  }
}

// The name written for a device: "None" for no device, the device's product
// name, or (for a device that is not installed now) the name last known, so
// that a port whose device is away keeps its setting.
void WritePortName(const std::string& key, int device, char* lastName,
                   bool (*deviceName)(int, std::string&)) {
  std::string name;
  if (device == kPortNone)
    name = kPortNoneName;
  else if (!deviceName(device, name))
    name.assign(lastName, strnlen(lastName, kPortNameSize));
  SetText(lastName, kPortNameSize, name.c_str());
  IniWriteString("MIDIIF", key.c_str(), lastName);
}

void WritePorts(AppSettings& s) {
  for (int k = 0; k < 4; ++k) {
    // A port whose device is away keeps the number stored with its name.
    if (s.outPorts[k] != kPortNotFound) IniWriteInt("MIDIIF", PortKey("Port%d", k + 1).c_str(), s.outPorts[k]);
    WritePortName(PortKey("Port%dName", k + 1), s.outPorts[k], s.portName[k], MidiOutDeviceName);
  }
  for (int k = 0; k < 2; ++k)
    WritePortName(PortKey("INPort%dName", k + 1), s.inPorts[k], s.inPortName[k], MidiInDeviceName);
}

void ReadRow(AppSettings& s, const Row& row, const std::string& programFile) {
  const char* section = row.section;
  const char* key = row.key.c_str();
  switch (row.kind) {
    case Kind::Int:
      *At<int32_t>(s, row) = IniGetInt(section, key, row.def);
      break;
    case Kind::Short:
      *At<int16_t>(s, row) = static_cast<int16_t>(IniGetInt(section, key, row.def));
      break;
    case Kind::Text: {
      char* buffer = At<char>(s, row);
      std::memset(buffer, 0, row.size);
      IniGetString(section, key, row.text ? row.text : programFile.c_str(), buffer, row.size);
      break;
    }
    case Kind::Colour: {
      int red = IniGetInt(section, (row.key + "Red").c_str(), row.rgb[0]);
      int green = IniGetInt(section, (row.key + "Green").c_str(), row.rgb[1]);
      int blue = IniGetInt(section, (row.key + "Blue").c_str(), row.rgb[2]);
      *At<COLORREF>(s, row) = Complement(red, green, blue);
      break;
    }
    case Kind::Ports:
      ReadPorts(s);
      break;
  }
}

void WriteRow(AppSettings& s, const Row& row) {
  const char* section = row.section;
  const char* key = row.key.c_str();
  switch (row.kind) {
    case Kind::Int:
      IniWriteInt(section, key, *At<int32_t>(s, row));
      break;
    case Kind::Short:
      IniWriteInt(section, key, *At<int16_t>(s, row));
      break;
    case Kind::Text: {
      const char* buffer = At<char>(s, row);
      IniWriteString(section, key, std::string(buffer, strnlen(buffer, row.size)).c_str());
      break;
    }
    case Kind::Colour: {
      COLORREF c = *At<COLORREF>(s, row);
      IniWriteInt(section, (row.key + "Red").c_str(), 255 - GetRValue(c));
      IniWriteInt(section, (row.key + "Green").c_str(), 255 - GetGValue(c));
      IniWriteInt(section, (row.key + "Blue").c_str(), 255 - GetBValue(c));
      break;
    }
    case Kind::Ports:
      WritePorts(s);
      break;
  }
}

// Values that follow from others once everything is read.
void Derive(AppSettings& s) {
  if (s.maxTrack >= 99) s.maxTrack = 99;
  if (s.orgTrack >= s.maxTrack) s.orgTrack = s.maxTrack;
  s.seqMode = 1;
  LowerCaseAscii(s.soundModuleInit);
  s.stepInputMode = 2 * s.editMode;
  s.midiRecPortWord = static_cast<int16_t>(s.midiRecPort);
  s.midiThruWord = static_cast<int16_t>(s.midiThru);
}

void WriteRows(unsigned flag) {
  for (const Row& row : Rows())
    if (row.flags & flag) WriteRow(g_settings, row);
}

class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

}  // namespace

AppSettings g_settings;
SettingsHooks g_settingsHooks;

AppSettings::AppSettings() {
  std::memset(static_cast<void*>(this), 0, sizeof *this);
  std::string programFile = ProgramFileName();
  for (const Row& row : Rows()) ApplyDefault(*this, row, programFile);
  Derive(*this);
}

void LowerCaseAscii(char* text) {
  if (!text) return;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
    if (IsDBCSLeadByteEx(932, *p)) {
      if (!p[1]) break;
      ++p;
    } else if (*p >= 'A' && *p <= 'Z') {
      *p = static_cast<unsigned char>(*p - 'A' + 'a');
    }
  }
}

void LoadSettings() {
  WaitCursor wait;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  std::string programFile = ProgramFileName();
  for (const Row& row : Rows())
    if (!(row.flags & (kPianoPal | kWriteOnly))) ReadRow(g_settings, row, programFile);
  Derive(g_settings);
  if (g_settingsHooks.bindFilters) g_settingsHooks.bindFilters();

  AllocSettingsBlock();
  if (int32_t* block = LockSettingsBlock()) {
    LoadWindowEntries(block, g_settings.orgTrack, screenWidth, screenHeight);
    block[kSbTrkSetMode] = g_settings.trkSetMode;
    if (g_settingsHooks.getPMonDefaults) g_settingsHooks.getPMonDefaults();
    UnlockSettingsBlock();
  }

  LoadPianoPalSettings();
  char font[kFontTextSize];
  IniGetString("DeskTop", "FumenFont", "", font, sizeof font);
  ParseFontEntry(font, &g_settings.fumenFont);
  if (g_settingsHooks.createDisplayFont) g_settingsHooks.createDisplayFont();
}

void SaveSettings() {
  WaitCursor wait;
  SaveRhythmNames();
  WriteRows(kBySaveSettings);
}

void SaveDesktop() {
  WriteRows(kBySaveDesktop);
  if (g_settingsHooks.collectPlacements) g_settingsHooks.collectPlacements();
  if (const int32_t* block = LockSettingsBlock()) {
    WindowFontQuery fonts;
    if (g_settingsHooks.windowFont) fonts = g_settingsHooks.windowFont;
    SaveWindowEntries(block, g_song.trackCount, fonts);
    UnlockSettingsBlock();
  }
  IniWriteString("DeskTop", "FumenFont", FormatFontEntry(g_settings.fumenFont).c_str());
  if (g_settingsHooks.writePMonDefaults) g_settingsHooks.writePMonDefaults();
  SavePianoPalSettings();
  for (const ControllerPlugin& plugin : g_plugins)
    if (plugin.saveSettings && plugin.id) plugin.saveSettings(plugin.id);
}

void SaveInitAfterFileOpen() {
  const char* text = g_settings.soundModuleInit;
  IniWriteString("SoundModule", "InitAfterFileOpen",
                 std::string(text, strnlen(text, kSoundModuleInitSize)).c_str());
}

void LoadPianoPalSettings() {
  std::string programFile;
  for (const Row& row : Rows())
    if (row.flags & kPianoPal) ReadRow(g_settings, row, programFile);
}

void SavePianoPalSettings() { WriteRows(kPianoPal); }
