// Line messages with the busy retry, line-message blocks, and the sends
// whose ports or messages differ from the other engines'.
#include "sends.h"

#include "playwords.h"
#include "rdsengine.h"
#include "sysexbuild.h"

namespace {
constexpr int kBusyTries = 500;
}  // namespace

SMPURESULT PutLineMessage(WORD word1, WORD word2) {
  SMPURESULT r = SMPUPutLineMesDWord(RdsHandle(), word1, word2);
  for (int i = 1; i < kBusyTries && r == SMPU_ERR_BUSY; ++i) {
    Sleep(1);
    r = SMPUPutLineMesDWord(RdsHandle(), word1, word2);
  }
  return r;
}


void SendBlockMessage(uint8_t selector, const uint8_t* bytes, size_t length) {
  std::vector<WORD> words = LineBlockWords(selector, bytes, length);
  if (words.empty() || words.size() > 0x7FFF || !RdsOpen()) return;
  SMPUPutLineMesBlock(RdsHandle(), words.data(), static_cast<short>(words.size()));
}

void SendSongPositionToPorts(int sixteenths) {
  sixteenths &= 0x3FFF;
  for (int p = 0; p < kRdsPorts; ++p) {
    if (InterfaceChannel(p, 0) < 0) continue;
    PutLineMessage(static_cast<WORD>(0xF2 << 8 | (g_rds.port[p].channelBase / 16)),
                   static_cast<WORD>((sixteenths & 0x7F) << 8 | ((sixteenths >> 7) & 0x7F)));
  }
}

extern "C" int WINAPI midiOutImmMsg(int status, int portChannel, int data1, int data2) {
  int port = (portChannel >> 4) & 0x0F;
  int ic = port < 4 ? InterfaceChannel(port, portChannel) : -1;
  if (ic < 0 || !RdsOpen()) return 0;
  DWORD m = static_cast<DWORD>(status & 0xF0) | static_cast<DWORD>(data1 & 0x7F) << 8 |
            static_cast<DWORD>(data2 & 0x7F) << 16;
  PutLineMessage(LineWord1(m, ic, port), LineWord2(m));
  return 0;
}

extern "C" int WINAPI midiReset() {
  if (RdsOpen()) SMPUPanic(RdsHandle());
  return 0;
}

extern "C" int WINAPI GSReset(int port) {
  port &= 3;
  if (InterfaceChannel(port, 0) < 0) return 0;
  for (const auto& f : BuildGSReset()) {
    FlushSend(port, f);
    Sleep(100);
  }
  return 0;
}
