// The timer engine's ticks against a pause, on its test build: a tick is
// held at a point of the timer callback while the host pauses, then let go.
#include <gtest/gtest.h>

#include <set>

#include <zk/messages.h>

#include "enginetest.h"
#include "tickseam.h"
#include "testsongs.h"

namespace {

// The next tick to reach point waits there until Release.
class HeldTick {
 public:
  explicit HeldTick(int point) {
    HMODULE m = GetModuleHandleA("zkmmeseam.dll");
    set_ = m ? reinterpret_cast<SetFn>(reinterpret_cast<void*>(GetProcAddress(m, "SetTickSeam"))) : nullptr;
    if (set_) set_(point, reached_, release_);
  }
  ~HeldTick() {
    if (set_) set_(-1, nullptr, nullptr);
    SetEvent(release_);
    CloseHandle(reached_);
    CloseHandle(release_);
  }
  bool Bound() const { return set_ != nullptr; }
  bool Reached(DWORD ms) { return WaitForSingleObject(reached_, ms) == WAIT_OBJECT_0; }
  void Release() { SetEvent(release_); }

 private:
  using SetFn = void(WINAPI*)(int, HANDLE, HANDLE);
  SetFn set_ = nullptr;
  HANDLE reached_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// SeqPause on a thread of its own, as it may wait for a tick.
class PauseOnAThread {
 public:
  explicit PauseOnAThread(OneArgFn pause) : pause_(pause) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~PauseOnAThread() {
    WaitForSingleObject(thread_, 15000);
    CloseHandle(thread_);
  }
  bool Returned(DWORD ms) { return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Run(LPVOID self) {
    static_cast<PauseOnAThread*>(self)->pause_(0);
    return 0;
  }
  OneArgFn pause_;
  HANDLE thread_ = nullptr;
};

class ZkMmeTicks : public EngineTest {
 protected:
  const char* Engine() override { return "zkmmeseam"; }

  // Two keys in turn, each held until the next begins 50 ms later: every
  // wait ends in a note-on, and one key always sounds.
  void PlayAlternatingNotes() {
    ASSERT_TRUE(host->OpenPorts({0}));
    std::vector<StepEvent> notes;
    for (int i = 0; i < 400; ++i) notes.push_back(E(i % 2 ? 62 : 60, 100, 48, 48));
    song.AddTrack(notes);
    ASSERT_EQ(Play(song), 1);
  }
  static bool IsNoteOn(const VMidiLogEntry& e) {
    return e.device == 0 && e.kind == kVmShort && (e.message & 0xF0) == 0x90 && (e.message >> 16) != 0;
  }
  // Device times (ms) of the note-ons logged from entry `from` on.
  std::vector<double> NoteOns(size_t from = 0) {
    const auto log = DeviceLog(vm);
    std::vector<double> out;
    for (size_t i = from; i < log.size(); ++i)
      if (IsNoteOn(log[i])) out.push_back(log[i].wallMicros / 1000.0);
    return out;
  }
  bool WaitForNoteOns(size_t n, size_t from = 0) {
    return host->PumpUntil([&] { return NoteOns(from).size() >= n; }, 5000);
  }
  std::set<int> SoundingKeys() {
    std::set<int> keys;
    for (const auto& e : DeviceLog(vm)) {
      if (e.device != 0 || e.kind != kVmShort || ((e.message & 0xF0) != 0x90 && (e.message & 0xF0) != 0x80)) continue;
      if (IsNoteOn(e))
        keys.insert((e.message >> 8) & 0x7F);
      else
        keys.erase((e.message >> 8) & 0x7F);
    }
    return keys;
  }

  SongBlocks song;
};

TEST_F(ZkMmeTicks, APauseWaitsForATickThatHasBegun) {
  PlayAlternatingNotes();
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(WaitForNoteOns(NoteOns().size() + 2)) << "round " << round;
    HeldTick tick(kTickSeamBetween);
    ASSERT_TRUE(tick.Bound());
    ASSERT_TRUE(tick.Reached(5000)) << "round " << round;
    {
      PauseOnAThread pause(host->Fn<OneArgFn>(20));
      // A pause that does not wait for the held tick is over by now.
      pause.Returned(500);
      tick.Release();
      ASSERT_TRUE(pause.Returned(10000)) << "round " << round;
    }
    Sleep(100);
    EXPECT_EQ(SoundingKeys(), std::set<int>{}) << "round " << round << ": a key sounds while paused";
    Call<OneArgFn>(20, 0);
  }
}

TEST_F(ZkMmeTicks, ATickHeldOverAPauseDoesNotPlayAfterTheResume) {
  PlayAlternatingNotes();
  ASSERT_TRUE(WaitForNoteOns(2));
  HeldTick tick(kTickSeamEntry);
  ASSERT_TRUE(tick.Bound());
  ASSERT_TRUE(tick.Reached(5000));
  Call<OneArgFn>(20, 0);
  // The pause's note-off is the last message before the resume.
  const auto atPause = DeviceLog(vm);
  ASSERT_FALSE(atPause.empty());
  const double paused = atPause.back().wallMicros / 1000.0;
  Call<OneArgFn>(20, 0);
  tick.Release();
  ASSERT_TRUE(WaitForNoteOns(6, atPause.size()));
  // One chain of timers plays on: no note before its time from the resume.
  const auto ons = NoteOns(atPause.size());
  for (size_t n = 0; n < 6; ++n) EXPECT_GE(ons[n] - paused, 50.0 * n - 3) << "note " << n;
}

}  // namespace
