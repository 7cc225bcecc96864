// Test-side helpers for programs run with the virtual MIDI device.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "vwinmm.h"

// Binds the control calls and starts each test with an empty log and the
// default devices.
class VirtualMidiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vm.Bind()) << "winmm.dll is not the virtual device";
    ASSERT_EQ(0, vm.OpenCount()) << "a previous test left a handle open";
    ASSERT_TRUE(vm.SetDevices("Virtual Out A;Virtual Out B", "Virtual In A;Virtual In B"));
    vm.LogClear();
  }
  std::vector<VMidiLogEntry> Log() const {
    std::vector<VMidiLogEntry> entries(vm.LogCount());
    for (size_t i = 0; i < entries.size(); ++i) vm.LogEntry(static_cast<int>(i), &entries[i]);
    return entries;
  }
  // Polls until pred() holds or timeoutMs pass.
  template <typename Pred>
  static bool WaitFor(Pred pred, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (!pred()) {
      if (GetTickCount() - start > timeoutMs) return false;
      Sleep(1);
    }
    return true;
  }
  VirtualMidi vm;
};

// Records what a CALLBACK_FUNCTION receives (pass its address as instance).
struct CallbackRecorder {
  struct Call {
    UINT msg;
    DWORD_PTR p1;
    DWORD_PTR p2;
    DWORD thread;
    DWORD offset;  // the header's dwOffset when p1 is a header, at call time
    DWORD flags;   // and its dwFlags
  };
  static void CALLBACK Proc(HANDLE, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2) {
    auto* self = reinterpret_cast<CallbackRecorder*>(instance);
    Call c{msg, p1, p2, GetCurrentThreadId(), 0, 0};
    if (msg == MOM_DONE || msg == MOM_POSITIONCB || msg == MIM_LONGDATA) {
      auto* hdr = reinterpret_cast<MIDIHDR*>(p1);
      c.offset = hdr->dwOffset;
      c.flags = hdr->dwFlags;
    }
    std::lock_guard<std::mutex> lk(self->mu);
    self->calls.push_back(c);
  }
  DWORD_PTR proc() const { return reinterpret_cast<DWORD_PTR>(&Proc); }
  DWORD_PTR instance() { return reinterpret_cast<DWORD_PTR>(this); }
  std::vector<Call> Calls() {
    std::lock_guard<std::mutex> lk(mu);
    return calls;
  }
  size_t Count(UINT msg) {
    std::lock_guard<std::mutex> lk(mu);
    size_t n = 0;
    for (const auto& c : calls) n += c.msg == msg;
    return n;
  }
  std::mutex mu;
  std::vector<Call> calls;
};

// A stream buffer of MIDIEVENT records and its header.
class StreamBuffer {
 public:
  StreamBuffer& Short(DWORD delta, DWORD msg, bool callback = false) {
    return Add(delta, (MEVT_SHORTMSG << 24) | (msg & 0xFFFFFF), callback);
  }
  StreamBuffer& Tempo(DWORD delta, DWORD tempo) { return Add(delta, (MEVT_TEMPO << 24) | tempo, false); }
  StreamBuffer& Nop(DWORD delta, bool callback = false) {
    return Add(delta, static_cast<DWORD>(MEVT_NOP) << 24, callback);
  }
  StreamBuffer& Long(DWORD delta, const std::vector<BYTE>& bytes) {
    Add(delta, MEVT_F_LONG | (static_cast<DWORD>(MEVT_LONGMSG) << 24) | bytes.size(), false);
    std::vector<DWORD> padded((bytes.size() + 3) / 4, 0);
    memcpy(padded.data(), bytes.data(), bytes.size());
    words_.insert(words_.end(), padded.begin(), padded.end());
    return *this;
  }
  // Byte offset of the next record.
  DWORD Offset() const { return static_cast<DWORD>(words_.size() * 4); }
  MIDIHDR* Header() {
    memset(&hdr_, 0, sizeof hdr_);
    hdr_.lpData = reinterpret_cast<LPSTR>(words_.data());
    hdr_.dwBufferLength = hdr_.dwBytesRecorded = Offset();
    return &hdr_;
  }
  MIDIHDR* hdr() { return &hdr_; }

 private:
  StreamBuffer& Add(DWORD delta, DWORD event, bool callback) {
    words_.push_back(delta);
    words_.push_back(0);
    words_.push_back(event | (callback ? MEVT_F_CALLBACK : 0));
    return *this;
  }
  std::vector<DWORD> words_;
  MIDIHDR hdr_{};
};
