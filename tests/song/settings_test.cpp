#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "inifile.h"
#include "midiports.h"
#include "plugins.h"
#include "rhythm.h"
#include "settings.h"
#include "settingsblock.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

std::vector<std::string> g_calls;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    savedHooks_ = g_settingsHooks;
    savedTracks_ = g_song.trackCount;
    hadBlock_ = g_settingsBlock != nullptr;
    g_settings = AppSettings();
    g_settingsHooks = SettingsHooks();
    g_calls.clear();
    ResetRhythmTable();
  }
  void TearDown() override {
    g_settings = saved_;
    g_settingsHooks = savedHooks_;
    g_song.trackCount = savedTracks_;
    if (!hadBlock_) FreeSettingsBlock();
  }

  static int32_t Field(int field) {
    int32_t* block = LockSettingsBlock();
    EXPECT_NE(nullptr, block);
    int32_t value = block ? block[field] : 0;
    UnlockSettingsBlock();
    return value;
  }
  static void SetField(int field, int32_t value) {
    int32_t* block = LockSettingsBlock();
    ASSERT_NE(nullptr, block);
    block[field] = value;
    UnlockSettingsBlock();
  }
  static void ClearBlock() {
    int32_t* block = LockSettingsBlock();
    ASSERT_NE(nullptr, block);
    std::memset(block, 0, kSettingsBlockBytes);
    UnlockSettingsBlock();
  }
  static std::string Text(const char* section, const char* key) {
    return IniGetString(section, key, "<absent>", 4096);
  }

  TempSettingsFile ini;

 private:
  AppSettings saved_;
  SettingsHooks savedHooks_;
  int savedTracks_ = 0;
  bool hadBlock_ = false;
};

std::string ProgramFile() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, n);
}

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  LoadSettings();
  const AppSettings& s = g_settings;
  EXPECT_EQ(36, s.maxTrack);
  EXPECT_EQ(36, s.orgTrack);
  EXPECT_EQ(480, s.timeBase);
  EXPECT_STREQ("ZKPOLY.DLL", s.applet);
  EXPECT_STREQ("ZKRDS.DLL", s.appletChoice[0]);
  EXPECT_STREQ("ZKPOLY.DLL", s.appletChoice[1]);
  EXPECT_STREQ("ZKMME.DLL", s.appletChoice[2]);
  EXPECT_STREQ("RDSMPU32.DLL", s.rdsDriver);
  EXPECT_STREQ("ZKRDS.DLL", s.rdsApplet);
  for (int k = 0; k < kFilterSlots; ++k) {
    EXPECT_STREQ("", s.importFilter[k]);
    EXPECT_STREQ("", s.exportFilter[k]);
  }
  const int steps[10] = {1920, 1440, 960, 720, 480, 360, 240, 180, 120, 60};
  const int gates[10] = {1900, 1420, 920, 680, 450, 340, 220, 160, 100, 50};
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(steps[k], s.fkeyStep[k]) << "F" << k + 1;
    EXPECT_EQ(gates[k], s.fkeyGate[k]) << "F" << k + 1;
  }
  EXPECT_EQ(3, s.titleBar);
  EXPECT_EQ(1, s.makeBackup);
  EXPECT_EQ(511, s.monitorSw);
  EXPECT_EQ(300000, s.saveInterval);
  EXPECT_EQ(3000, s.pmonBuffer);
  EXPECT_EQ(32767, s.cmdBuffer);
  EXPECT_EQ(1, s.seqMode);
  EXPECT_EQ(250, s.fumenRatio);
  EXPECT_EQ(64, s.centerX);
  EXPECT_EQ(11, s.ctrlY);
  EXPECT_EQ(RGB(255, 0, 255), s.colFCursor);  // green 255 held complemented
  EXPECT_EQ(0u, s.colFwaku);
  EXPECT_STREQ(
      "f0,7e,7f,09,01,f7,,,f0,41,10,42,12,40,00,7f,00,41,f7,,f0,41,10,16,12,7f,00,00,00,6f,f7,,,"
      "f0,43,10,4c,00,00,7e,00,f7,,",
      s.soundModuleInit);
  EXPECT_EQ(ProgramFile(), s.tmpPath);

  // Windows placed by default.
  EXPECT_EQ(-1, Field(kSbFrame + 1));
  for (int track : {1, 36, 100}) {
    EXPECT_EQ(128, Field(SbTrackField(0, track))) << track;
    EXPECT_EQ(-1, Field(SbTrackField(6, track))) << track;
  }
  EXPECT_EQ(1, Field(kSbNamelist));
  EXPECT_EQ(-1, Field(kSbNamelist + 2));
  EXPECT_EQ(128, Field(kSbSearchLog));
  EXPECT_EQ(1, Field(kSbTrkSet));
  EXPECT_EQ(-1, Field(kSbTrkSet + 3));
  EXPECT_EQ(1, Field(kSbTrkSetMode));
  EXPECT_EQ(50, Field(kSbPianoPallet + 3));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(-1, Field(kSbTrkViewCWidth + i));

  // A record that was never read holds the same values.
  AppSettings fresh;
  EXPECT_EQ(0, std::memcmp(&fresh, &g_settings, sizeof fresh));
}

