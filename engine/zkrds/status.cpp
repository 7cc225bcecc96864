// The status poll: the host calls it after every notice the driver posts;
// it reads the interface's pending events and acts on each.
#include <algorithm>

#include "rdsengine.h"
#include "tempomap.h"

namespace {

void EndOfPlay() {
  g_shell.playing = false;
  g_shell.ended = true;
  if (g_shell.endCallback)
    g_shell.endCallback();
  else
    PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), 0);
  g_rds.stopCounter = 0;
}

// Monitor words: each mark word is followed by its value, which may come in
// the next block.
void ReadMonitor(short h) {
  if (!g_rds.monitorWords) return;
  int& kind = g_rds.pendingMark;
  int at = 0;
  for (;;) {
    WORD* block = g_rds.monitorWords + at;
    SMPURESULT n = SMPUGetMonBlock(h, block, kMonitorReadWords);
    if (n <= 0) break;
    for (int i = 0; i < n; ++i) {
      if (kind >= 0) {
        MarkReached(kind, block[i]);
        kind = -1;
      } else if ((block[i] & 0xFF00) == kPwMark) {
        kind = block[i] & 0xFF;
      }
    }
    at = (at + kMonitorReadWords) % kMonitorBlockWords;
    if (n < kMonitorReadWords) break;
  }
}

// Play on from a sixteenth the outside named: ring emptied, walker moved
// there and chased.
void Relocate(int sixteenths) {
  RewindPlay();
  if (sixteenths > 0) ChaseTo(sixteenths + 1);
}

void SequencerStatus(short h) {
  SMPURESULT status = SMPUGetSeqStatus(h);
  const bool stopped = status == 0 || status == 3;
  if (g_rds.playMode == 0) {
    if (g_rds.holdPending) {
      if (status == 0) {
        g_rds.holdPending = false;
        PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), kNotifyHeld);
      }
    } else if (stopped && !g_shell.paused) {
      --g_rds.stopCounter;
    }
  } else if (g_rds.recordFlags && stopped && !g_shell.paused) {
    --g_rds.stopCounter;
  }
  if (g_rds.stopCounter <= -1 && g_shell.playing) EndOfPlay();
}

}  // namespace

extern "C" int WINAPI ShowSeqStatus() {
  short h = RdsHandle();
  if (h < 0) return 0;
  SMPURESULT bits = SMPUGetEvent(h, SMPU_EV_ALL);
  if (bits < 0) return 0;
  int suspends = 0, restarts = 0;
  DWORD restartAt = 0;
  if (bits & 0x0001) RSSCallBackMan(0);
  if (bits & 0x0008) ReadMonitor(h);
  if (bits & 0x0010) {
    SMPUENVINFO info{};
    SMPUGetEnvInfo(h, &info);
  }
  if ((bits & 0x0020) && !g_rds.waitingForActive) SequencerStatus(h);
  if (bits & 0x0040) {
    BYTE code = 0;
    DWORD time = 0;
    while (SMPUGetTimeInfo(h, &code, &time) > 0) {
      if (!g_shell.playing || g_rds.seeking || (g_rds.playMode & 0x0F) != 3) continue;
      if (code == 0xC4) {
        DWORD position = time + static_cast<DWORD>(g_rds.stability);
        position = position > g_rds.smpteOffset ? position - g_rds.smpteOffset : 0;
        Relocate(SixteenthsForTime(g_shell.builder.TempoMap(), position, g_shell.builder.Scale()));
        restartAt = position;
        ++restarts;
      } else if (code == 0xC5) {
        ++g_rds.stopCounter;
        ++suspends;
      }
    }
  }
  if (bits & 0x0080) {
    BYTE kind = 0;
    WORD value = 0;
    SMPUGetSPPSSL(h, &kind, &value);
    DWORD clock = 0;
    if (kind == 0xF2 && g_shell.prepared && SMPUSpp2Clock(h, value, &clock) >= 0) {
      int timeBase = std::max(1, g_shell.builder.TimeBase());
      int perSixteenth = std::max(1, 480 / timeBase) * std::max(1, timeBase / 4);
      Relocate(static_cast<int>(clock / static_cast<DWORD>(perSixteenth)));
      GetBuffer();
      RSSCallBackMan(0);
    }
  }
  if (bits & 0x0200) {
    SMPUGetReportInfo(h, g_rds.timeCode);
    if (g_rds.timeCodeAsked) {
      g_rds.timeCodeAsked = false;
      PostToHost(WM_ZK_PLAYNOTIFY, static_cast<WPARAM>(-1), kNotifyTimeCode);
    }
  }
  if (bits & 0x1000) SMPUGetGateEv(h);
  if (bits & 0x2000) {
    if (SMPUChkActiveSeqPlay(h) <= 0) {
      if (g_shell.playing) EndOfPlay();
    } else if (g_rds.waitingForActive.exchange(false)) {
      RunPlaySetUp();
    }
  }
  if (bits & 0x0800) SMPUGetErrorInfo(h);
  if (suspends > restarts) {
    SMPUSeqSuspend(h);
  } else if (restarts > suspends) {
    g_rds.blocksSent = 0;
    SMPUSeqRStart(h, restartAt != 0, restartAt);
  }
  return 0;
}
