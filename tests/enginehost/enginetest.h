// The fixture the engine tests share.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <zk/messages.h>
#include <zk/playdata.h>

#include "enginehost.h"
#include "testsupport.h"
#include "testsongs.h"

// The two record buffers a host hands over for recording.
struct RecordBuffers {
  HGLOBAL a = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kRecordBufferWords * 2);
  HGLOBAL b = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kRecordBufferWords * 2);
  ~RecordBuffers() {
    GlobalFree(a);
    GlobalFree(b);
  }
  std::vector<uint16_t> Words(size_t n) const {
    auto* w = static_cast<const uint16_t*>(GlobalLock(a));
    std::vector<uint16_t> out(w, w + n);
    GlobalUnlock(a);
    return out;
  }
};

using PlayFn = int(WINAPI*)(int, int, HGLOBAL, int);
using PointFn = int(WINAPI*)(int, int, HGLOBAL, int, int, int, int, int);
using NoArgFn = int(WINAPI*)();
using OneArgFn = int(WINAPI*)(int);
using SetPlayModeFn = int(WINAPI*)(int, int, int, int, int, int, int, int, int, int, int, int, int, int,
                                   int, int);

// A host of one engine for a test: the library loaded fresh with its
// settings, closed at the end.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vm.Bind()) << "the virtual winmm.dll is not loaded";
    vm.LogClear();
    host = std::make_unique<EngineHost>(Settings(), Engine());
    ASSERT_TRUE(host->Loaded());
  }
  void TearDown() override {
    if (host && host->Loaded()) {
      Call<NoArgFn>(19);
      host->ClosePorts();
    }
    host.reset();
  }
  virtual const char* Engine() = 0;
  virtual const char* Settings() { return "\0"; }

  template <typename F, typename... A>
  auto Call(int ordinal, A... args) -> decltype(std::declval<F>()(args...)) {
    F f = host->Fn<F>(ordinal);
    EXPECT_NE(f, nullptr) << "ordinal " << ordinal;
    return f(args...);
  }
  int Play(SongBlocks& s) { return Call<PlayFn>(16, 0, 0, s.MakeTable(), s.TrackCount()); }
  void PlayToEnd(SongBlocks& s) {
    ASSERT_EQ(Play(s), 1);
    ASSERT_TRUE(host->WaitForEnd()) << "no end of play";
  }
  // SetPlayMode with the record mode and punch steps, then SetRecBuf.
  void ArmRecording(RecordBuffers& buffers, int mode, int punchIn = 0, int punchOut = 0) {
    Call<SetPlayModeFn>(10, mode, 0, 0, 0, 0, 0, 0, punchIn, punchOut, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ((Call<int(WINAPI*)(HGLOBAL, HGLOBAL)>(14, buffers.a, buffers.b)), 1);
  }
  std::vector<TickMsg> Shorts(int device = 0) { return StreamShorts(DeviceLog(vm), device); }
  std::vector<std::pair<int64_t, Bytes>> Longs(int device = 0, int kind = kVmStreamLong) {
    std::vector<std::pair<int64_t, Bytes>> out;
    for (const auto& e : DeviceLog(vm))
      if (e.device == device && e.kind == kind)
        out.push_back({e.tick, Bytes(e.data, e.data + std::min<int32_t>(e.length, sizeof e.data))});
    return out;
  }
  // Messages sent outside the stream (midiOutShortMsg).
  std::vector<uint32_t> Immediate(int device = 0) {
    std::vector<uint32_t> out;
    for (const auto& e : DeviceLog(vm))
      if (e.device == device && e.kind == kVmShort) out.push_back(e.message);
    return out;
  }

  // GetAppletType reports this title, the version "2.00" and this type.
  void ExpectApplet(const char* title, short type) {
    char t[64] = {}, version[64] = {};
    short got = 0;
    Call<int(WINAPI*)(char*, char*, short*)>(2048, t, version, &got);
    EXPECT_STREQ(t, title);
    EXPECT_STREQ(version, "2.00");
    EXPECT_EQ(got, type);
  }

  // Plays a text event ("play x") and two notes with the track monitor on,
  // the ports already open. One mark stays outstanding until the host has
  // read it, so the ring holds the first step's text, tempo and track
  // records.
  void PlayTextAndNotesAndCheckTheFirstRecords() {
    Call<OneArgFn>(506, 1);
    SongBlocks s(240);
    s.AddTrack({E(0x99), StepEvent{0xF7, 'p', 'l' | 'a' << 8, 'y' | ' ' << 8}, StepEvent{0xF7, 'x', 0, 0},
                E(60, 100, 120, 60), E(62, 100, 120, 60)});
    PlayToEnd(s);
    ASSERT_NE(host->MonitorRing(), 0);
    const auto* ring = reinterpret_cast<const PlayMonRecord*>(host->MonitorRing());
    const char* text = reinterpret_cast<const char*>(host->TextRing());
    EXPECT_EQ(host->CountMessages(WM_ZK_PLAYMARK, kMarkMonitor), 1);
    EXPECT_EQ(ring[0].track, kMonText);
    EXPECT_EQ(ring[0].value, sizeof(TextEventRecord) + 7);
    EXPECT_STREQ(text + sizeof(TextEventRecord), "play x");
    EXPECT_EQ(ring[1].track, kMonTempo);
    EXPECT_EQ(ring[2].track, 0);
    EXPECT_TRUE(ring[2].keys[60 / 8] & (1 << (60 % 8)));
    // Each ring comes with its size, as the engine's own section has it.
    EXPECT_EQ(RingSizeAnnounced(WM_ZK_SETPLAYMON), 3000u);
    EXPECT_EQ(RingSizeAnnounced(WM_ZK_SETTEXTRING), 32767u);
  }

  // wParam of the first message of this kind that handed over a ring.
  WPARAM RingSizeAnnounced(UINT msg) {
    for (const EngineMessage& m : host->Messages())
      if (m.msg == msg && m.l != 0) return m.w;
    return 0;
  }

  VirtualMidi vm;
  std::unique_ptr<EngineHost> host;
};