TEST_F(SettingsTest, TrackLimits) {
  struct Case {
    const char* file;
    int maxTrack, orgTrack;
  };
  const Case cases[] = {
      {"[OTHER]\nMaxTrack=150\n", 99, 36},
      {"[OTHER]\nMaxTrack=150\norgTrack=120\n", 99, 99},
      {"[OTHER]\norgTrack=80\nMaxTrack=50\n", 50, 50},
      {"[other]\nmaxtrack=40\nORGTRACK=12\n", 40, 12},
  };
  for (const Case& c : cases) {
    TempSettingsFile file;
    file.Write(c.file);
    LoadSettings();
    EXPECT_EQ(c.maxTrack, g_settings.maxTrack) << c.file;
    EXPECT_EQ(c.orgTrack, g_settings.orgTrack) << c.file;
  }
}

TEST_F(SettingsTest, OnlyOrgTrackEntriesAreRead) {
  ini.Write(
      "[OTHER]\norgTrack=80\nMaxTrack=50\n"
      "[DeskTop]\nTrack50=0,1,2,3,4,5,6,7,8,9,10,11\nTrack51=0,1,2,3,4,5,6,7,8,9,10,11\n");
  LoadSettings();
  EXPECT_EQ(0, Field(SbTrackField(0, 50)));
  EXPECT_EQ(1, Field(SbTrackField(6, 50)));
  EXPECT_EQ(2, Field(SbTrackField(5, 50)));
  EXPECT_EQ(11, Field(SbTrackField(15, 50)));
  EXPECT_EQ(128, Field(SbTrackField(0, 51)));
  EXPECT_EQ(-1, Field(SbTrackField(6, 51)));
  EXPECT_EQ(0, Field(SbTrackField(15, 51)));
}

TEST_F(SettingsTest, LayoutWriterWritesTheOpenSongsTracks) {
  LoadSettings();
  g_song.trackCount = 3;
  SaveDesktop();
  EXPECT_EQ("128,-1,0,0,0,0,0,0,0,0,0,0", Text("DeskTop", "Track3"));
  EXPECT_EQ("<absent>", Text("DeskTop", "Track4"));
  EXPECT_EQ("-1,0,0,0,0,0,0,0,0,0", Text("DeskTop", "Frame"));
  EXPECT_EQ("0,0,0,50,0", Text("DeskTop", "PianoPallet"));
  EXPECT_EQ("1,-1,0,0,0,0,0,0,0,0,0", Text("DeskTop", "TrkSet"));
  EXPECT_EQ("0,0,0,0,0,0,0,0,0,0,0,0,0,", Text("DeskTop", "FumenFont"));
  // No window exists, so no font key is written.
  for (const char* key : {"Track1Font", "ErrLogFont", "SearchLogFont", "NameListFont",
                          "ConductorFont", "TrkSetFont", "UserExclusiveFont"})
    EXPECT_EQ("<absent>", Text("DeskTop", key)) << key;
}

