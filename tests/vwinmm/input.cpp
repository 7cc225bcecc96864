// Input ports: injected messages reach the callback on the port's thread.
#include "vmtesting.h"

using InputTest = VirtualMidiTest;

TEST_F(InputTest, InjectedMessagesReachTheCallback) {
  CallbackRecorder rec;
  HMIDIIN h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiInOpen(&h, 1, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
  EXPECT_FALSE(vm.Inject(1, 0x403C90, 5)) << "not started";
  EXPECT_FALSE(vm.Inject(0, 0x403C90, 5)) << "not open";
  ASSERT_EQ(MMSYSERR_NOERROR, midiInStart(h));
  ASSERT_TRUE(vm.Inject(1, 0x403C90, 5));
  ASSERT_TRUE(vm.Inject(1, 0x003C80, 250));
  // Delivered before Inject returned.
  auto calls = rec.Calls();
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(MIM_OPEN, calls[0].msg);
  EXPECT_EQ(MIM_DATA, calls[1].msg);
  EXPECT_EQ(0x403C90u, calls[1].p1);
  EXPECT_EQ(5u, calls[1].p2);
  EXPECT_EQ(0x003C80u, calls[2].p1);
  EXPECT_EQ(250u, calls[2].p2);
  EXPECT_NE(GetCurrentThreadId(), calls[1].thread);
  UINT id = 0;
  EXPECT_EQ(MMSYSERR_NOERROR, midiInGetID(h, &id));
  EXPECT_EQ(1u, id);

  ASSERT_EQ(MMSYSERR_NOERROR, midiInStop(h));
  EXPECT_FALSE(vm.Inject(1, 0x90, 0));
  ASSERT_EQ(MMSYSERR_NOERROR, midiInClose(h));
  EXPECT_EQ(MIM_CLOSE, rec.Calls().back().msg);
  EXPECT_EQ(0, vm.OpenCount());
}

TEST_F(InputTest, ResetReturnsTheBuffers) {
  CallbackRecorder rec;
  HMIDIIN h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiInOpen(&h, 0, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
  char data[64];
  MIDIHDR hdr{};
  hdr.lpData = data;
  hdr.dwBufferLength = sizeof data;
  EXPECT_EQ(MIDIERR_UNPREPARED, midiInAddBuffer(h, &hdr, sizeof hdr));
  ASSERT_EQ(MMSYSERR_NOERROR, midiInPrepareHeader(h, &hdr, sizeof hdr));
  ASSERT_EQ(MMSYSERR_NOERROR, midiInAddBuffer(h, &hdr, sizeof hdr));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiInUnprepareHeader(h, &hdr, sizeof hdr));
  EXPECT_EQ(MIDIERR_STILLPLAYING, midiInClose(h));

  ASSERT_EQ(MMSYSERR_NOERROR, midiInReset(h));
  auto calls = rec.Calls();
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(MIM_LONGDATA, calls[1].msg);
  EXPECT_EQ(reinterpret_cast<DWORD_PTR>(&hdr), calls[1].p1);
  EXPECT_TRUE(hdr.dwFlags & MHDR_DONE);
  EXPECT_EQ(0u, hdr.dwBytesRecorded);
  EXPECT_EQ(MMSYSERR_NOERROR, midiInUnprepareHeader(h, &hdr, sizeof hdr));
  EXPECT_EQ(MMSYSERR_NOERROR, midiInClose(h));
}
