// The port set-up: the claim in the engine's shared flag, the ports opened by
// device, and a second program that finds them held.
#include <cstring>

#include "bindingtest.h"
#include "resource.h"

namespace {

class PortSetUp : public BindingTest {
 protected:
  void SetUp() override {
    BindingTest::SetUp();
    std::strcpy(g_settings.applet, "zkpoly.dll");
    g_settings.outPorts[0] = 1;
    g_settings.outPorts[1] = 0;
    g_settings.outPorts[2] = -1;
    g_settings.outPorts[3] = -1;
    g_settings.inPorts[0] = -1;
    g_settings.inPorts[1] = -1;
  }
};

TEST_F(PortSetUp, PortsHeldByAnotherProgramGiveOneMessageAndStayTheirs) {
  BindEngine();
  ASSERT_NE(g_engine.library, nullptr);
  // Another program claims the ports while this one has the engine loaded.
  ASSERT_EQ(RunSharedFlagProbe("zkpoly.dll set 3"), 0u);
  int open = vm.OpenCount();

  SetUpPorts();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].stringId, static_cast<UINT>(IDS_PORTS_IN_USE));
  EXPECT_EQ(boxes.boxes[0].text, "他のアプリケーションがMIDIポートを使用しているので、演奏などは行えません。");
  EXPECT_EQ(boxes.boxes[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(g_app.portsUnavailable, 1u);
  EXPECT_EQ(static_cast<uint32_t>(g_settings.outPorts[4]), 0xFFFEu);
  EXPECT_EQ(vm.OpenCount(), open);
  EXPECT_FALSE(PortsTakenByUs());
  EXPECT_NE(g_engine.library, nullptr) << "the engine stays bound";

  // Nothing more happens while the ports are unavailable.
  SetUpPorts();
  BindEngine();
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(CloseMidiInput(), 1);

  // Leaving does not take the claim from the program that holds the ports.
  ReleasePorts();
  EXPECT_EQ(g_engine.getShareFlag(), 3);
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 3u);
  ASSERT_EQ(RunSharedFlagProbe("zkpoly.dll set 0"), 0u);
}

TEST_F(PortSetUp, TheProgramThatTookThePortsReleasesThemWhenItLeaves) {
  BindEngine();
  int open = vm.OpenCount();
  SetUpPorts();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 3u);
  EXPECT_GT(vm.OpenCount(), open);

  ReleasePorts();
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 0u);
  EXPECT_EQ(vm.OpenCount(), open);
  ReleasePorts();   // a second release changes nothing
  EXPECT_EQ(RunSharedFlagProbe("zkpoly.dll get"), 0u);
}

TEST_F(PortSetUp, BindingTheEngineAgainKeepsThePorts) {
  // The MIDI interface dialog binds the engine anew and sets the ports up
  // again: the program's own claim must not look like another program's.
  BindEngine();
  SetUpPorts();
  BindEngine();
  SetUpPorts();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(g_app.portsUnavailable, 0u);
  g_engine.midiOutImmMsg(0x90, 0x00, 60, 1);
  EXPECT_EQ(Immediate(1), (std::vector<uint32_t>{0x013C90}));
}

TEST_F(PortSetUp, APortThatCannotOpenIsReportedAndTheOthersStillOpen) {
  BindEngine();
  vm.FailOpen(1, MMSYSERR_ALLOCATED);
  SetUpPorts();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].stringId, static_cast<UINT>(IDS_PORTS_IN_USE));
  EXPECT_EQ(g_app.portsUnavailable, 0u);
  g_engine.midiOutImmMsg(0x90, 0x00, 60, 1);
  g_engine.midiOutImmMsg(0x90, 0x10, 61, 1);
  EXPECT_TRUE(Immediate(1).empty());
  EXPECT_EQ(Immediate(0), (std::vector<uint32_t>{0x013D90}));
}

class SmpuPorts : public BindingTest {
 protected:
  void SetUp() override {
    BindingTest::SetUp();
    ASSERT_TRUE(vm.SetDevices("Virtual Out A;S-MPU MIDI Out B Port;S-MPU MIDI Out D;S-MPU MIDI Out", "Virtual In A"));
  }
  void TearDown() override {
    BindingTest::TearDown();
    vm.SetDevices("Virtual Out A;Virtual Out B", "Virtual In A;Virtual In B");
  }
};

TEST_F(SmpuPorts, TheFirstSixteenCharactersNameTheSuperMpuPort) {
  struct Case {
    int device;
    int mask;
  } cases[] = {{0, 0}, {1, 2}, {2, 8}, {3, 0}, {-1, 0}, {9, 0}};
  for (const Case& c : cases) EXPECT_EQ(SmpuPortTest(c.device), c.mask) << "device " << c.device;
  g_app.portsUnavailable = 1;
  EXPECT_EQ(SmpuPortTest(1), 0);
}

TEST_F(SmpuPorts, PortSetUpMarksThePortsOnTheSuperMpu) {
  g_settings.outPorts[0] = 1;
  g_settings.outPorts[1] = 0;
  g_settings.outPorts[2] = -1;
  g_settings.outPorts[3] = 2;
  g_smpuPortFlags[2] = 1;   // cleared before its test
  SetUpPorts();             // no engine: only the flags
  EXPECT_EQ(g_smpuPortFlags[0], 1);
  EXPECT_EQ(g_smpuPortFlags[1], 0);
  EXPECT_EQ(g_smpuPortFlags[2], 0);
  EXPECT_EQ(g_smpuPortFlags[3], 1);
}

}  // namespace
