// Short and long messages on a port: what the log records and the buffer
// flags and callbacks the system documents.
#include "vmtesting.h"

using MessagesTest = VirtualMidiTest;

TEST_F(MessagesTest, ShortAndLongMessagesAreLoggedInOrder) {
  CallbackRecorder rec;
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 1, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutShortMsg(h, 0x7F3C91));

  BYTE sysex[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  MIDIHDR hdr{};
  hdr.lpData = reinterpret_cast<LPSTR>(sysex);
  hdr.dwBufferLength = sizeof sysex;
  EXPECT_EQ(MIDIERR_UNPREPARED, midiOutLongMsg(h, &hdr, sizeof hdr));
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(h, &hdr, sizeof hdr));
  EXPECT_TRUE(hdr.dwFlags & MHDR_PREPARED);
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutLongMsg(h, &hdr, sizeof hdr));
  ASSERT_TRUE(WaitFor([&] { return rec.Count(MOM_DONE) == 1; }));
  EXPECT_TRUE(hdr.dwFlags & MHDR_DONE);
  EXPECT_FALSE(hdr.dwFlags & MHDR_INQUEUE);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutUnprepareHeader(h, &hdr, sizeof hdr));
  EXPECT_FALSE(hdr.dwFlags & MHDR_PREPARED);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutReset(h));

  auto calls = rec.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(MOM_DONE, calls[1].msg);
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(&hdr), calls[1].p1);
  EXPECT_NE(GetCurrentThreadId(), calls[1].thread) << "callbacks come from the device's thread";

  auto log = Log();
  ASSERT_EQ(3u, log.size());
  EXPECT_EQ(1, log[0].device);
  EXPECT_EQ(kVmShort, log[0].kind);
  EXPECT_EQ(0x7F3C91u, log[0].message);
  EXPECT_EQ(-1, log[0].tick);
  EXPECT_EQ(-1, log[0].tickMicros);
  EXPECT_EQ(kVmLong, log[1].kind);
  ASSERT_EQ(static_cast<int>(sizeof sysex), log[1].length);
  EXPECT_EQ(0, memcmp(sysex, log[1].data, sizeof sysex));
  EXPECT_EQ(kVmReset, log[2].kind);
  EXPECT_LE(log[0].wallMicros, log[1].wallMicros);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
}

TEST_F(MessagesTest, FailShortMsgsRefusesThatManyAndLogsNone) {
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL));
  vm.FailShortMsgs(0, 2);
  EXPECT_EQ(MIDIERR_NOTREADY, midiOutShortMsg(h, 0x90));
  EXPECT_EQ(MIDIERR_NOTREADY, midiOutShortMsg(h, 0x91));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutShortMsg(h, 0x92));
  auto log = Log();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(0x92u, log[0].message);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
}

namespace {
// Holds the device thread inside its first MOM_DONE until released.
struct Gate {
  HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ~Gate() {
    CloseHandle(entered);
    CloseHandle(release);
  }
  static void CALLBACK Proc(HANDLE, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    auto* gate = reinterpret_cast<Gate*>(instance);
    if (msg != MOM_DONE) return;
    SetEvent(gate->entered);
    WaitForSingleObject(gate->release, INFINITE);
  }
};
}  // namespace

TEST_F(MessagesTest, AQueuedLongMessageHoldsItsHeaderAndThePort) {
  BYTE bytes[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  MIDIHDR first{}, second{};
  for (MIDIHDR* hdr : {&first, &second}) {
    hdr->lpData = reinterpret_cast<LPSTR>(bytes);
    hdr->dwBufferLength = sizeof bytes;
  }
  Gate gate;
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 0, reinterpret_cast<DWORD_PTR>(&Gate::Proc),
                                          reinterpret_cast<DWORD_PTR>(&gate), CALLBACK_FUNCTION));
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(h, &first, sizeof first));
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(h, &second, sizeof second));
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutLongMsg(h, &first, sizeof first));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gate.entered, 5000));
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutLongMsg(h, &second, sizeof second));

  EXPECT_TRUE(second.dwFlags & MHDR_INQUEUE);
  EXPECT_EQ(1, vm.PendingBuffers(0));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiOutLongMsg(h, &second, sizeof second));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiOutUnprepareHeader(h, &second, sizeof second));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiOutClose(h));

  SetEvent(gate.release);
  ASSERT_TRUE(WaitFor([&] { return vm.PendingBuffers(0) == 0; }));
  ASSERT_TRUE(WaitFor([&] { return (second.dwFlags & MHDR_DONE) != 0; }));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutUnprepareHeader(h, &first, sizeof first));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutUnprepareHeader(h, &second, sizeof second));
  EXPECT_EQ(2, static_cast<int>(Log().size()));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
}

namespace {

LRESULT CALLBACK SinkProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// The MM_MOM_* messages waiting for this thread, with their parameters.
std::vector<MSG> TakeMidiMessages(HWND window) {
  std::vector<MSG> got;
  MSG msg;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 300) {
    while (PeekMessageA(&msg, window, MM_MOM_OPEN, MM_MOM_POSITIONCB, PM_REMOVE)) got.push_back(msg);
    Sleep(5);
  }
  return got;
}

}  // namespace

TEST_F(MessagesTest, WindowAndThreadCallbacksGetPostedMessages) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = SinkProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VmidiSink";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("VmidiSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  struct Case {
    const char* what;
    DWORD flags;
    DWORD_PTR target;
    HWND filter;
  } cases[] = {
      {"window", CALLBACK_WINDOW, reinterpret_cast<DWORD_PTR>(window), window},
      {"thread", CALLBACK_THREAD, GetCurrentThreadId(), reinterpret_cast<HWND>(-1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BYTE bytes[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    MIDIHDR hdr{};
    hdr.lpData = reinterpret_cast<LPSTR>(bytes);
    hdr.dwBufferLength = sizeof bytes;
    HMIDIOUT h;
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 0, c.target, 0, c.flags));
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutPrepareHeader(h, &hdr, sizeof hdr));
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutLongMsg(h, &hdr, sizeof hdr));
    ASSERT_TRUE(WaitFor([&] { return (hdr.dwFlags & MHDR_DONE) != 0; }));
    midiOutUnprepareHeader(h, &hdr, sizeof hdr);
    ASSERT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
    auto got = TakeMidiMessages(c.filter);
    ASSERT_EQ(3u, got.size());
    EXPECT_EQ(static_cast<UINT>(MM_MOM_OPEN), got[0].message);
    EXPECT_EQ(static_cast<UINT>(MM_MOM_DONE), got[1].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(h), got[1].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&hdr), got[1].lParam);
    EXPECT_EQ(static_cast<UINT>(MM_MOM_CLOSE), got[2].message);
  }
  DestroyWindow(window);
  HMIDIOUT h;
  EXPECT_EQ(MMSYSERR_INVALPARAM, midiOutOpen(&h, 0, 0x12345678, 0, CALLBACK_WINDOW))
      << "not a window";
}
