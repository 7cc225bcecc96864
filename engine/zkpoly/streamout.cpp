// The builder's output as stream events, the two blocks per stream and the
// stream callback that keeps them filled.
#include <algorithm>
#include <cstring>

#include <zk/messages.h>
#include <zk/playdata.h>
#include <zk/song.h>

#include "polyengine.h"

StreamSlot g_streams[kPorts];

static void WorkPending();

namespace {

constexpr DWORD kEvShort = 0x00000000;
constexpr DWORD kEvTempo = 0x01000000;
constexpr DWORD kEvNop = 0x02000000;
constexpr DWORD kEvMark = 0x42000000;   // no-operation with the callback flag
constexpr DWORD kEvEnd = 0x42FFFFFF;
constexpr DWORD kEvLong = 0x80000000;

// Distinct slots that serve a port, in port order.
int SlotsInUse(int out[kPorts]) {
  int n = 0;
  for (int p = 0; p < kPorts; ++p) {
    int s = g_shell.portSlot[p];
    if (s < 0 || !g_streams[s].stream) continue;
    if (std::find(out, out + n, s) == out + n) out[n++] = s;
  }
  return n;
}

void Push(StreamSlot& slot, DWORD event, const uint8_t* bytes = nullptr, size_t length = 0) {
  slot.waiting.push_back(slot.pendingDelta);
  slot.waiting.push_back(0);
  slot.waiting.push_back(event);
  slot.pendingDelta = 0;
  for (size_t i = 0; i < length; i += 4) {
    uint32_t w = 0;
    for (size_t k = 0; k < 4 && i + k < length; ++k) w |= static_cast<uint32_t>(bytes[i + k]) << (8 * k);
    slot.waiting.push_back(w);
  }
}

class StreamEmitter : public PlayEmitter {
 public:
  void Wait(uint32_t steps) override {
    int s[kPorts];
    int n = SlotsInUse(s);
    for (int i = 0; i < n; ++i) g_streams[s[i]].pendingDelta += steps;
  }
  void Channel(int channelWord, uint8_t status, uint8_t d1, uint8_t d2) override {
    StreamSlot* slot = SlotOf(channelWord);
    if (!slot) return;
    DWORD m = status | d1 << 8;
    if ((status & 0xE0) != 0xC0) m |= static_cast<DWORD>(d2) << 16;
    Push(*slot, kEvShort | m);
  }
  void SysEx(int channelWord, const uint8_t* bytes, size_t length) override {
    StreamSlot* slot = SlotOf(channelWord);
    if (!slot || length == 0 || length > g_streams[0].blockBytes - 12) return;
    Push(*slot, kEvLong | static_cast<DWORD>(length), bytes, length);
  }
  void Tempo(int, int, int tempo) override {
    g_shell.tempo = tempo;
    int s[kPorts];
    int n = SlotsInUse(s);
    for (int i = 0; i < n; ++i) Push(g_streams[s[i]], kEvTempo | (60000000u / tempo));
  }
  void Mark(int kind, int value) override {
    int s[kPorts];
    if (SlotsInUse(s) == 0) return;
    Push(g_streams[s[0]], kEvMark | (kind & 0xFF) << 16 | (value & 0xFFFF));
  }
  void SongPosition(int sixteenths) override {
    int s[kPorts];
    int n = SlotsInUse(s);
    for (int i = 0; i < n; ++i)
      Push(g_streams[s[i]], 0xF2 | (sixteenths & 0x7F) << 8 | ((sixteenths >> 7) & 0x7F) << 16);
  }
  void End() override {
    int s[kPorts];
    int n = SlotsInUse(s);
    for (int i = 0; i < n; ++i) Push(g_streams[s[i]], kEvEnd);
    g_shell.dataEnded = true;
  }

