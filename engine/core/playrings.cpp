#include "playrings.h"

#include <cstring>

#include <zk/song.h>

bool PlayRings::Allocate(int monitorRecords, int textBytes) {
  Free();
  monHandle_ = GlobalAlloc(kShareableZeroed, static_cast<SIZE_T>(monitorRecords) * sizeof(PlayMonRecord));
  textHandle_ = GlobalAlloc(kShareableZeroed, static_cast<SIZE_T>(textBytes));
  if (!monHandle_ || !textHandle_) {
    Free();
    return false;
  }
  mon_ = static_cast<PlayMonRecord*>(GlobalLock(monHandle_));
  text_ = static_cast<char*>(GlobalLock(textHandle_));
  monSize_ = monitorRecords;
  textSize_ = textBytes;
  monWrite_ = textWrite_ = 0;
  monRead_ = 0;
  textRead_ = 0;
  textAfter_.assign(monitorRecords, 0);
  dropped_ = 0;
  return mon_ && text_;
}

void PlayRings::Free() {
  if (monHandle_) {
    GlobalUnlock(monHandle_);
    GlobalFree(monHandle_);
  }
  if (textHandle_) {
    GlobalUnlock(textHandle_);
    GlobalFree(textHandle_);
  }
  monHandle_ = textHandle_ = nullptr;
  mon_ = nullptr;
  text_ = nullptr;
  monSize_ = textSize_ = 0;
}

int PlayRings::WriteMonitor(const PlayMonRecord& r) {
  if (!mon_) return -1;
  int used = (monWrite_ - monRead_.load() + monSize_) % monSize_;
  if (used >= monSize_ - 1) {
    ++dropped_;
    return -1;
  }
  int index = monWrite_;
  // The host's own fields stay as the host left them.
  PlayMonRecord& d = mon_[index];
  int32_t strip = d.stripWindow;
  int16_t repaint = d.repaint, meter = d.meterDrawn;
  d = r;
  d.stripWindow = strip;
  d.repaint = repaint;
  d.meterDrawn = meter;
  textAfter_[index] = textWrite_;
  monWrite_ = (monWrite_ + 1) % monSize_;
  return index;
}

int PlayRings::WriteText(const uint8_t* bytes, int length) {
  if (!text_ || length <= 0) return -1;
  int used = (textWrite_ - textRead_.load() + textSize_) % textSize_;
  if (used + length >= textSize_) {
    ++dropped_;
    return -1;
  }
  for (int i = 0; i < length; ++i) {
    text_[textWrite_] = static_cast<char>(bytes[i]);
    textWrite_ = (textWrite_ + 1) % textSize_;
  }
  return textWrite_;
}

void PlayRings::HostReadUpTo(int monitorIndex) {
  if (!mon_ || monitorIndex < 0 || monitorIndex >= monSize_) return;
  monRead_ = monitorIndex;
  int last = (monitorIndex - 1 + monSize_) % monSize_;
  textRead_ = textAfter_[last];
}
