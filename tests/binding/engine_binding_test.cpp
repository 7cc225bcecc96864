// The engine and the Super MPU extras, bound by ordinal from the libraries
// the settings name.
#include <cstring>

#include "bindingtest.h"

namespace {

using EngineBinding = BindingTest;

void SetText(char* field, const char* text) { std::strcpy(field, text); }

// Every entry of the engine interface with its ordinal.
std::vector<std::pair<int, const void*>> EngineEntryTable() {
  const EngineEntries& e = g_engine;
  auto v = [](auto f) { return reinterpret_cast<const void*>(f); };
  return {{3, v(e.checkPlaying)},        {4, v(e.getRecBytes)},      {5, v(e.showSeqStatus)},
          {6, v(e.changeMIDIPort)},      {7, v(e.getMIDIPort)},      {8, v(e.setPLAY2)},
          {10, v(e.setPlayMode)},        {12, v(e.thruAssign)},      {14, v(e.setRecBuf)},
          {15, v(e.setParentFrame)},     {16, v(e.play)},            {17, v(e.recStartKeyon)},
          {18, v(e.pointPlayExec)},      {19, v(e.stopSeqPlay)},     {20, v(e.seqPause)},
          {48, v(e.resetMT32)},          {49, v(e.gsReset)},         {50, v(e.sendMT32All)},
          {51, v(e.gsSendAll)},          {64, v(e.midiOutImmMsg)},   {65, v(e.midiReset)},
          {100, v(e.checkPauseing)},     {128, v(e.openMIDIInPort)}, {129, v(e.closeMIDIInPort)},
          {130, v(e.startMIDIInPort)},   {131, v(e.stopMIDIInPort)}, {132, v(e.getMIDIInTable)},
          {192, v(e.sendBuffer)},        {193, v(e.waitExec)},       {194, v(e.getBuffer)},
          {200, v(e.setPunchInOutMeas)}, {240, v(e.setShareFlag)},   {241, v(e.getShareFlag)},
          {242, v(e.openMIDIPort)},      {243, v(e.closeMIDIPort)},  {255, v(e.dumpSong)},
          {256, v(e.initializePlayback)}, {300, v(e.setStartTime0)}, {301, v(e.playStartTime0)},
          {310, v(e.getTempoMap)},       {506, v(e.setPlayMonMode)}, {507, v(e.compareMonitorPos)},
          {508, v(e.clearPlayMonDarty)}, {1100, v(e.getPlayTime)},   {1101, v(e.setPlayTime)},
          {1102, v(e.seekTimePlayExec)}, {1103, v(e.seqHold)},       {1200, v(e.changeMIDIINPort)}};
}

bool AllExtrasNull() {
  const SmpuExtras& x = g_smpu;
  return !x.library && !x.openCallBack && !x.startSMPTEGenerate && !x.stopSMPTEGenerate && !x.getSMPTETime &&
         !x.closeCallBack && !x.sendSMPUOptionSW && !x.setSMPUIMMREC && !x.smpteCheck && !x.setSyncInternal &&
         !x.getTimeCode && !x.getSmpuEnv;
}

TEST_F(EngineBinding, StreamEngineIsBoundByOrdinalAndItsPortsOpenByDeviceName) {
  ini.Write(
      "[Play]\nApplet=zkpoly.dll\n"
      "[MIDIIF]\nPort1Name=Virtual Out B\nPort2Name=None\nPort3Name=Virtual Out A\nPort4Name=None\n"
      "INPort1Name=None\nINPort2Name=Virtual In B\n");
  LoadSettings();
  ASSERT_EQ(g_settings.outPorts[0], 1);
  BindEngine();
  ASSERT_NE(g_engine.library, nullptr);
  EXPECT_FALSE(g_engine.smpuEngine);
  for (const auto& [ordinal, entry] : EngineEntryTable()) {
    EXPECT_EQ(entry, reinterpret_cast<const void*>(GetProcAddress(g_engine.library, MAKEINTRESOURCEA(ordinal))))
        << "ordinal " << ordinal;
    EXPECT_NE(entry, nullptr) << "ordinal " << ordinal;
  }

  SetUpPorts();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(PortsTakenByUs());
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 3u);
  // Port A went to the device named "Virtual Out B", port C to "Virtual Out A";
  // port B ("None") is closed.
  g_engine.midiOutImmMsg(0x90, 0x00, 60, 100);
  g_engine.midiOutImmMsg(0x90, 0x12, 61, 100);
  g_engine.midiOutImmMsg(0x90, 0x21, 62, 100);
  EXPECT_EQ(Immediate(1), (std::vector<uint32_t>{0x643C90}));
  EXPECT_EQ(Immediate(0), (std::vector<uint32_t>{0x643E91}));
  // The second input went to the device named "Virtual In B"; the first is closed.
  EXPECT_TRUE(vm.Inject(1, 0x403C90, 0));
  EXPECT_FALSE(vm.Inject(0, 0x403C90, 0));
}