 private:
  static StreamSlot* SlotOf(int channelWord) {
    int s = g_shell.portSlot[(channelWord >> 4) & 3];
    if (s < 0 || !g_streams[s].stream) return nullptr;
    return &g_streams[s];
  }
};

StreamEmitter g_emitter;

// Words of the event that starts at w[0].
size_t EventWords(const uint32_t* w) {
  if (w[2] & kEvLong) return 3 + ((w[2] & 0xFFFFFF) + 3) / 4;
  return 3;
}

// Moves whole waiting events into block b and hands it to the stream; an
// empty block carries the pending delta in a no-operation event.
void HandBlock(StreamSlot& slot, int b) {
  MIDIHDR* h = slot.header[b];
  if (!h) return;
  auto* dest = reinterpret_cast<uint32_t*>(slot.block[b]);
  size_t capacity = slot.blockBytes / 4, n = 0;
  while (slot.WaitingWords() >= 3) {
    const uint32_t* w = slot.waiting.data() + slot.waitingRead;
    size_t words = EventWords(w);
    if (words > slot.WaitingWords() || n + words > capacity) break;
    std::memcpy(dest + n, w, words * 4);
    n += words;
    slot.waitingRead += words;
  }
  if (slot.waitingRead == slot.waiting.size()) {
    slot.waiting.clear();
    slot.waitingRead = 0;
  } else if (slot.waitingRead > 65536) {
    slot.waiting.erase(slot.waiting.begin(), slot.waiting.begin() + slot.waitingRead);
    slot.waitingRead = 0;
  }
  if (n == 0) {
    dest[0] = slot.pendingDelta;
    dest[1] = 0;
    dest[2] = kEvNop;
    slot.pendingDelta = 0;
    n = 3;
  }
  h->dwBytesRecorded = static_cast<DWORD>(n * 4);
  h->dwFlags &= ~(MHDR_DONE | MHDR_INQUEUE);
  h->dwFlags |= MHDR_ISSTRM;
  slot.queued[b] = true;
  if (midiStreamOut(slot.stream, h, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) slot.queued[b] = false;
}

// Hands every free block that has events to go.
void HandFreeBlocksLocked() {
  int s[kPorts];
  int n = SlotsInUse(s);
  for (int i = 0; i < n; ++i) {
    StreamSlot& slot = g_streams[s[i]];
    for (int b = 0; b < 2; ++b)
      if (!slot.queued[b] && slot.WaitingWords() > 0) HandBlock(slot, b);
  }
}

void WorkLocked() {
  if (!g_shell.prepared || g_shell.stopping || g_shell.chasing) return;
  RefillLocked();
  HandFreeBlocksLocked();
}

void PositionReached(const MIDIHDR* h) {
  if (g_shell.ended || !h || h->dwOffset + 12 > h->dwBytesRecorded) return;
  DWORD ev = reinterpret_cast<const uint32_t*>(h->lpData + h->dwOffset)[2];
  if (ev == kEvEnd) {
    AnnounceEnd();
    return;
  }
  MarkReached((ev >> 16) & 0xFF, ev & 0xFFFF);
}

}  // namespace

PlayEmitter* OutEmitter() { return &g_emitter; }

void RefillLocked() {
  if (!g_shell.prepared) return;
  const size_t want = static_cast<size_t>(g_shell.settings.preGet);
  int s[kPorts];
  int n = SlotsInUse(s);
  for (;;) {
    if (g_shell.builder.Ended()) return;
    for (int i = 0; i < n; ++i)
      if (g_streams[s[i]].WaitingWords() >= want) return;
    if (!g_shell.builder.Step()) return;
  }
}

bool AllocateBlocks() {
  DWORD bytes = static_cast<DWORD>(g_shell.settings.preBuffer + 32768) & ~3u;
  for (int s = 0; s < kPorts; ++s) {
    StreamSlot& slot = g_streams[s];
    slot.blockBytes = bytes;
    if (!slot.stream) continue;
    for (int b = 0; b < 2; ++b) {
      if (slot.header[b]) continue;
      slot.blockMem[b] = GlobalAlloc(kShareableZeroed, sizeof(MIDIHDR) + bytes);
      if (!slot.blockMem[b]) return false;
      auto* base = static_cast<BYTE*>(GlobalLock(slot.blockMem[b]));
      slot.header[b] = reinterpret_cast<MIDIHDR*>(base);
      slot.block[b] = base + sizeof(MIDIHDR);
      slot.header[b]->lpData = reinterpret_cast<LPSTR>(slot.block[b]);
      slot.header[b]->dwBufferLength = bytes;
      if (midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(slot.stream), slot.header[b],
                               sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
        GlobalUnlock(slot.blockMem[b]);
        GlobalFree(slot.blockMem[b]);
        slot.blockMem[b] = nullptr;
        slot.header[b] = nullptr;
        slot.block[b] = nullptr;
        return false;
      }
      slot.queued[b] = false;
    }
  }
  return true;
}

void FreeBlocks() {
  for (auto& slot : g_streams) {
    for (int b = 0; b < 2; ++b) {
      if (!slot.header[b]) continue;
      // A block the device still holds is left to it rather than freed.
      if (slot.queued[b] || (slot.header[b]->dwFlags & MHDR_INQUEUE)) continue;
      if (slot.stream)
        midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(slot.stream), slot.header[b], sizeof(MIDIHDR));
      GlobalUnlock(slot.blockMem[b]);
      GlobalFree(slot.blockMem[b]);
      slot.blockMem[b] = nullptr;
      slot.header[b] = nullptr;
      slot.block[b] = nullptr;
    }
  }
}