TEST_F(SettingsTest, LayoutWriterWritesTheFontsOfWindowsThatExist) {
  LoadSettings();
  g_song.trackCount = 2;
  g_settingsHooks.windowFont = [](const char* key, LOGFONTA& font) {
    if (std::strcmp(key, "ErrLogFont") != 0 && std::strcmp(key, "Track2Font") != 0) return false;
    font.lfHeight = -13;
    std::strcpy(font.lfFaceName, key);
    return true;
  };
  SaveDesktop();
  EXPECT_EQ("-13,0,0,0,0,0,0,0,0,0,0,0,0,ErrLogFont", Text("DeskTop", "ErrLogFont"));
  EXPECT_EQ("-13,0,0,0,0,0,0,0,0,0,0,0,0,Track2Font", Text("DeskTop", "Track2Font"));
  EXPECT_EQ("<absent>", Text("DeskTop", "Track1Font"));
  EXPECT_EQ("<absent>", Text("DeskTop", "ConductorFont"));
}

TEST_F(SettingsTest, ColoursAreHeldComplemented) {
  ini.Write("[Color]\nVeloRed=0\nVeloGreen=0\nVeloBlue=0\nTempoRed=10\nCtrl7Blue=200\n");
  LoadSettings();
  EXPECT_EQ(0xFFFFFFu, g_settings.colVelo);
  EXPECT_EQ(RGB(245, 0, 255), g_settings.colTempo);
  EXPECT_EQ(RGB(0, 0, 55), g_settings.colCtrl[7]);
  SaveSettings();
  EXPECT_EQ(0, IniGetInt("Color", "VeloRed", -1));
  EXPECT_EQ(0, IniGetInt("Color", "VeloGreen", -1));
  EXPECT_EQ(0, IniGetInt("Color", "VeloBlue", -1));
  EXPECT_EQ(10, IniGetInt("Color", "TempoRed", -1));
  EXPECT_EQ(255, IniGetInt("Color", "TempoGreen", -1));
  EXPECT_EQ(0, IniGetInt("Color", "TempoBlue", -1));
  EXPECT_EQ(200, IniGetInt("Color", "Ctrl7Blue", -1));
  EXPECT_EQ(128, IniGetInt("Color", "GTLineRed", -1));
}

TEST_F(SettingsTest, PalettesComeBackOntoTheScreen) {
  ini.Write(
      "[DeskTop]\nPlayPallet=0,100000,100000\nNotePallet=100000,100000\n"
      "PianoPallet=0,100000,100000,40,50\n");
  LoadSettings();
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GT(width, 100);
  auto check = [&](int left, int top, bool noteRule) {
    int32_t x = Field(left), y = Field(top);
    EXPECT_EQ(0, (100000 - x) % 50);
    EXPECT_GE(x, 0);
    if (noteRule) {
      EXPECT_LT(x + 25, width);
      EXPECT_GE(x + 75, width);
    } else {
      EXPECT_LE(x + 25, width);
      EXPECT_GT(x + 75, width);
    }
    EXPECT_LE(y + 25, height);
    EXPECT_GT(y + 75, height);
  };
  check(kSbPlayPallet + 1, kSbPlayPallet + 2, false);
  check(kSbNotePallet, kSbNotePallet + 1, true);
  check(kSbPianoPallet + 1, kSbPianoPallet + 2, false);
  EXPECT_EQ(40, Field(kSbPianoPallet + 3));
}

TEST_F(SettingsTest, PortsByName) {
  ini.Write(
      "[MIDIIF]\nPort1Name=None\nPort1=5\nPort2Name=NoSuchDevice\nPort2=3\n"
      "INPort1Name=NoSuchDevice\nINPort2Name=None\n");
  LoadSettings();
  EXPECT_EQ(-1, g_settings.outPorts[0]);
  // A named device that is not there stands for no other device.
  EXPECT_EQ(kPortNotFound, g_settings.outPorts[1]);
  EXPECT_EQ(kPortNotFound, g_settings.inPorts[0]);
  EXPECT_EQ(-1, g_settings.inPorts[1]);
  SaveSettings();
  EXPECT_EQ("None", Text("MIDIIF", "Port1Name"));
  EXPECT_EQ(-1, IniGetInt("MIDIIF", "Port1", 0));
  // The device is away: its name and number stay as they were.
  EXPECT_EQ(3, IniGetInt("MIDIIF", "Port2", 0));
  EXPECT_EQ("NoSuchDevice", Text("MIDIIF", "Port2Name"));
  EXPECT_EQ("None", Text("MIDIIF", "INPort2Name"));
}

