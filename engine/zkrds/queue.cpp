// The play ring and the interface's sequencer queue: the builder writes
// play-event words, the driver's send callback hands them over in blocks;
// the receive callback takes what the interface recorded.
#include <algorithm>

#include "playwords.h"
#include "rdsengine.h"

namespace {

// The builder's words with each track's port turned into the interface
// channel (channel base + channel); a port that is not assigned plays
// nothing.
class QueueEmitter : public TickWordEmitter {
 public:
  QueueEmitter() : TickWordEmitter(g_rds.ring) {}
  void Channel(int channelWord, uint8_t status, uint8_t data1, uint8_t data2) override {
    int ic = InterfaceChannel((channelWord >> 4) & 3, status & 0x0F);
    if (ic < 0) return;
    // The word's low byte becomes the interface channel 0-31.
    TickWordEmitter::Channel(ic & 0x30, static_cast<uint8_t>((status & 0xF0) | (ic & 0x0F)), data1, data2);
  }
  void SysEx(int channelWord, const uint8_t* bytes, size_t length) override {
    int port = (channelWord >> 4) & 3;
    if (InterfaceChannel(port, 0) < 0) return;
    AppendSysExWords(g_rds.ring, g_rds.port[port].channelBase, bytes, length);
  }
};

QueueEmitter g_emitter;

class HostNotify : public EngineNotify {
 public:
  void Post(UINT msg, WPARAM w, LPARAM l) override { PostToHost(msg, w, l); }
  void SendThru(int, DWORD) override {}
};

HostNotify g_notify;

// Under the lock: the words handed over leave the ring.
void CompactLocked() {
  if (g_rds.ringRead == g_rds.ring.size()) {
    g_rds.ring.clear();
    g_rds.ringRead = 0;
  } else if (g_rds.ringRead > 65536) {
    g_rds.ring.erase(g_rds.ring.begin(), g_rds.ring.begin() + static_cast<std::ptrdiff_t>(g_rds.ringRead));
    g_rds.ringRead = 0;
  }
}

bool CanStepLocked() { return g_shell.prepared && !g_shell.builder.Ended(); }

// One pass of the send callback: refill an empty ring, hand the device what
// it holds, refill below the threshold.
void FeedQueue() {
  if (!g_shell.playing || !RdsOpen()) return;
  std::vector<WORD> block;
  uint32_t generation = 0;
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    while (RingPending() == 0 && CanStepLocked()) g_shell.builder.Step();
    size_t n = std::min<size_t>(RingPending(), 0x7FFF);
    auto from = g_rds.ring.begin() + static_cast<std::ptrdiff_t>(g_rds.ringRead);
    block.assign(from, from + static_cast<std::ptrdiff_t>(n));
    generation = g_rds.ringGeneration;
  }
  if (block.empty()) return;
  SMPURESULT taken = SMPUPutSeqBlock(RdsHandle(), block.data(), static_cast<short>(block.size()));
  std::lock_guard<std::mutex> guard(g_shell.lock);
  // A refused block stays in the ring and goes again at the next call. One
  // taken from a ring emptied since (a stop, a seek, a relocation) says
  // nothing of the words the ring holds now.
  if (taken > 0 && generation == g_rds.ringGeneration) {
    g_rds.ringRead += std::min<size_t>(static_cast<size_t>(taken), RingPending());
    CompactLocked();
    ++g_rds.blocksSent;
  }
  while (g_shell.playing && RingPending() < static_cast<size_t>(g_shell.settings.preGet) && CanStepLocked())
    g_shell.builder.Step();
}

}  // namespace

size_t RingPending() { return g_rds.ring.size() - g_rds.ringRead; }

void ResetRingLocked() {
  g_rds.ring.clear();
  g_rds.ringRead = 0;
  ++g_rds.ringGeneration;
}

void ClearRing() {
  std::lock_guard<std::mutex> guard(g_shell.lock);
  ResetRingLocked();
}

PlayEmitter* OutEmitter() { return &g_emitter; }

void OutPreparePlay() {
  ResetRingLocked();
  g_emitter.Reset(g_shell.builder.TimeBase());
}

void OutStop(bool) { ClearRing(); }

void OutAfterStep() {}

extern "C" int WINAPI RSSCallBackMan(int) {
  // A call while one runs only makes the running one go round once more.
  if (g_rds.sendCalls.fetch_add(1) != 0) return 0;
  do {
    FeedQueue();
  } while (g_rds.sendCalls.fetch_sub(1) != 1);
  return 0;
}

extern "C" int WINAPI RSRCallBackMan(int) {
  if (!RdsOpen()) return 0;
  WORD words[kRecordReadWords];
  for (;;) {
    SMPURESULT n = SMPUGetSeqBlock(RdsHandle(), words, kRecordReadWords);
    if (n <= 0) break;
    g_shell.recorder.OnDeviceWords(words, static_cast<size_t>(n), g_notify);
    if (n < kRecordReadWords) break;
  }
  return 0;
}
