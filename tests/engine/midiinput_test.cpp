// The input side: input assignment, held keys, forwarding and thru.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "midiinput.h"

namespace {

struct FakeNotify : EngineNotify {
  struct Posted {
    UINT msg;
    WPARAM w;
    LPARAM l;
  };
  std::vector<Posted> posts;
  std::vector<std::pair<int, DWORD>> thru;
  void Post(UINT msg, WPARAM w, LPARAM l) override { posts.push_back({msg, w, l}); }
  void SendThru(int port, DWORD m) override { thru.push_back({port, m}); }
  std::vector<LPARAM> Forwarded() const {
    std::vector<LPARAM> out;
    for (const Posted& p : posts)
      if (p.msg == WM_ZK_MIDIINPUT) {
        EXPECT_EQ(p.w, 0u);
        out.push_back(p.l);
      }
    return out;
  }
};

DWORD Msg(unsigned status, unsigned d1, unsigned d2) { return status | d1 << 8 | d2 << 16; }

TEST(MidiInputAssign, ChangeInputPortResults) {
  struct Step {
    int input;
    int deviceId;
    int result;
    int storedId;
    bool enabled;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"bad input numbers", {{2, 3, 1025, 0, false}, {-1, 3, 1025, 0, false}}},
      {"assigned once", {{0, 3, 0, 3, true}, {0, 4, 1026, 3, true}}},
      {"same device taken without enabling", {{0, 3, 0, 3, true}, {1, 3, 0, 3, false}}},
      {"different devices both enabled", {{1, 5, 0, 5, true}, {0, 2, 0, 2, true}}},
      {"none", {{0, -1, 0, -1, false}, {0, 3, 1026, -1, false}, {1, 3, 0, 3, true}}},
      {"none does not block the device", {{0, -1, 0, -1, false}, {1, -1, 0, -1, false}}},
      {"other negative ids are none", {{1, -7, 0, -1, false}}},
  };
  for (const Case& c : cases) {
    MidiInput in;
    for (const Step& s : c.steps) {
      EXPECT_EQ(in.ChangeInputPort(s.input, s.deviceId), s.result) << c.name;
      if (s.result == 1025) continue;
      EXPECT_EQ(in.Input(s.input).deviceId, s.storedId) << c.name;
      EXPECT_EQ(in.Input(s.input).enabled, s.enabled) << c.name;
    }
  }
}

TEST(MidiInputAssign, ResetMakesInputsAssignableAgain) {
  MidiInput in;
  EXPECT_EQ(in.Input(0).deviceId, kInputUnassigned);
  ASSERT_EQ(in.ChangeInputPort(0, 3), 0);
  in.ResetInputs();
  EXPECT_EQ(in.Input(0).deviceId, kInputUnassigned);
  EXPECT_FALSE(in.Input(0).enabled);
  EXPECT_EQ(in.ChangeInputPort(0, 4), 0);
  EXPECT_EQ(in.Input(0).deviceId, 4);
}

class MidiInputTest : public ::testing::Test {
 protected:
  MidiInput in;
  Recorder rec;
  FakeNotify notify;
  uint8_t keys[kKeyTableBytes] = {};

  void SetUp() override { in.SetKeyTable(keys); }
  void Send(DWORD msg, bool window = true) { in.OnShortMessage(msg, 0, 125, rec, notify, window); }
};

TEST_F(MidiInputTest, KeyTableFollowsNotesWhileForwarding) {
  in.StartForwarding(0);
  Send(Msg(0x90, 60, 100));
  Send(Msg(0x91, 64, 80));
  EXPECT_EQ(keys[60], 100);
  EXPECT_EQ(keys[64], 80);
  Send(Msg(0x80, 60, 64));
  Send(Msg(0x91, 64, 0));
  EXPECT_EQ(keys[60], 0);
  EXPECT_EQ(keys[64], 0);
  Send(Msg(0xB0, 61, 100));  // not a note
  Send(Msg(0x90, 200, 100));  // no such key
  EXPECT_EQ(keys[61], 0);
  for (int k = 0; k < kKeyTableBytes; ++k) EXPECT_EQ(keys[k], 0) << k;

  uint8_t copy[kKeyTableBytes];
  Send(Msg(0x90, 127, 5));
  in.CopyKeyTable(copy);
  EXPECT_EQ(copy[127], 5);
  EXPECT_EQ(std::memcmp(copy, keys, kKeyTableBytes), 0);
}

TEST_F(MidiInputTest, NothingForwardedWhenOffOrWithoutWindow) {
  Send(Msg(0x90, 60, 100));
  in.StartForwarding(0);
  Send(Msg(0x90, 61, 100), false);
  in.StopForwarding();
  Send(Msg(0x90, 62, 100));
  EXPECT_TRUE(notify.Forwarded().empty());
  EXPECT_EQ(keys[60], 0);
  EXPECT_EQ(keys[62], 0);
}

