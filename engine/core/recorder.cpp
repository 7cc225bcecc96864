#include "recorder.h"

#include <zk/messages.h>
#include <zk/playdata.h>

namespace {

constexpr int kStepsPerWaitWord = 240;

bool IsChannelStatus(unsigned status) { return status >= 0x80 && status <= 0xEF; }

// Steps at 480 per quarter note from the start of the input clock. Both
// ends of an interval are converted from absolute times so that the
// truncation never adds up.
int64_t StepsAt(int64_t timeMs, int tempo) {
  if (tempo <= 0) return 0;
  return timeMs * tempo / 125;
}

}  // namespace

// Notices are posted after the lock is released, so a notifier may call
// back into the recorder.
struct Recorder::Posts {
  LPARAM values[4];
  int count = 0;
  void Add(LPARAM v) {
    if (count < 4) values[count++] = v;
  }
};

void Recorder::SetBuffers(uint16_t* a, uint16_t* b) {
  std::lock_guard<std::mutex> lock(mu_);
  for (uint16_t* buf : {a, b}) {
    if (!buf) continue;
    for (int i = 0; i < kRecordBufferWords; ++i) buf[i] = kPwEndFill;
  }
  bufA_ = a;
  bufB_ = b;
  index_ = 0;
}

void Recorder::ReleaseBuffers() {
  std::lock_guard<std::mutex> lock(mu_);
  bufA_ = nullptr;
  bufB_ = nullptr;
}

void Recorder::Configure(int mode, int32_t punchInSteps, int32_t punchOutSteps) {
  std::lock_guard<std::mutex> lock(mu_);
  mode_ = mode;
  punchInSteps_ = punchInSteps;
  punchOutSteps_ = punchOutSteps;
  active_ = false;
  started_ = false;
  leadIn_ = 0;
  punchInActive_ = false;
  punchOutActive_ = false;
}

void Recorder::Arm(int32_t leadInSteps) {
  std::lock_guard<std::mutex> lock(mu_);
  active_ = mode_ != 0;
  started_ = (mode_ & 2) == 0;
  lastTime_ = 0;
  leadIn_ = leadInSteps > 0 ? leadInSteps : 0;
  // A point at or before the play start is no punch point at all.
  punchInActive_ = punchInSteps_ > 0;
  punchIn_ = punchInSteps_;
  punchOutActive_ = punchOutSteps_ > 0;
  punchOut_ = punchOutSteps_;
}

void Recorder::Disarm() {
  std::lock_guard<std::mutex> lock(mu_);
  active_ = false;
  punchInActive_ = false;
  punchOutActive_ = false;
}

void Recorder::RestartClock() {
  std::lock_guard<std::mutex> lock(mu_);
  lastTime_ = 0;
}

uint16_t Recorder::Index() const {
  std::lock_guard<std::mutex> lock(mu_);
  return static_cast<uint16_t>(index_);
}

void Recorder::ArmNotice() {
  std::lock_guard<std::mutex> lock(mu_);
  noticeArmed_ = true;
}

uint16_t Recorder::GetRecBytes() {
  std::lock_guard<std::mutex> lock(mu_);
  noticeArmed_ = true;
  return static_cast<uint16_t>(index_);
}

int Recorder::Mode() const {
  std::lock_guard<std::mutex> lock(mu_);
  return mode_;
}

bool Recorder::Active() const {
  std::lock_guard<std::mutex> lock(mu_);
  return active_;
}

bool Recorder::Started() const {
  std::lock_guard<std::mutex> lock(mu_);
  return active_ && started_;
}

bool Recorder::IsWaitingForFirstNote() const {
  std::lock_guard<std::mutex> lock(mu_);
  return active_ && !started_;
}

void Recorder::WriteWord(uint16_t word) {
  // The hard end of the block, whatever the callers checked before.
  if (!bufA_ || index_ >= kRecordBufferWords) return;
  bufA_[index_++] = word;
}

void Recorder::WriteWait(int64_t steps) {
  while (steps >= kStepsPerWaitWord && index_ <= kRecordLastWriteIndex) {
    WriteWord(kPwWaitFull);
    steps -= kStepsPerWaitWord;
  }
  if (steps > 0 && index_ <= kRecordLastWriteIndex)
    WriteWord(static_cast<uint16_t>(kPwWait | steps));
}

void Recorder::CheckFull(Posts& posts) {
  if (index_ > kRecordLastWriteIndex - 1 && bufA_) {
    bufA_ = nullptr;
    bufB_ = nullptr;
    posts.Add(kRecNotifyBufferFull);
  }
}

