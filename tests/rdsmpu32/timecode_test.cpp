// Time code: what the library makes of an SMPTE time, and its generator
// (running time and quarter frames on port A), checked on the virtual device.
#include "smpufixture.h"

namespace {

struct AnswerCase {
  const char* what;
  SMPUHMS hms;
  SMPURESULT answer;
};

TEST(SmpuTimeAnswer, NamesEveryFieldTheInterfaceCannotCount) {
  const AnswerCase cases[] = {
      {"last time of a day", {23, 59, 59, 29, 29999, 3}, SMPU_HMS_CONVERTED},
      {"hour 24", {24, 0, 0, 0, 0, 0}, SMPU_HMS_HOURS},
      {"minute 60", {0, 60, 0, 0, 0, 3}, SMPU_HMS_MINUTES},
      {"second 60", {0, 0, 60, 0, 0, 1}, SMPU_HMS_SECONDS},
      {"frame 24 at 24 frames", {0, 0, 0, 24, 0, 0}, SMPU_HMS_FRAMES},
      {"frame 25 at 25 frames", {0, 0, 0, 25, 0, 1}, SMPU_HMS_FRAMES},
      {"frame 29 at 30 frames", {0, 0, 0, 29, 0, 3}, SMPU_HMS_CONVERTED},
      {"every field at once", {25, 61, 61, 31, 0, 3},
       SMPU_HMS_HOURS | SMPU_HMS_MINUTES | SMPU_HMS_SECONDS | SMPU_HMS_FRAMES},
      {"drop frame: frame 0 of minute 1", {0, 1, 0, 0, 0, 2}, SMPU_HMS_DROPPED},
      {"drop frame: frame 1 of minute 9", {5, 9, 0, 1, 0, 2}, SMPU_HMS_DROPPED},
      {"drop frame: frame 2 of minute 1", {0, 1, 0, 2, 0, 2}, SMPU_HMS_CONVERTED},
      {"drop frame: every tenth minute keeps frame 0", {0, 10, 0, 0, 0, 2}, SMPU_HMS_CONVERTED},
      {"drop frame: frame 0 of second 1", {0, 1, 1, 0, 0, 2}, SMPU_HMS_CONVERTED},
      {"30 non-drop keeps frame 0 of minute 1", {0, 1, 0, 0, 0, 3}, SMPU_HMS_CONVERTED},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.what);
    DWORD units = 0xDEADBEEF;
    EXPECT_EQ(SMPUHms2TimeUnit(&c.hms, &units), c.answer);
    if (c.answer != SMPU_HMS_CONVERTED) EXPECT_EQ(units, 0xDEADBEEFu) << "a refused time is not converted";
  }
}

TEST(SmpuTimeAnswer, RecordsItCannotReadAreErrors) {
  SMPUHMS fine{0, 0, 0, 0, 0, 3};
  SMPUHMS noSuchType{0, 0, 0, 0, 0, 4};
  SMPUHMS tooManyBits{0, 0, 0, 0, 30000, 3};
  DWORD units = 0;
  EXPECT_EQ(SMPUHms2TimeUnit(nullptr, &units), SMPU_ERR_PARAM);
  EXPECT_EQ(SMPUHms2TimeUnit(&fine, nullptr), SMPU_ERR_PARAM);
  EXPECT_EQ(SMPUHms2TimeUnit(&noSuchType, &units), SMPU_ERR_PARAM);
  EXPECT_EQ(SMPUHms2TimeUnit(&tooManyBits, &units), SMPU_ERR_PARAM);
}

class SmpuTimeCode : public Smpu {
 protected:
  void SetUp() override {
    Smpu::SetUp();
    ASSERT_EQ(Open({"OutDevice=Virtual Out A", "OutDeviceB=Virtual Out B", "InDevice=none"}), 1);
  }
  DWORD CurTime() {
    DWORD t = 0;
    EXPECT_EQ(SMPUGetCurTime(h, &t), SMPU_OK);
    return t;
  }
  // Quarter frames the device played, by device.
  std::vector<Played> QuarterFrames(int device) {
    std::vector<Played> out;
    for (const Played& p : Log(kVmShort))
      if (p.device == device && (p.message & 0xFF) == 0xF1) out.push_back(p);
    return out;
  }
};