TEST_F(SettingsTest, PortsWithoutNamesTakeTheStoredNumbers) {
  ini.Write("[MIDIIF]\nPort1=2\nPort2Name=\nINPort1Name=\n");
  LoadSettings();
  EXPECT_EQ(2, g_settings.outPorts[0]);
  EXPECT_EQ(0, g_settings.outPorts[1]);
  EXPECT_EQ(0, g_settings.inPorts[0]);
}

TEST(MidiPortsTest, APortOpensOnlyADeviceThatIsThere) {
  struct Case {
    int configured, count;
    PortDevice expected;
  };
  const Case cases[] = {
      {kPortNone, 0, {kPortNone, false}},     {0, 2, {0, false}},
      {1, 2, {1, false}},                     {2, 2, {kPortNone, true}},
      {0, 0, {kPortNone, true}},              {kPortNotFound, 3, {kPortNone, true}},
  };
  for (const Case& c : cases) {
    const PortDevice got = ResolvePortDevice(c.configured, c.count);
    EXPECT_EQ(got.device, c.expected.device) << c.configured << " of " << c.count;
    EXPECT_EQ(got.missing, c.expected.missing) << c.configured << " of " << c.count;
  }
  EXPECT_EQ(4, PortDeviceFromSettings("Synth", 4, 1));
  EXPECT_EQ(kPortNone, PortDeviceFromSettings("None", kPortNone, 1));
  EXPECT_EQ(1, PortDeviceFromSettings("", kPortNotFound, 1));
  EXPECT_EQ(kPortNotFound, PortDeviceFromSettings("Gone", kPortNotFound, 1));
}

TEST(MidiPortsTest, DeviceSearchByName) {
  const std::vector<std::string> devices = {"SB Live! MIDI Out", "Microsoft GS Wavetable",
                                            "S-MPU MIDI Out A"};
  DeviceNameSource source = [&](int device, std::string& name) {
    name = devices[device];
    return true;
  };
  int count = static_cast<int>(devices.size());
  EXPECT_EQ(kPortNone, FindDeviceByName("None", count, source));
  EXPECT_EQ(kPortNotFound, FindDeviceByName("", count, source));
  EXPECT_EQ(kPortNotFound, FindDeviceByName(nullptr, count, source));
  EXPECT_EQ(kPortNotFound, FindDeviceByName("Nothing", count, source));
  EXPECT_EQ(0, FindDeviceByName("SB Live! MIDI Out", count, source));
  EXPECT_EQ(1, FindDeviceByName("Microsoft", count, source));  // the name's length counts
  EXPECT_EQ(kPortNotFound, FindDeviceByName("Microsoft GS Wavetable Synth", count, source));
  EXPECT_EQ(2, FindDeviceByName("S-MPU", count, source));

  // A device that cannot be asked ends the walk.
  DeviceNameSource failing = [&](int device, std::string& name) {
    if (device == 1) return false;
    name = devices[device];
    return true;
  };
  EXPECT_EQ(0, FindDeviceByName("SB", count, failing));
  EXPECT_EQ(kPortNotFound, FindDeviceByName("S-MPU", count, failing));

  EXPECT_EQ(kPortNone, FindMidiOutDevice("None"));
  EXPECT_EQ(kPortNone, FindMidiInDevice("None"));
  std::string name;
  EXPECT_FALSE(MidiOutDeviceName(-1, name));
}

TEST_F(SettingsTest, InitTextIsHeldInLowerCase) {
  ini.Write("[SoundModule]\nInitAfterFileOpen=F0,7E,7F,09,01,F7,,\n");
  LoadSettings();
  EXPECT_STREQ("f0,7e,7f,09,01,f7,,", g_settings.soundModuleInit);
  std::strcpy(g_settings.soundModuleInit, "f0,41,f7,,");
  SaveInitAfterFileOpen();
  EXPECT_EQ("f0,41,f7,,", Text("SoundModule", "InitAfterFileOpen"));
}

TEST(LowerCaseAsciiTest, LeavesDoubleByteCharactersAlone) {
  char text[] = "アBc,F7";  // the second byte of ア is 'A'
  LowerCaseAscii(text);
  EXPECT_STREQ("アbc,f7", text);
}