void Recorder::TakeNotice(Posts& posts) {
  if (!noticeArmed_) return;
  noticeArmed_ = false;
  posts.Add(kRecNotifyNewData);
}

void Recorder::OnMessage(DWORD shortMsg, DWORD timeMs, int tempo, EngineNotify& notify) {
  Posts posts;
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (active_) {
      const unsigned status = shortMsg & 0xFF;
      int64_t t = static_cast<int32_t>(timeMs);
      if (t < 0) t = 0;

      bool record = true;
      if (!started_) {
        if ((status & 0xF0) != 0x90) {
          record = false;
        } else {
          started_ = true;
          posts.Add(kRecNotifyFirstNote);
          leadIn_ = 0;
          lastTime_ = t;
        }
      }

      if (record) {
        // Two devices may deliver slightly out of order; time never runs
        // backwards here.
        if (t < lastTime_) t = lastTime_;
        int64_t n = StepsAt(t, tempo) - StepsAt(lastTime_, tempo);
        lastTime_ = t;

        if (leadIn_ > 0) {
          if (n < leadIn_) {
            leadIn_ -= n;
            record = false;
          } else {
            n -= leadIn_;
            leadIn_ = 0;
          }
        }

        if (record && punchOutActive_) {
          // Every interval counts, the one that crosses the punch-in point
          // too: the point stands at its distance from the play start.
          punchOut_ -= n;
          if (punchOut_ < 0) record = false;
        }

        if (record && punchInActive_) {
          const int64_t beforePoint = punchIn_;
          punchIn_ -= n;
          if (bufA_ && bufB_) {
            if (punchIn_ > 0) {
              WriteWait(n);
            } else {
              // Both parts of the crossing interval are kept so that what
              // follows stays at its true distance from the play start.
              WriteWait(beforePoint);
              WriteWait(-punchIn_);
            }
            TakeNotice(posts);
            CheckFull(posts);
          }
          if (punchIn_ > 0) {
            record = false;
          } else {
            punchInActive_ = false;
            n = 0;
          }
        }

        if (record && bufA_ && bufB_) {
          if (IsChannelStatus(status)) {
            if (index_ <= kRecordLastWriteIndex) {
              const unsigned kind = status & 0xF0;
              const unsigned data1 = (shortMsg >> 8) & 0xFF;
              // Program change and channel pressure carry one data byte.
              const unsigned data2 = (kind == 0xC0 || kind == 0xD0) ? 0 : (shortMsg >> 16) & 0xFF;
              WriteWait(n);
              WriteWord(static_cast<uint16_t>(kind << 8 | (status & 0x0F)));
              WriteWord(static_cast<uint16_t>(data1 << 8 | data2));
              TakeNotice(posts);
              CheckFull(posts);
            }
          } else if (n > 0) {
            WriteWait(n);
            CheckFull(posts);
          }
        }
      }
    }
  }
  for (int i = 0; i < posts.count; ++i)
    notify.Post(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), posts.values[i]);
}

void Recorder::OnDeviceWords(const uint16_t* words, size_t count, EngineNotify& notify) {
  Posts posts;
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (size_t i = 0; i < count && active_; ++i) {
      uint16_t w = words[i];
      const bool isWait = (w & 0xFF00) == kPwWait;
      int64_t n = isWait ? (w & 0xFF) : 0;

      if (leadIn_ > 0 && isWait) {
        if (leadIn_ > n) {
          leadIn_ -= n;
          continue;
        }
        n -= leadIn_;
        leadIn_ = 0;
        if (n == 0) continue;
        w = static_cast<uint16_t>(kPwWait | n);
      }

      if (punchOutActive_) {
        if (isWait) punchOut_ -= n;
        if (punchOut_ < 0) continue;
      }

      if (punchInActive_) {
        if (!isWait) continue;
        punchIn_ -= n;
        if (punchIn_ > 0) {
          // Waits before the point keep what follows at its distance.
          if (bufA_ && bufB_ && index_ <= kRecordLastWriteIndex) {
            WriteWord(w);
            TakeNotice(posts);
            CheckFull(posts);
          }
          continue;
        }
        punchInActive_ = false;
      }

      if (!started_) {
        if ((w & 0xFF00) != 0x9000) continue;
        started_ = true;
        posts.Add(kRecNotifyFirstNote);
      }

      if (bufA_ && bufB_ && index_ <= kRecordLastWriteIndex) {
        WriteWord(w);
        TakeNotice(posts);
        CheckFull(posts);
      }
    }
  }
  for (int i = 0; i < posts.count; ++i)
    notify.Post(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), posts.values[i]);
}