void ClearQueues() {
  for (auto& slot : g_streams) {
    slot.waiting.clear();
    slot.waitingRead = 0;
    slot.pendingDelta = 0;
  }
}

void SetStreamTiming(HMIDISTRM st, DWORD division, DWORD microsPerQuarter) {
  MIDIPROPTIMEDIV div{sizeof div, division};
  midiStreamProperty(st, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  MIDIPROPTEMPO tp{sizeof tp, microsPerQuarter};
  midiStreamProperty(st, reinterpret_cast<LPBYTE>(&tp), MIDIPROP_SET | MIDIPROP_TEMPO);
}

void OutPreparePlay() {
  AllocateBlocks();
  ClearQueues();
}

void OutStart(bool stayPaused) {
  int s[kPorts];
  int n = SlotsInUse(s);
  int timeBase = g_shell.builder.TimeBase();
  for (int i = 0; i < n; ++i) {
    HMIDISTRM st = g_streams[s[i]].stream;
    midiStreamStop(st);  // ticks count from this play's start
    midiStreamPause(st);
    SetStreamTiming(st, static_cast<DWORD>(timeBase), 60000000u / std::max(1, g_shell.builder.CurrentTempo()));
  }
  {
    std::lock_guard<std::mutex> guard(g_shell.lock);
    RefillLocked();
    // Every stream starts, even one whose first event is far away.
    for (int i = 0; i < n; ++i) {
      StreamSlot& slot = g_streams[s[i]];
      for (int b = 0; b < 2; ++b)
        if (!slot.queued[b]) {
          HandBlock(slot, b);
          break;
        }
    }
    RefillLocked();
    HandFreeBlocksLocked();
  }
  WorkPending();
  if (n == 0 && g_shell.builder.Ended()) AnnounceEnd();
  if (!stayPaused) {
    for (int i = 0; i < n; ++i) midiStreamRestart(g_streams[s[i]].stream);
  }
}

static bool StopStreamsAndWait() {
  g_shell.stopping = true;
  int s[kPorts];
  int n = SlotsInUse(s);
  for (int i = 0; i < n; ++i) midiStreamStop(g_streams[s[i]].stream);
  // The device gives every block back before anything is freed.
  for (int tries = 0; tries < 3000; ++tries) {
    bool busy = false;
    for (auto& slot : g_streams)
      for (int b = 0; b < 2; ++b)
        if (slot.header[b] && (slot.queued[b] || (slot.header[b]->dwFlags & MHDR_INQUEUE))) busy = true;
    if (!busy) return true;
    Sleep(1);
  }
  return false;
}

void OutStop(bool keep) {
  StopStreamsAndWait();
  std::lock_guard<std::mutex> guard(g_shell.lock);
  ClearQueues();
  if (!keep) FreeBlocks();
}

void OutPause() {
  for (auto& slot : g_streams)
    if (slot.stream) midiStreamPause(slot.stream);
}

void OutResume() {
  for (auto& slot : g_streams)
    if (slot.stream) midiStreamRestart(slot.stream);
}

void OutAfterStep() {
  g_shell.refillWanted.fetch_add(1);
  WorkPending();
}

static void WorkPending() {
  while (g_shell.refillWanted.load() > 0) {
    std::unique_lock<std::mutex> guard(g_shell.lock, std::try_to_lock);
    if (!guard.owns_lock()) return;  // the holder works it when it lets go
    g_shell.refillWanted = 0;
    WorkLocked();
  }
}

extern "C" void CALLBACK StreamCallback(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR) {
  auto* h = reinterpret_cast<MIDIHDR*>(p1);
  if (msg == MOM_DONE) {
    // A returned block is noted whatever else goes on: stop waits for it.
    StreamSlot& slot = g_streams[static_cast<int>(instance) & 3];
    for (int b = 0; b < 2; ++b)
      if (slot.header[b] == h) slot.queued[b] = false;
    if (g_shell.sendBusy || g_shell.stopping || g_shell.chasing) return;
    g_shell.refillWanted.fetch_add(1);
    WorkPending();
  } else if (msg == MOM_POSITIONCB) {
    if (g_shell.sendBusy || g_shell.stopping || g_shell.chasing) return;
    PositionReached(h);
  }
}