TEST_F(SettingsTest, TextsAreBoundedByTheirBuffers) {
  ini.Write("[Play]\nApplet=" + std::string(400, 'A') + "\nStartRUN7=" + std::string(300, 'R') +
            "\n[Filter]\nImport0=" + std::string(100, 'I') + "\n[MIDIIF]\nPort1Name=" +
            std::string(40, 'P') + "\n[SoundModule]\nInitAfterFileOpen=" + std::string(3000, 'a') +
            "\n");
  LoadSettings();
  EXPECT_EQ(std::string(259, 'A'), g_settings.applet);
  EXPECT_EQ(std::string(259, 'R'), g_settings.startRun[7]);
  EXPECT_EQ(std::string(79, 'I'), g_settings.importFilter[0]);
  EXPECT_STREQ("", g_settings.importFilter[1]);
  EXPECT_EQ(std::string(32, 'P'), g_settings.portName[0]);
  EXPECT_EQ(std::string(2047, 'a'), g_settings.soundModuleInit);
}

TEST_F(SettingsTest, SixteenBitKeysAreTruncated) {
  ini.Write(
      "[OneTouchSTGT]\nFKey1ST=70000\nFKey1GT=40000\n[PianoPal]\nCenterX=65535\n"
      "[other]\nWindowMax=65539\n");
  LoadSettings();
  EXPECT_EQ(4464, g_settings.fkeyStep[0]);
  EXPECT_EQ(-25536, g_settings.fkeyGate[0]);
  EXPECT_EQ(-1, g_settings.centerX);
  EXPECT_EQ(3, g_settings.windowMax);
  SaveSettings();
  EXPECT_EQ(-25536, IniGetInt("OneTouchSTGT", "FKey1GT", 0));
  EXPECT_EQ(4464, IniGetInt("OneTouchSTGT", "FKey1ST", 0));
}

TEST_F(SettingsTest, DerivedValues) {
  ini.Write(
      "[StartUp]\nEditMode=2\nMIDIRECPort=65537\nMIDITHRU=3\n[SMPU]\nSeqMode=5\n"
      "[ZKZKP]\nLOADONTBCVT=1\n[DeskTop]\nTrkSetMode=2\n");
  LoadSettings();
  EXPECT_EQ(4, g_settings.stepInputMode);
  EXPECT_EQ(1, g_settings.midiRecPortWord);
  EXPECT_EQ(3, g_settings.midiThruWord);
  EXPECT_EQ(1, g_settings.seqMode);  // starts as 1 whatever the file says
  EXPECT_EQ(2, g_settings.trkSetMode);
  EXPECT_EQ(2, Field(kSbTrkSetMode));
  g_settings.seqMode = 2;
  SaveSettings();
  EXPECT_EQ(2, IniGetInt("SMPU", "SeqMode", 0));
  EXPECT_EQ(1, IniGetInt("ZKSMF", "LOADONTBCVT", 0));
  EXPECT_EQ(1, IniGetInt("ZKZKP", "LOADONTBCVT", 0));
}

TEST_F(SettingsTest, RhythmTableIsWrittenFirst) {
  SaveSettings();
  std::string contents = ini.Contents();
  size_t rhythm = contents.find("[Rhythm Section]");
  ASSERT_NE(std::string::npos, rhythm);
  EXPECT_EQ(rhythm, contents.find('['));
  EXPECT_EQ("HandClap", Text("Rhythm Section", "RhythmName0"));
}

