// A host of the Super MPU driver library: open record with callbacks that
// feed the queue from a word list and collect recorded words, the virtual
// MIDI device's log, and the settings section.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include <rdsmpu32.h>
#include <vwinmm.h>

constexpr UINT kNotifyMessage = 2260;

// What the callbacks see; one open device at a time.
struct SmpuHostState {
  std::mutex lock;
  std::vector<WORD> toSend;   // words the send callback hands over
  size_t sent = 0;
  int sendChunk = 3;          // at most this many a call (splits pairs)
  std::vector<WORD> received;
  std::atomic<int> sendCalls{0}, recvCalls{0};
};
extern SmpuHostState g_host;

int WINAPI HostSendCallback(int handle);
int WINAPI HostRecvCallback(int handle);

struct Played {
  int device;
  int kind;
  uint32_t message;
  double ms;  // device clock
  std::vector<uint8_t> bytes;
};

class Smpu : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the [rdsmpu32] section ("Key=Value" lines) and opens the device.
  short Open(const std::vector<std::string>& settings = {}, bool callbacks = true);
  void Close();
  // Words for the send callback to hand over.
  void Feed(const std::vector<WORD>& words);
  std::vector<Played> Log(int kind = -1);
  // Waits (real time) until pred holds; false after timeoutMs.
  template <typename P>
  bool WaitFor(P pred, int timeoutMs = 5000) {
    for (int i = 0; i < timeoutMs; ++i) {
      if (pred()) return true;
      Sleep(1);
    }
    return pred();
  }
  std::vector<std::string> CallLog();
  // Posted notifications: lParam of each.
  std::vector<LPARAM> Notifications();

  VirtualMidi vm;
  HWND window = nullptr;
  short h = -1;
};