// 01:02:03 frame 4 at 30 frames a second: a frame is 800 units.
constexpr DWORD kStart = ((1 * 60 + 2) * 60 + 3) * 24000u + 4 * 800;
constexpr double kLateMs = 25;

TEST_F(SmpuTimeCode, RunsFromTheSetTimeWithQuarterFramesOnPortAUntilStopped) {
  SMPUHMS start{1, 2, 3, 4, 0, 3};
  ASSERT_EQ(SMPUSetTC(h, &start), SMPU_OK);
  EXPECT_EQ(CurTime(), kStart);
  Sleep(30);
  EXPECT_EQ(CurTime(), kStart) << "the time stands still until the generator starts";

  DWORD begun = timeGetTime();
  ASSERT_EQ(SMPUTCStart(h), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] { return QuarterFrames(0).size() >= 24; }));
  DWORD now = CurTime();
  DWORD elapsed = timeGetTime() - begun;
  EXPECT_NEAR(static_cast<double>(now - kStart), elapsed * 24.0, kLateMs * 24);

  // Eight pieces carry 01:02:03:04 and the 30-frame rate; the next eight
  // two frames later.
  std::vector<Played> q = QuarterFrames(0);
  ASSERT_GE(q.size(), 16u);
  const uint8_t first[8] = {0x04, 0x10, 0x23, 0x30, 0x42, 0x50, 0x61, 0x76};
  const uint8_t second[8] = {0x06, 0x10, 0x23, 0x30, 0x42, 0x50, 0x61, 0x76};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(q[i].message, 0xF1u | first[i] << 8) << "piece " << i;
    EXPECT_EQ(q[8 + i].message, 0xF1u | second[i] << 8) << "piece " << i;
  }
  // A quarter frame every 1/120 s.
  const double spacing = (q.back().ms - q.front().ms) / static_cast<double>(q.size() - 1);
  EXPECT_NEAR(spacing, 1000.0 / 120, 1.5);
  EXPECT_TRUE(QuarterFrames(1).empty()) << "port B carries no time code";

  ASSERT_EQ(SMPUTCStop(h), SMPU_OK);
  const size_t sent = QuarterFrames(0).size();
  const DWORD stopped = CurTime();
  EXPECT_GE(stopped, now);
  Sleep(60);
  EXPECT_EQ(CurTime(), stopped) << "the time stays where the generator stopped";
  EXPECT_EQ(QuarterFrames(0).size(), sent);
}

TEST_F(SmpuTimeCode, SettingTheTimeWhileRunningStartsTheCodeThere) {
  SMPUHMS start{0, 0, 0, 0, 0, 0};
  ASSERT_EQ(SMPUSetTC(h, &start), SMPU_OK);
  ASSERT_EQ(SMPUTCStart(h), SMPU_OK);
  ASSERT_TRUE(WaitFor([&] { return QuarterFrames(0).size() >= 8; }));
  SMPUHMS later{10, 20, 30, 12, 0, 0};
  ASSERT_EQ(SMPUSetTC(h, &later), SMPU_OK);
  vm.LogClear();
  ASSERT_TRUE(WaitFor([&] { return QuarterFrames(0).size() >= 16; }));
  std::vector<Played> q = QuarterFrames(0);
  // The first whole time after the clear (its first piece may have gone out
  // before it): 10:20:30 and frame 12, or two frames on; rate 0 (24 frames).
  size_t at = 0;
  while (at < q.size() && (q[at].message >> 12 & 0x0F) != 0) ++at;
  ASSERT_LE(at + 8, q.size());
  int nibble[8];
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(q[at + i].message >> 12 & 0x0F, static_cast<DWORD>(i));
    nibble[i] = static_cast<int>(q[at + i].message >> 8 & 0x0F);
  }
  const int frame = nibble[0] | nibble[1] << 4;
  EXPECT_TRUE(frame == 12 || frame == 14) << frame;
  EXPECT_EQ(nibble[2] | nibble[3] << 4, 30);
  EXPECT_EQ(nibble[4] | nibble[5] << 4, 20);
  EXPECT_EQ(nibble[6] | (nibble[7] & 1) << 4, 10);
  EXPECT_EQ(nibble[7] >> 1, 0);
  EXPECT_EQ(SMPUTCStop(h), SMPU_OK);
}

}  // namespace