TEST_F(SettingsTest, ReadChangeWriteBack) {
  ini.Write(
      "[OTHER]\nMaxTrack=60\norgTrack=40\n[Play]\nStartMCI3=play cdaudio\n"
      "[DeskTop]\nFrame=1,2,3,4,5,6,7,8,9,10\nTrack2=0,1,2,3,4,5,6,7,8,9,10,11\n"
      "Conductor=0,1,2,3,4,5,6,7,8,9,10\nTrkSetMode=2\n"
      "FumenFont=-12,0,0,0,400,0,0,0,128,0,0,0,49,Face\n[PianoPal]\nCtrlX=20\n");
  LoadSettings();
  g_settings.titleBar = 1;
  g_settings.colBend = RGB(1, 2, 3);
  std::strcpy(g_settings.endRun[7], "notepad.exe");
  g_settings.fumenFont.lfWeight = 700;
  g_settings.playmon = 0;
  SetField(kSbNamelist + 5, 321);
  g_song.trackCount = 40;
  SaveSettings();
  SaveDesktop();
  std::string written = ini.Contents();

  g_settings = AppSettings();
  ClearBlock();
  LoadSettings();
  EXPECT_EQ(1, g_settings.titleBar);
  EXPECT_EQ(RGB(1, 2, 3), g_settings.colBend);
  EXPECT_STREQ("notepad.exe", g_settings.endRun[7]);
  EXPECT_STREQ("play cdaudio", g_settings.startMci[3]);
  EXPECT_EQ(60, g_settings.maxTrack);
  EXPECT_EQ(40, g_settings.orgTrack);
  EXPECT_EQ(700, g_settings.fumenFont.lfWeight);
  EXPECT_EQ(-12, g_settings.fumenFont.lfHeight);
  EXPECT_STREQ("Face", g_settings.fumenFont.lfFaceName);
  EXPECT_EQ(0, g_settings.playmon);
  EXPECT_EQ(20, g_settings.ctrlX);
  EXPECT_EQ(2, g_settings.trkSetMode);
  EXPECT_EQ(321, Field(kSbNamelist + 5));
  EXPECT_EQ(2, Field(kSbFrame));
  EXPECT_EQ(1, Field(kSbFrame + 1));
  EXPECT_EQ(10, Field(kSbFrame + 9));
  EXPECT_EQ(1, Field(SbTrackField(6, 2)));
  EXPECT_EQ(11, Field(SbTrackField(15, 2)));
  EXPECT_EQ(1, Field(kSbConductor + 2));
  EXPECT_EQ(2, Field(kSbConductor + 1));
  // Keys the file lacked were written with their defaults.
  EXPECT_EQ(300000, IniGetInt("OTHER", "SaveInterval", -1));
  EXPECT_EQ("ZKPOLY.DLL", Text("Play", "Applet"));
  EXPECT_EQ("", Text("Play", "EndMCI0"));
  EXPECT_EQ(250, IniGetInt("DeskTop", "FumenRatio", -1));
  EXPECT_EQ(64, IniGetInt("PianoPal", "CenterY", -1));

  // Writing what was read changes nothing.
  SaveSettings();
  SaveDesktop();
  EXPECT_EQ(written, ini.Contents());
}

void WINAPI RecordPluginSave(uint16_t id) { g_calls.push_back("plugin " + std::to_string(id)); }

TEST_F(SettingsTest, HooksRunWhereTheirDataIsReady) {
  ini.Write("[Filter]\nImport0=ZKSMF.DLL\n[DeskTop]\nFumenFont=-20,0,0,0,0,0,0,0,0,0,0,0,0,F\n");
  g_settingsHooks.bindFilters = [] { g_calls.push_back(std::string("bind ") + g_settings.importFilter[0]); };
  g_settingsHooks.getPMonDefaults = [] { g_calls.push_back("pmon read"); };
  g_settingsHooks.createDisplayFont = [] {
    g_calls.push_back("font " + std::to_string(g_settings.fumenFont.lfHeight));
  };
  LoadSettings();
  EXPECT_EQ((std::vector<std::string>{"bind ZKSMF.DLL", "pmon read", "font -20"}), g_calls);

  g_calls.clear();
  g_settingsHooks.collectPlacements = [] {
    g_calls.push_back("collect");
    SetField(kSbFrame + 1, 7);
  };
  g_settingsHooks.writePMonDefaults = [] { g_calls.push_back("pmon write"); };
  ControllerPlugin savedPlugins[2] = {g_plugins[3], g_plugins[4]};
  g_plugins[3].saveSettings = RecordPluginSave;
  g_plugins[3].id = 9;
  g_plugins[4].saveSettings = RecordPluginSave;
  g_plugins[4].id = 0;  // not registered: not called
  g_song.trackCount = 0;
  SaveDesktop();
  g_plugins[3] = savedPlugins[0];
  g_plugins[4] = savedPlugins[1];
  EXPECT_EQ((std::vector<std::string>{"collect", "pmon write", "plugin 9"}), g_calls);
  EXPECT_EQ("7,0,0,0,0,0,0,0,0,0", Text("DeskTop", "Frame"));
}

}  // namespace
