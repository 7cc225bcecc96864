// Messages sent at once, outside the sequencer queue.
#include "smpustate.h"

namespace {
// Data bytes that follow a system status.
int SystemDataBytes(int status) {
  switch (status) {
    case 0xF1: case 0xF3: return 1;
    case 0xF2: return 2;
    default: return 0;
  }
}
}  // namespace

SMPUAPI SMPURESULT WINAPI SMPUPutLineMesDWord(short handle, WORD word1, WORD word2) {
  CallLog("SMPUPutLineMesDWord %d %04X %04X", handle, word1, word2);
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  int status = word1 >> 8, low = word1 & 0xFF, d1 = word2 >> 8, d2 = word2 & 0xFF;
  DWORD msg;
  int port;
  if (status >= 0x80 && status < 0xF0) {
    if (low > 31) return SMPU_ERR_PARAM;
    port = low >> 4;
    msg = static_cast<DWORD>((status & 0xF0) | (low & 0x0F)) | (d1 & 0x7F) << 8;
    if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) msg |= (d2 & 0x7F) << 16;
  } else if (status >= 0xF1 && status != 0xF7) {
    if (low > 1) return SMPU_ERR_PARAM;
    port = low;
    msg = static_cast<DWORD>(status);
    int n = SystemDataBytes(status);
    if (n >= 1) msg |= (d1 & 0x7F) << 8;
    if (n == 2) msg |= (d2 & 0x7F) << 16;
  } else {
    return SMPU_ERR_PARAM;
  }
  MMRESULT r = SendShort(port, msg);
  if (r == MIDIERR_NOTREADY) return SMPU_ERR_BUSY;
  return r == MMSYSERR_NOERROR ? SMPU_OK : SMPU_ERR_DEVICE;
}

// Unpacks System Exclusive messages from a word block: a word 0xF0pp opens
// one for port selector pp, the bytes follow two a word up to 0xF7. Words
// outside a message are passed over.
SMPUAPI SMPURESULT WINAPI SMPUPutLineMesBlock(short handle, const WORD* words, short count) {
  CallLog("SMPUPutLineMesBlock %d %s", handle, WordsText(words, count).c_str());
  SmpuState& s = g_smpu;
  std::lock_guard<std::recursive_mutex> hold(s.lock);
  if (!ValidHandle(handle)) return SMPU_ERR_HANDLE;
  if (!words || count < 0) return SMPU_ERR_PARAM;
  SMPURESULT result = SMPU_OK;
  int i = 0;
  while (i < count) {
    if ((words[i] >> 8) != 0xF0) {
      ++i;
      continue;
    }
    int port = (words[i] & 0xFF) >> 4 & 1;
    std::vector<BYTE> msg{0xF0};
    bool ended = false;
    for (++i; i < count && !ended; ++i) {
      BYTE hi = words[i] >> 8, lo = words[i] & 0xFF;
      msg.push_back(hi);
      if (hi == 0xF7) ended = true;
      else {
        msg.push_back(lo);
        ended = lo == 0xF7;
      }
    }
    // A message cut off by the block's end is not sent half.
    if (!ended) return SMPU_ERR_PARAM;
    if (SendLong(port, msg.data(), msg.size()) != MMSYSERR_NOERROR) result = SMPU_ERR_DEVICE;
  }
  return result;
}