TEST_F(MidiInputTest, ForwardsEveryNoteInOtherModes) {
  in.StartForwarding(2);
  EXPECT_EQ(in.ForwardMode(), 1);
  Send(Msg(0x90, 60, 100));
  Send(Msg(0xB0, 7, 100));
  Send(Msg(0x8F, 60, 0));
  EXPECT_EQ(notify.Forwarded(),
            (std::vector<LPARAM>{static_cast<LPARAM>(Msg(0x90, 60, 100)), static_cast<LPARAM>(Msg(0x8F, 60, 0))}));
}

TEST_F(MidiInputTest, ModeFiveForwardsOneNotePerAcknowledgement) {
  in.StartForwarding(10);
  EXPECT_EQ(in.ForwardMode(), kForwardOnePerAck);
  Send(Msg(0x90, 60, 100));
  Send(Msg(0x80, 60, 0));
  Send(Msg(0x90, 62, 100));
  EXPECT_EQ(notify.Forwarded().size(), 1u);
  EXPECT_EQ(keys[62], 100);  // the table still follows
  uint8_t copy[kKeyTableBytes];
  in.CopyKeyTable(copy);
  Send(Msg(0x80, 62, 0));
  Send(Msg(0x90, 64, 100));
  in.Acknowledge();
  Send(Msg(0x90, 65, 100));
  EXPECT_EQ(notify.Forwarded(),
            (std::vector<LPARAM>{static_cast<LPARAM>(Msg(0x90, 60, 100)), static_cast<LPARAM>(Msg(0x80, 62, 0)),
                                 static_cast<LPARAM>(Msg(0x90, 65, 100))}));
}

TEST_F(MidiInputTest, ModeFiveTwoInputThreadsPostOnlyOnce) {
  struct CountNotify : EngineNotify {
    std::atomic<int> forwarded{0};
    void Post(UINT msg, WPARAM, LPARAM) override {
      if (msg == WM_ZK_MIDIINPUT) ++forwarded;
    }
    void SendThru(int, DWORD) override {}
  } counter;
  in.StartForwarding(10);
  auto feed = [&] {
    for (int i = 0; i < 2000; ++i) in.OnShortMessage(Msg(0x90, i & 0x7F, 1), 0, 125, rec, counter, true);
  };
  std::thread t1(feed), t2(feed);
  t1.join();
  t2.join();
  EXPECT_EQ(counter.forwarded.load(), 1);
}

TEST_F(MidiInputTest, ThruRouting) {
  struct Case {
    int mode;
    int value;
    DWORD in;
    int port;
    DWORD out;
  };
  const Case cases[] = {
      {1, 0x25, Msg(0x94, 60, 100), 2, Msg(0x94, 60, 100)},
      {2, 0x13, Msg(0x90, 60, 100), 1, Msg(0x93, 60, 100)},
      {2, 0x13, Msg(0xCA, 5, 0), 1, Msg(0xC3, 5, 0)},
      {2, 0x13, 0xF8, 1, 0xF8},
      {2, 0x7F, Msg(0xB0, 7, 1), 3, Msg(0xBF, 7, 1)},
  };
  for (const Case& c : cases) {
    FakeNotify n;
    EXPECT_EQ(in.SetThru(c.mode, c.value), c.mode);
    in.OnShortMessage(c.in, 0, 125, rec, n, true);
    ASSERT_EQ(n.thru.size(), 1u) << c.mode << " " << c.value;
    EXPECT_EQ(n.thru[0].first, c.port);
    EXPECT_EQ(n.thru[0].second, c.out);
  }
  FakeNotify off;
  EXPECT_EQ(in.SetThru(0, 0x13), 0);
  in.OnShortMessage(Msg(0x90, 60, 100), 0, 125, rec, off, true);
  EXPECT_TRUE(off.thru.empty());
}

TEST_F(MidiInputTest, OneMessageIsRecordedForwardedAndEchoed) {
  std::vector<uint16_t> a(kRecordBufferWords), b(kRecordBufferWords);
  rec.SetBuffers(a.data(), b.data());
  rec.Configure(1, 0, 0);
  rec.Arm(0);
  in.StartForwarding(0);
  in.SetThru(1, 0x10);
  in.OnShortMessage(Msg(0x90, 60, 100), 3, 125, rec, notify, true);
  EXPECT_EQ(rec.Index(), 3);
  EXPECT_EQ(a[0], 0xE803);
  EXPECT_EQ(notify.Forwarded().size(), 1u);
  ASSERT_EQ(notify.thru.size(), 1u);
  EXPECT_EQ(notify.thru[0].first, 1);
}

TEST_F(MidiInputTest, NoTableAfterItIsFreed) {
  in.StartForwarding(0);
  in.SetKeyTable(nullptr);
  Send(Msg(0x90, 60, 100));
  uint8_t copy[kKeyTableBytes];
  std::memset(copy, 0xCC, sizeof copy);
  in.CopyKeyTable(copy);
  for (int k = 0; k < kKeyTableBytes; ++k) EXPECT_EQ(copy[k], 0) << k;
  EXPECT_EQ(keys[60], 0);
  EXPECT_EQ(notify.Forwarded().size(), 1u);
}

}  // namespace
