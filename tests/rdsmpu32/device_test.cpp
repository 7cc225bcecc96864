// The device connection, the version blocks the engine checks, line messages
// and the call log.
#include <cstdio>
#include <cstdlib>

#include "smpufixture.h"

namespace {

// The engine's check: major.minor of FileVersion at least 4.2, CompanyName set.
struct VersionInfo {
  bool found = false;
  std::string company, fileVersion;
};

VersionInfo ReadVersion(const char* file) {
  VersionInfo v;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file, &ignored);
  if (!size) return v;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(file, 0, size, block.data())) return v;
  struct Lang { WORD lang, cp; }* langs = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&langs), &len) ||
      len < sizeof(Lang))
    return v;
  v.found = true;
  auto query = [&](const char* key) {
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", langs[0].lang, langs[0].cp, key);
    char* text = nullptr;
    UINT n = 0;
    return VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&text), &n) && text ? std::string(text)
                                                                                         : std::string();
  };
  v.company = query("CompanyName");
  v.fileVersion = query("FileVersion");
  return v;
}

TEST(SmpuDriverFiles, AllThreeCarryAVersionTheEngineAccepts) {
  for (const char* file : {"rdsmpu32.dll", "rdsmpu95.drv", "rdsmpu95.vxd"}) {
    SCOPED_TRACE(file);
    VersionInfo v = ReadVersion(file);
    ASSERT_TRUE(v.found);
    EXPECT_FALSE(v.company.empty());
    EXPECT_EQ(v.fileVersion, "4.20");
    char* rest = nullptr;
    long major = strtol(v.fileVersion.c_str(), &rest, 10);
    long minor = strtol(rest + 1, nullptr, 10);
    EXPECT_TRUE(major > 4 || (major == 4 && minor >= 2));
  }
}

TEST_F(Smpu, OpensTheOutputDeviceNamedInTheSettings) {
  ASSERT_EQ(Open({"OutDevice=virtual out b", "InDevice=none"}), 1);
  EXPECT_EQ(SMPUPutLineMesDWord(h, 0x9003, 0x3C64), SMPU_OK);
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].device, 1);
  EXPECT_EQ(log[0].message, 0x643C93u);
  SMPUENVINFO env{};
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.outDevice, 1);
  EXPECT_EQ(env.inDevice, 0xFFFF);
}

TEST_F(Smpu, OpensTheFirstDevicesWithoutSettings) {
  ASSERT_EQ(Open(), 1);
  SMPUENVINFO env{};
  ASSERT_EQ(SMPUGetEnvInfo(h, &env), SMPU_OK);
  EXPECT_EQ(env.outDevice, 0);
  EXPECT_EQ(env.inDevice, 0);
  EXPECT_EQ(env.queueSize, 4096);
}

TEST_F(Smpu, OpenFailures) {
  EXPECT_EQ(Open({"OutDevice=No Such Device"}), SMPU_ERR_DEVICE);
  EXPECT_EQ(Open({"InDevice=No Such Input"}), SMPU_ERR_DEVICE);
  EXPECT_EQ(SMPUOpen(nullptr), SMPU_ERR_PARAM);
  vm.FailOpen(0, MMSYSERR_ALLOCATED);
  EXPECT_EQ(Open(), SMPU_ERR_DEVICE);
  vm.FailOpen(0, 0);
  ASSERT_EQ(Open(), 1);
  SMPUOPENPARAM p{};
  EXPECT_EQ(SMPUOpen(&p), SMPU_ERR_INUSE);
  EXPECT_EQ(vm.OpenCount(), 2);  // one output, one input
  Close();
  EXPECT_EQ(vm.OpenCount(), 0);
}

TEST_F(Smpu, CallsOnAClosedHandleFail) {
  EXPECT_EQ(SMPUPutLineMesDWord(1, 0x9000, 0x3C40), SMPU_ERR_HANDLE);
  ASSERT_EQ(Open(), 1);
  EXPECT_EQ(SMPUGetSeqStatus(2), SMPU_ERR_HANDLE);
  Close();
  DWORD t = 0;
  EXPECT_EQ(SMPUGetCurTime(1, &t), SMPU_ERR_HANDLE);
  EXPECT_EQ(SMPUSeqQStart(1, 0), SMPU_ERR_HANDLE);
  EXPECT_EQ(SMPUClose(1), SMPU_ERR_HANDLE);
  EXPECT_TRUE(Log().empty());
}

struct LineCase {
  WORD word1, word2;
  short result;
  int device;  // -1: nothing sent
  uint32_t message;
};

