// Device lists, capabilities, opening and the refusals a port gives.
#include "vmtesting.h"

#include <string>

using DevicesTest = VirtualMidiTest;

TEST_F(DevicesTest, NamesComeFromTheConfiguredLists) {
  ASSERT_TRUE(vm.SetDevices("Port A;ポート B", "Keyboard"));
  ASSERT_EQ(2u, midiOutGetNumDevs());
  ASSERT_EQ(1u, midiInGetNumDevs());

  MIDIOUTCAPSA out{};
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutGetDevCapsA(1, &out, sizeof out));
  EXPECT_STREQ("ポート B", out.szPname);
  EXPECT_EQ(MOD_MIDIPORT, out.wTechnology);
  EXPECT_TRUE(out.dwSupport & MIDICAPS_STREAM);

  MIDIOUTCAPSW outW{};
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutGetDevCapsW(1, &outW, sizeof outW));
  WCHAR expected[MAXPNAMELEN];
  MultiByteToWideChar(CP_ACP, 0, "ポート B", -1, expected, MAXPNAMELEN);
  EXPECT_EQ(0, lstrcmpW(expected, outW.szPname));

  MIDIINCAPSA in{};
  ASSERT_EQ(MMSYSERR_NOERROR, midiInGetDevCapsA(0, &in, sizeof in));
  EXPECT_STREQ("Keyboard", in.szPname);

  EXPECT_EQ(MMSYSERR_BADDEVICEID, midiOutGetDevCapsA(2, &out, sizeof out));
  EXPECT_EQ(MMSYSERR_BADDEVICEID, midiInGetDevCapsA(1, &in, sizeof in));
  EXPECT_EQ(MMSYSERR_INVALPARAM, midiOutGetDevCapsA(0, nullptr, sizeof out));
}

TEST_F(DevicesTest, EmptyListsMeanNoDevices) {
  ASSERT_TRUE(vm.SetDevices("", ""));
  EXPECT_EQ(0u, midiOutGetNumDevs());
  EXPECT_EQ(0u, midiInGetNumDevs());
  HMIDIOUT h;
  EXPECT_EQ(MMSYSERR_BADDEVICEID, midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL));
  EXPECT_EQ(MIDIERR_NODEVICE, midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
}

TEST_F(DevicesTest, APortOpensOnceAndKnowsItsId) {
  CallbackRecorder rec;
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 1, rec.proc(), rec.instance(), CALLBACK_FUNCTION));
  EXPECT_EQ(1u, rec.Count(MOM_OPEN));
  EXPECT_EQ(1, vm.OpenCount());
  EXPECT_FALSE(vm.SetDevices("X", "Y")) << "lists must not change under an open port";

  HMIDIOUT again;
  EXPECT_EQ(MMSYSERR_ALLOCATED, midiOutOpen(&again, 1, 0, 0, CALLBACK_NULL));
  HMIDISTRM stream;
  UINT id = 1;
  EXPECT_EQ(MMSYSERR_ALLOCATED, midiStreamOpen(&stream, &id, 1, 0, 0, CALLBACK_NULL));

  UINT got = 99;
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutGetID(h, &got));
  EXPECT_EQ(1u, got);
  MIDIOUTCAPSA caps{};
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutGetDevCapsA(reinterpret_cast<UINT_PTR>(h), &caps, sizeof caps));
  EXPECT_STREQ("Virtual Out B", caps.szPname);
  EXPECT_EQ(MMSYSERR_NOTSUPPORTED, midiOutMessage(h, 0x2000, 0, 0));

  DWORD volume = 0;
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutSetVolume(h, 0x80004000));
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutGetVolume(h, &volume));
  EXPECT_EQ(0x80004000u, volume);

  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
  EXPECT_EQ(1u, rec.Count(MOM_CLOSE));
  EXPECT_EQ(0, vm.OpenCount());
  EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutClose(h));
  EXPECT_EQ(MMSYSERR_INVALHANDLE, midiOutShortMsg(h, 0x90));
}

TEST_F(DevicesTest, TheMapperStandsForTheFirstPort) {
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL));
  UINT got = 0;
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutGetID(h, &got));
  EXPECT_EQ(static_cast<UINT>(MIDI_MAPPER), got);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutShortMsg(h, 0x404090));
  auto log = Log();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(0, log[0].device);
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutClose(h));
}

TEST_F(DevicesTest, FailOpenRefusesTheNextOpenOnly) {
  struct Case {
    const char* what;
    bool stream;
  } cases[] = {{"port", false}, {"stream", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    vm.FailOpen(1, MMSYSERR_ALLOCATED);
    HMIDIOUT h = nullptr;
    UINT id = 1;
    auto open = [&] {
      return c.stream ? midiStreamOpen(reinterpret_cast<HMIDISTRM*>(&h), &id, 1, 0, 0, CALLBACK_NULL)
                      : midiOutOpen(&h, 1, 0, 0, CALLBACK_NULL);
    };
    EXPECT_EQ(MMSYSERR_ALLOCATED, open());
    EXPECT_EQ(0, vm.OpenCount());
    ASSERT_EQ(MMSYSERR_NOERROR, open());
    EXPECT_EQ(MMSYSERR_NOERROR, c.stream ? midiStreamClose(reinterpret_cast<HMIDISTRM>(h))
                                         : midiOutClose(h));
  }
  // Another device is not touched.
  vm.FailOpen(0, MIDIERR_NODEVICE);
  HMIDIOUT h;
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutOpen(&h, 1, 0, 0, CALLBACK_NULL));
  midiOutClose(h);
  EXPECT_EQ(MIDIERR_NODEVICE, midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL));
}

TEST_F(DevicesTest, ErrorTexts) {
  char text[MAXERRORLENGTH];
  EXPECT_EQ(MMSYSERR_NOERROR, midiOutGetErrorTextA(MIDIERR_STILLPLAYING, text, sizeof text));
  EXPECT_STRNE("", text);
  EXPECT_EQ(MMSYSERR_NOERROR, midiInGetErrorTextA(MMSYSERR_ALLOCATED, text, sizeof text));
  EXPECT_STRNE("", text);
  EXPECT_EQ(MMSYSERR_BADERRNUM, midiOutGetErrorTextA(12345, text, sizeof text));
}
