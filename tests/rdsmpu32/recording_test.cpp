// Recording and thru of what comes in on the input device.
#include "smpufixture.h"

namespace {

class SmpuInput : public Smpu {
 protected:
  void SetUp() override {
    Smpu::SetUp();
    ASSERT_EQ(Open({"OutDevice=Virtual Out A", "OutDeviceB=Virtual Out B", "InDevice=Virtual In B"}), 1);
  }
  std::vector<WORD> Received() {
    std::lock_guard<std::mutex> hold(g_host.lock);
    return g_host.received;
  }
};

// Recorded words without their waits, and the waits' total in ticks.
void Split(const std::vector<WORD>& words, std::vector<WORD>& events, std::vector<int>& waits) {
  int ticks = 0;
  for (WORD w : words) {
    if ((w >> 8) == 0xE8) {
      ticks += w & 0xFF;
      continue;
    }
    if (events.size() % 2 == 0) waits.push_back(ticks);
    ticks = 0;
    events.push_back(w);
  }
}

TEST_F(SmpuInput, RecordsWhatComesInAsWordsWithWaitsInTicks) {
  Feed({0xE1F0, 6000, 0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0});
  ASSERT_EQ(SMPUSetRecSw(h, 1), SMPU_OK);
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  DWORD start = timeGetTime();
  Sleep(40);
  ASSERT_TRUE(vm.Inject(1, 0x643C92, 0));
  DWORD first = timeGetTime();
  Sleep(60);
  DWORD second = timeGetTime();
  ASSERT_TRUE(vm.Inject(1, 0x1AC2, 0));      // program change: one data byte
  ASSERT_TRUE(vm.Inject(1, 0x403C82, 0));
  DWORD third = timeGetTime();
  std::vector<WORD> events;
  std::vector<int> waits;
  ASSERT_TRUE(WaitFor([&] {
    events.clear();
    waits.clear();
    Split(Received(), events, waits);
    return events.size() >= 6;
  }));
  EXPECT_GT(g_host.recvCalls.load(), 0);
  ASSERT_EQ(events, (std::vector<WORD>{0x9002, 0x3C64, 0xC002, 0x1A00, 0x8002, 0x3C40}));
  // Tempo 120: 480 ticks in 500 ms.
  EXPECT_NEAR(waits[0], (first - start) * 0.96, 25);
  EXPECT_NEAR(waits[1], (second - first) * 0.96, 25);
  // Sent one right after the other: no more than the time that passed
  // between the two sends, which a busy machine may stretch.
  EXPECT_LE(waits[2], (third - second) * 0.96 + 5);
  for (WORD w : Received())
    if ((w >> 8) == 0xE8) {
      EXPECT_LE(w & 0xFF, 240);
    }
}

TEST_F(SmpuInput, NothingIsRecordedWhileStoppedOrWithTheSwitchOff) {
  Feed({0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0});
  ASSERT_TRUE(vm.Inject(1, 0x643C90, 0));
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(vm.Inject(1, 0x643C90, 0));
  Sleep(20);
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(g_host.recvCalls.load(), 0);
}

TEST_F(SmpuInput, TheRecordFilterDropsItsClasses) {
  SMPUMAP filter{0x92, 0, 0x10, 0x10};  // program changes on channel 0
  ASSERT_EQ(SMPUSetFilter(h, &filter), SMPU_OK);
  Feed({0xE8F0, 0xE8F0, 0xE8F0, 0xE8F0});
  ASSERT_EQ(SMPUSetRecSw(h, 1), SMPU_OK);
  ASSERT_EQ(SMPUSeqQStart(h, 0), SMPU_OK);
  ASSERT_TRUE(vm.Inject(1, 0x05C0, 0));
  ASSERT_TRUE(vm.Inject(1, 0x05C1, 0));
  ASSERT_TRUE(vm.Inject(1, 0x643C90, 0));
  std::vector<WORD> events;
  std::vector<int> waits;
  ASSERT_TRUE(WaitFor([&] {
    events.clear();
    waits.clear();
    Split(Received(), events, waits);
    return events.size() >= 4;
  }));
  Sleep(10);
  events.clear();
  Split(Received(), events, waits);
  EXPECT_EQ(events, (std::vector<WORD>{0xC001, 0x0500, 0x9000, 0x3C64}));
}

TEST_F(SmpuInput, ThruPassesChannelMessagesByTheMap) {
  SMPUMAP map{0x81, 2, 19, 0xFF};  // input channel 2 to port B channel 4
  ASSERT_EQ(SMPUSetMap(h, &map), SMPU_OK);
  ASSERT_TRUE(vm.Inject(1, 0x643C92, 0));
  EXPECT_TRUE(Log(kVmShort).empty());  // thru switch still off
  ASSERT_EQ(SMPUSetThruSw(h, 1), SMPU_OK);
  ASSERT_TRUE(vm.Inject(1, 0x643C92, 0));
  ASSERT_TRUE(vm.Inject(1, 0x643C93, 0));  // channel 3 has no destination
  std::vector<Played> log = Log(kVmShort);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].device, 1);
  EXPECT_EQ(log[0].message, 0x643C93u);
}

}  // namespace