TEST_F(Smpu, LineMessagesGoToThePortOfTheirInterfaceChannel) {
  ASSERT_EQ(Open({"OutDevice=Virtual Out A", "OutDeviceB=Virtual Out B", "InDevice=none"}), 1);
  const LineCase cases[] = {
      {0x9000, 0x3C64, SMPU_OK, 0, 0x643C90},
      {0x9013, 0x4050, SMPU_OK, 1, 0x504093},   // interface channel 19: port B, channel 4
      {0xC005, 0x1000, SMPU_OK, 0, 0x0010C5},   // program in word 2's high byte
      {0xE01F, 0x0040, SMPU_OK, 1, 0x4000EF},
      {0xF200, 0x0102, SMPU_OK, 0, 0x0201F2},   // song position: low 7 bits, then high
      {0xF201, 0x0000, SMPU_OK, 1, 0x0000F2},
      {0x9020, 0x3C64, SMPU_ERR_PARAM, -1, 0},  // no interface channel 32
      {0x3C64, 0x0000, SMPU_ERR_PARAM, -1, 0},  // not a status
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.word1 << " " << c.word2);
    vm.LogClear();
    EXPECT_EQ(SMPUPutLineMesDWord(h, c.word1, c.word2), c.result);
    std::vector<Played> log = Log(kVmShort);
    if (c.device < 0) {
      EXPECT_TRUE(log.empty());
      continue;
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].device, c.device);
    EXPECT_EQ(log[0].message, c.message);
  }
}

TEST_F(Smpu, ABusyDeviceAnswersBusyUntilItIsReady) {
  ASSERT_EQ(Open({"InDevice=none"}), 1);
  vm.FailShortMsgs(0, 2);
  EXPECT_EQ(SMPUPutLineMesDWord(h, 0xB000, 0x0764), SMPU_ERR_BUSY);
  EXPECT_EQ(static_cast<WORD>(SMPUPutLineMesDWord(h, 0xB000, 0x0764)), 0xFFE8);
  EXPECT_EQ(SMPUPutLineMesDWord(h, 0xB000, 0x0764), SMPU_OK);
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, 0x6407B0u);
}

TEST_F(Smpu, BlocksSendEachSystemExclusiveMessageToItsPort) {
  ASSERT_EQ(Open({"OutDevice=Virtual Out A", "OutDeviceB=Virtual Out B", "InDevice=none"}), 1);
  // An even count ends with 0xF700, an odd one with a low byte 0xF7; two
  // messages in one block.
  const WORD block[] = {0xF000, 0x7E7F, 0x0901, 0xF700, 0xF010, 0x4110, 0x42F7};
  EXPECT_EQ(SMPUPutLineMesBlock(h, block, 7), SMPU_OK);
  std::vector<Played> log = Log(kVmLong);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].device, 0);
  EXPECT_EQ(log[0].bytes, (std::vector<uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(log[1].device, 1);
  EXPECT_EQ(log[1].bytes, (std::vector<uint8_t>{0xF0, 0x41, 0x10, 0x42, 0xF7}));

  vm.LogClear();
  const WORD cut[] = {0xF000, 0x4110, 0x4212};
  EXPECT_EQ(SMPUPutLineMesBlock(h, cut, 3), SMPU_ERR_PARAM);
  EXPECT_TRUE(Log(kVmLong).empty());
}

TEST_F(Smpu, PanicSilencesEveryChannel) {
  ASSERT_EQ(Open({"InDevice=none"}), 1);
  ASSERT_EQ(SMPUPanic(h), SMPU_OK);
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 32u);
  for (int ch = 0; ch < 16; ++ch) {
    EXPECT_EQ(log[2 * ch].message, static_cast<uint32_t>(0x40B0 | ch));
    EXPECT_EQ(log[2 * ch + 1].message, static_cast<uint32_t>(0x7BB0 | ch));
  }
}

TEST_F(Smpu, SwitchesMapsAndFiltersReadBackWhatWasSet) {
  ASSERT_EQ(Open({"InDevice=none"}), 1);
  EXPECT_EQ(SMPUGetThruSw(h), 0);
  EXPECT_EQ(SMPUSetThruSw(h, 1), SMPU_OK);
  EXPECT_EQ(SMPUGetThruSw(h), 1);
  EXPECT_EQ(SMPUGetClkReso(h), 4);
  SMPUSYNCMODE sync{};
  ASSERT_EQ(SMPUGetSyncMode(h, &sync), SMPU_OK);
  EXPECT_EQ(sync.mode, 0);
  EXPECT_EQ(sync.frameType, 3);
  SMPUSYNCMODE smpte{2, 15, 1};
  EXPECT_EQ(SMPUSetSyncMode(h, &smpte), SMPU_OK);
  ASSERT_EQ(SMPUGetSyncMode(h, &sync), SMPU_OK);
  EXPECT_EQ(sync.mode, 2);
  EXPECT_EQ(sync.level, 15);

  SMPUMAP map{0x81, 19, 0, 0};
  ASSERT_EQ(SMPUGetChMessThruMap(h, &map), SMPU_OK);
  EXPECT_EQ(map.value1, 0xFF);
  SMPUMAP set{0x81, 19, 19, 0xFF};
  EXPECT_EQ(SMPUSetMap(h, &set), SMPU_OK);
  map = SMPUMAP{0, 19, 0, 0};
  ASSERT_EQ(SMPUGetChMessThruMap(h, &map), SMPU_OK);
  EXPECT_EQ(map.kind, 0x81);
  EXPECT_EQ(map.value1, 19);
  SMPUMAP bad{0x81, 32, 0, 0};
  EXPECT_EQ(SMPUSetMap(h, &bad), SMPU_ERR_PARAM);
  SMPUMAP sys{0x82, 16, 0xFF, 0xFF};
  EXPECT_EQ(SMPUSetMap(h, &sys), SMPU_OK);
  SMPUMAP filter{0x92, 5, 0x7E, 0x7E};
  EXPECT_EQ(SMPUSetFilter(h, &filter), SMPU_OK);
  map = SMPUMAP{0, 5, 0, 0};
  ASSERT_EQ(SMPUGetChMessRecFilter(h, &map), SMPU_OK);
  EXPECT_EQ(map.value1, 0x7E);
  SMPUCHLINEINFO line{};
  ASSERT_EQ(SMPUGetChLineInfo(h, 32, &line), SMPU_OK);
  EXPECT_EQ(line.monitor, 0);
  EXPECT_EQ(SMPUSetChLineMonSw(h, 32, 1), SMPU_OK);
  ASSERT_EQ(SMPUGetChLineInfo(h, 32, &line), SMPU_OK);
  EXPECT_EQ(line.monitor, 1);
  EXPECT_EQ(SMPUGetChLineInfo(h, 33, &line), SMPU_ERR_PARAM);

  SMPUMPUVER ver{};
  ASSERT_EQ(SMPUGetMpuVer(0, &ver), SMPU_OK);
  EXPECT_EQ(ver.major, 4);
  EXPECT_EQ(ver.minor, 20);
  EXPECT_EQ(SMPUGetMpuVer(1, &ver), SMPU_ERR_PARAM);
}