TEST_F(EngineBinding, MissingEngineLeavesEveryEntryNullAndTheProgramRuns) {
  SetText(g_settings.applet, "nosuchengine.dll");
  BindEngine();
  EXPECT_EQ(g_engine.library, nullptr);
  for (const auto& [ordinal, entry] : EngineEntryTable()) EXPECT_EQ(entry, nullptr) << "ordinal " << ordinal;
  EXPECT_EQ(PlayMonIsPlaying(), 0);
  SetUpPorts();   // nothing to call: no box, no crash
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(CloseMidiInput(), 0);
}

TEST_F(EngineBinding, NothingIsBoundWhileThePortsAreUnavailable) {
  SetText(g_settings.applet, "zkpoly.dll");
  SetText(g_settings.rdsDriver, "rdsmpu32.dll");
  SetText(g_settings.appletChoice[1], "fakesmpu.dll");
  g_app.portsUnavailable = 1;
  BindSmpuExtras();
  BindEngine();
  EXPECT_EQ(g_engine.library, nullptr);
  EXPECT_TRUE(AllExtrasNull());
}

TEST_F(EngineBinding, ExtrasAreBoundOnlyFromTheSuperMpuEngine) {
  struct Case {
    const char* driver;
    const char* applet2;
    bool bound;
  } cases[] = {
      {"rdsmpu32.dll", "zkpoly.dll", false},     // another engine: its 9 and 11 are not the extras
      {"rdsmpu32.dll", "zkmme.dll", false},
      {"rdsmpu32.dll", "fakesmpu.dll", true},
      {"nosuchdriver.dll", "fakesmpu.dll", false},  // no driver: no extras
      {"rdsmpu32.dll", "nosuchengine.dll", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.driver) + " / " + c.applet2);
    SetText(g_settings.rdsDriver, c.driver);
    SetText(g_settings.appletChoice[1], c.applet2);
    EXPECT_EQ(ProbeSmpuDriver(), std::strcmp(c.driver, "rdsmpu32.dll") == 0 ? 1 : 0);
    BindSmpuExtras();
    if (!c.bound) {
      EXPECT_TRUE(AllExtrasNull());
      EXPECT_EQ(GetModuleHandleA(c.applet2), nullptr) << "a library that is not used stays loaded";
      continue;
    }
    ASSERT_NE(g_smpu.library, nullptr);
    for (auto [ordinal, entry] : std::vector<std::pair<int, const void*>>{
             {21, reinterpret_cast<const void*>(g_smpu.openCallBack)},
             {22, reinterpret_cast<const void*>(g_smpu.closeCallBack)},
             {47, reinterpret_cast<const void*>(g_smpu.sendSMPUOptionSW)},
             {13, reinterpret_cast<const void*>(g_smpu.setSMPUIMMREC)},
             {11, reinterpret_cast<const void*>(g_smpu.setSyncInternal)},
             {9, reinterpret_cast<const void*>(g_smpu.getTimeCode)},
             {65, reinterpret_cast<const void*>(g_engine.midiReset)}})
      EXPECT_EQ(entry, reinterpret_cast<const void*>(GetProcAddress(g_smpu.library, MAKEINTRESOURCEA(ordinal))))
          << "ordinal " << ordinal;
    EXPECT_EQ(g_smpu.getSmpuEnv, nullptr);   // not exported: only that entry is null
    UnloadLibraries();
  }
}

TEST_F(EngineBinding, TheEngineBoundAfterTheExtrasBringsItsOwnReset) {
  SetText(g_settings.rdsDriver, "rdsmpu32.dll");
  SetText(g_settings.appletChoice[1], "fakesmpu.dll");
  SetText(g_settings.applet, "zkpoly.dll");
  BindSmpuExtras();
  ASSERT_NE(g_smpu.setSMPUIMMREC, nullptr);
  BindEngine();
  EXPECT_EQ(reinterpret_cast<void*>(g_engine.midiReset),
            reinterpret_cast<void*>(GetProcAddress(g_engine.library, MAKEINTRESOURCEA(65))));
  // The extras stay bound beside the stream engine.
  EXPECT_NE(g_smpu.setSMPUIMMREC, nullptr);
}

TEST_F(EngineBinding, SuperMpuEngineOpensTheDeviceAndSendsTheOptions) {
  SetText(g_settings.rdsDriver, "rdsmpu32.dll");
  SetText(g_settings.appletChoice[1], "fakesmpu.dll");
  SetText(g_settings.applet, "fakesmpu.dll");
  g_settings.optionSw = 5;
  g_settings.monitorSw = 0x1FF;
  g_settings.playMonitor = 0;
  g_settings.trackMonitor = 1;
  BindSmpuExtras();
  BindEngine();
  EXPECT_TRUE(g_engine.smpuEngine);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"fakesmpu OpenCallBack 1 1", "fakesmpu SendSMPUOptionSW 5 511 1",
                                               "fakesmpu ClearPlayMonDarty", "fakesmpu SetPlayMonMode 1"}));

  // With the ports held by another program the device is left alone.
  g_engine.setShareFlag(3);
  ClearCalls();
  g_settings.trackMonitor = 0;
  BindEngine();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"fakesmpu ClearPlayMonDarty", "fakesmpu SetPlayMonMode 0"}));
  g_engine.setShareFlag(0);
}

}  // namespace