TEST_F(Smpu, EveryCallIsLoggedWithItsArguments) {
  ASSERT_EQ(Open({"InDevice=none"}), 1);
  SMPUMAP set{0x81, 3, 17, 0xFF};
  SMPUSetMap(h, &set);
  SMPUPutLineMesDWord(h, 0x9000, 0x3C64);
  const WORD words[] = {0xE1F0, 6000, 0x9000, 0x3C64, 0xE878};
  SMPUPutSeqBlock(h, words, 5);
  SMPUSetRecSw(h, 1);
  SMPUGetEvent(h, 0x3FFF);
  SMPUHMS hms{0, 1, 2, 3, 0, 3};
  SMPUSetTC(h, &hms);
  Close();
  std::vector<std::string> log = CallLog();
  const std::vector<std::string> expected = {
      "SMPUSetMap 1 {129,3,17,255}",
      "SMPUPutLineMesDWord 1 9000 3C64",
      "SMPUPutSeqBlock 1 5 [E1F0 1770 9000 3C64 E878]",
      "SMPUSetRecSw 1 1",
      "SMPUGetEvent 1 3FFF",
      "SMPUSetTC 1 {0,1,2,3,0,3}",
      "SMPUClose 1",
  };
  ASSERT_GE(log.size(), expected.size() + 1);
  EXPECT_EQ(log[0].rfind("SMPUOpen {", 0), 0u) << log[0];
  EXPECT_EQ(std::vector<std::string>(log.begin() + 1, log.begin() + 1 + expected.size()), expected);
  char small[8];
  EXPECT_EQ(RdsCallLogEntry(0, small, sizeof small), static_cast<int>(log[0].size()));
  EXPECT_EQ(std::string(small), log[0].substr(0, 7));
  EXPECT_EQ(RdsCallLogEntry(static_cast<int>(log.size()), small, sizeof small), -1);
}

struct HmsCase {
  DWORD units;
  SMPUHMS hms;
};

TEST(SmpuTime, UnitsAndSmpteConvertBothWays) {
  const HmsCase cases[] = {
      {0, {0, 0, 0, 0, 0, 3}},
      {48000, {0, 0, 2, 0, 0, 3}},
      {24000 * 3661 + 800 * 29 + 400, {1, 1, 1, 29, 15000, 3}},
      {24000 + 1000 * 23, {0, 0, 1, 23, 0, 0}},   // 24 frames: 1000 units a frame
      {960 * 24 + 480, {0, 0, 0, 24, 15000, 1}},  // 25 frames: 960 units
  };
  for (const HmsCase& c : cases) {
    SCOPED_TRACE(c.units);
    DWORD units = 0;
    ASSERT_EQ(SMPUHms2TimeUnit(&c.hms, &units), SMPU_HMS_CONVERTED);
    EXPECT_EQ(units, c.units);
    SMPUHMS back{};
    back.frameType = c.hms.frameType;
    ASSERT_EQ(SMPUTimeUnit2Hms(c.units, &back), SMPU_OK);
    EXPECT_EQ(std::vector<WORD>({back.hours, back.minutes, back.seconds, back.frames, back.bits}),
              std::vector<WORD>({c.hms.hours, c.hms.minutes, c.hms.seconds, c.hms.frames, c.hms.bits}));
  }
  SMPUHMS badType{0, 0, 0, 0, 0, 4};
  EXPECT_EQ(SMPUTimeUnit2Hms(0, &badType), SMPU_ERR_PARAM);
}

}  // namespace
