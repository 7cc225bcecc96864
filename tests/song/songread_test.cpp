#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appglobals.h"
#include "controlfiles.h"
#include "engine.h"
#include "filterslots.h"
#include "inifile.h"
#include "playlist.h"
#include "plugins.h"
#include "recent.h"
#include "resource.h"
#include "settings.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"
#include "wholefile.h"

namespace {

std::vector<StepEvent> TrackEvents(int n) { return TrackEventsOf(n); }

class SongReadTest : public ::testing::Test {
 protected:
  void SetUp() override { g_app.portsUnavailable = 1; }
  void TearDown() override {
    g_song.trackFileMode = 0;
    g_song.trackWriteMode = 0;
    g_app.portsUnavailable = 1;
    g_engine = EngineEntries{};
    FreeFilterSlots();
  }

  void MakeSong(const std::string& ini) {
    settings.Write(ini);
    FreeSong(frame.hwnd());
    ASSERT_TRUE(NewSong(frame.hwnd()));
  }

  void SetTrack(int n, std::vector<StepEvent> events) {
    events.push_back(EndEvent());
    ReplaceTrackEvents(n, events);
  }

  template <typename F>
  void EditHeader(F f) {
    HGLOBAL h = SongEntry(kHeaderEntry);
    f(*static_cast<SongHeader*>(GlobalLock(h)));
    GlobalUnlock(h);
  }
  template <typename F>
  void EditTrackHeader(int n, F f) {
    HGLOBAL h = SongEntry(TrackHeaderEntry(n));
    f(*static_cast<TrackHeader*>(GlobalLock(h)));
    GlobalUnlock(h);
  }

  std::string Save(const std::string& name) {
    UpdateSongSize(frame.hwnd());
    std::string path = dir.File(name);
    EXPECT_EQ(kWriteOk, WriteSongFile(frame.hwnd(), path.c_str()));
    return path;
  }

  // Every track of the song numbered in its first note: key n (+ offset).
  void NumberTracks(int offset) {
    for (int n = 1; n <= g_song.trackCount; ++n)
      SetTrack(n, {{static_cast<uint8_t>(n + offset), 100, 240, 200}});
  }

  TempSettingsFile settings;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

TEST_F(SongReadTest, SavedReadAndSavedAgainIsByteIdentical) {
  MakeSong("");
  ASSERT_EQ(36, g_song.trackCount);
  // Loops, measure ends, a same-measure reference, a track exclusive with
  // its continuations, a comment, a rhythm track and a key event.
  SetTrack(1, {{60, 100, 480, 400}, {0xF9, 0, 0, 0}, {62, 90, 240, 200}, {0xF8, 0, 2, 0},
               {0xFD, 0, 0, 0}, {64, 80, 480, 9999}, {0xFD, 0, 0, 0}, {0xFC, 0, 49, 0},
               {0xFD, 0, 0, 0}});
  SetTrack(2, {{0x98, 0, 0, 0}, {0xF7, 0xF0, 0x1041, 0x4210}, {0xF7, 0x12, 0x0040, 0xF77F},
               {0xEB, 64, 0, 7}, {0xF6, 0, 0x4241, 0x4443}, {0xF5, 0, 0x11, 0}});
  SetTrack(10, {{36, 127, 120, 1}, {38, 100, 120, 1}, {0xFD, 0, 0, 0}});
  SetTrack(36, {{0xE7, 64, 0, 100}, {0xE6, 0, 0, 17}});
  EditTrackHeader(10, [](TrackHeader& t) { std::memcpy(t.comment, "Drums", 5); });
  EditHeader([](SongHeader& h) {
    std::memcpy(h.title, "Round trip", 10);
    h.tempo = 96;
    h.smpte = {1, 2, 3, 4, 5, 6};
  });
  g_song.markers[0] = 480;
  g_song.markers[3] = 96000;
  std::string first = Save("a.G36");

  MakeSong("");
  EXPECT_EQ(0u, g_song.markers[0]);
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), first.c_str()));
  EXPECT_EQ(36, g_song.trackCount);
  EXPECT_EQ(480u, g_song.markers[0]);
  EXPECT_EQ(96000u, g_song.markers[3]);
  EXPECT_EQ(6, g_settings.smpteBit);
  EXPECT_EQ(9u, TrackEvents(1).size());
  std::string second = Save("b.G36");
  EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(second));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(dir.File("a.G36"), g_song.fileName);
}

TEST_F(SongReadTest, CountZeroReadsEighteenTracks) {
  MakeSong("[OTHER]\norgTrack=20\n");
  NumberTracks(0);
  std::string bytes = ReadFileBytes(Save("z.G36"));
  bytes[520] = 0;
  bytes[521] = 0;
  WriteBytes(dir.File("z.G36"), bytes);

  MakeSong("[OTHER]\norgTrack=18\n");
  ASSERT_EQ(18, g_song.trackCount);
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("z.G36").c_str()));
  EXPECT_EQ(18, g_song.trackCount);
  EXPECT_EQ(18, TrackEvents(18).at(0).code);
  EXPECT_EQ(nullptr, SongEntry(TrackHeaderEntry(19)));
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_EQ(18, static_cast<const SongHeader*>(GlobalLock(h))->trackCount);
  GlobalUnlock(h);
}

TEST_F(SongReadTest, FortyTracksIntoMaxTrackThirtySix) {
  MakeSong("[OTHER]\norgTrack=40\nmaxTrack=40\n");
  ASSERT_EQ(40, g_song.trackCount);
  NumberTracks(0);
  std::string path = Save("forty.G36");

  MakeSong("[OTHER]\nmaxTrack=36\n");
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_TOO_MANY_TRACKS), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[0].style);
  EXPECT_EQ(36, g_song.trackCount);
  EXPECT_EQ(36, TrackEvents(36).at(0).code);
  EXPECT_EQ(nullptr, SongEntry(TrackEventsEntry(37)));
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_EQ(36, static_cast<const SongHeader*>(GlobalLock(h))->trackCount);
  GlobalUnlock(h);
}

TEST_F(SongReadTest, AppendModeAddsEachFileTrackRescaled) {
  MakeSong("[OTHER]\norgTrack=4\nTimeBase=240\n");
  SetTrack(1, {{50, 100, 120, 60}, {0xFD, 0, 0, 0}});
  EditTrackHeader(1, [](TrackHeader& t) { std::memcpy(t.comment, "From file", 9); });
  EditHeader([](SongHeader& h) { std::memcpy(h.title, "File title", 10); });
  std::string path = Save("part.G36");

  MakeSong("[OTHER]\norgTrack=4\nTimeBase=480\n");
  SetTrack(1, {{40, 100, 480, 100}});
  SetTrack(3, {{41, 100, 480, 100}});
  g_song.trackFileMode = 1;
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  std::vector<StepEvent> t1 = TrackEvents(1);
  ASSERT_EQ(3u, t1.size());
  EXPECT_EQ(40, t1[0].code);
  EXPECT_EQ(50, t1[1].code);
  EXPECT_EQ(240, t1[1].step);   // 120 ticks at 240 are 240 at 480
  EXPECT_EQ(120, t1[1].gate);
  EXPECT_EQ(0xFD, t1[2].code);
  EXPECT_EQ(1u, TrackEvents(3).size());
  // The file's track header replaces the song's; the song header stays.
  HGLOBAL th = SongEntry(TrackHeaderEntry(1));
  EXPECT_EQ(0, std::memcmp(static_cast<const TrackHeader*>(GlobalLock(th))->comment, "From file", 9));
  GlobalUnlock(th);
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_NE(0, std::memcmp(static_cast<const SongHeader*>(GlobalLock(h))->title, "File title", 10));
  GlobalUnlock(h);
  // The block was shrunk back to its events, the end event and a spare slot.
  EXPECT_LT(GlobalSize(SongEntry(TrackEventsEntry(1))), 64u);
  // Sizes are in their memory form before any recount.
  HGLOBAL th3 = SongEntry(TrackHeaderEntry(3));
  EXPECT_EQ(48u + 6, static_cast<const TrackHeader*>(GlobalLock(th3))->size);
  GlobalUnlock(th3);
}

TEST_F(SongReadTest, FromTrackNineteenKeepsTheFirstEighteenAndLaterSavesAreWhole) {
  MakeSong("[OTHER]\norgTrack=18\n");
  NumberTracks(50);
  std::string path = Save("eighteen.G36");

  MakeSong("");
  NumberTracks(0);
  g_song.trackFileMode = 2;
  g_song.startTrack = 18;
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  EXPECT_EQ(36, g_song.trackCount);
  for (int n = 1; n <= 18; ++n) EXPECT_EQ(n, TrackEvents(n).at(0).code) << n;
  for (int n = 19; n <= 36; ++n) EXPECT_EQ(n - 18 + 50, TrackEvents(n).at(0).code) << n;

  // The read mode does not narrow the next save.
  std::string saved = ReadFileBytes(Save("after.G36"));
  EXPECT_EQ(36, static_cast<uint8_t>(saved[520]));
}

TEST_F(SongReadTest, FromTrackNineteenBringsTheFileToTheSongsTimeBase) {
  MakeSong("[OTHER]\norgTrack=2\nTimeBase=96\n");
  SetTrack(1, {{50, 100, 96, 48}, {0xEC, 0, 0, 5}, {51, 90, 24, 12}});
  std::string path = Save("slow.G36");

  MakeSong("[OTHER]\norgTrack=18\nTimeBase=480\n");
  g_song.trackFileMode = 2;
  g_song.startTrack = 18;
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_EQ(480, static_cast<const SongHeader*>(GlobalLock(h))->timeBase);
  GlobalUnlock(h);
  std::vector<StepEvent> t = TrackEvents(19);
  ASSERT_GE(t.size(), 3u);
  EXPECT_EQ(480, t[0].step);   // a quarter at 96 is a quarter at 480
  EXPECT_EQ(240, t[0].gate);
  EXPECT_EQ(5, t[1].gate);     // a program number is not a time
  EXPECT_EQ(120, t[2].step);
  EXPECT_EQ(60, t[2].gate);
}

// The format of the test filter (tests/testfilter): its time base, tempo 120,
// 4/4 and one track.
std::string TestFilterImage(uint16_t timeBase, const std::vector<StepEvent>& track) {
  auto le16 = [](uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
  std::string s = "TESTSONG" + le16(timeBase) + le16(120) + "\x04\x04\x01";
  s += le16(static_cast<uint16_t>(track.size()));
  s.append(reinterpret_cast<const char*>(track.data()), track.size() * sizeof(StepEvent));
  return s;
}

// A filter may leave a file at its own time base (the SMF filter does with
// LOADONTBCVT=1) and says so in the song header it was given. Appended or
// loaded from track 19, the events are brought to the song's time base; read
// as the whole song, the song takes the file's header and keeps its times.
TEST_F(SongReadTest, ForeignFileAtAnotherTimeBaseIsRescaledUnlessItIsTheWholeSong) {
  struct Case {
    int mode;
    int track;
    uint16_t timeBase;   // the song's after the read
    StepEvent first, second;
  };
  const Case cases[] = {
      {0, 1, 96, {50, 100, 96, 48}, {52, 90, 24, 12}},
      {1, 1, 240, {50, 100, 240, 120}, {52, 90, 60, 30}},
      {2, 19, 240, {50, 100, 240, 120}, {52, 90, 60, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    MakeSong("[OTHER]\nTimeBase=240\n[Filter]\nImport0=zktestfilter.dll\n");
    BindFilterSlots();
    SetTrack(1, {{40, 100, 480, 100}});
    std::string path = dir.File("tb96.tst");
    WriteBytes(path, TestFilterImage(96, {{50, 100, 96, 48}, {52, 90, 24, 12}}));
    g_song.trackFileMode = c.mode;
    ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
    EXPECT_TRUE(boxes.boxes.empty());
    HGLOBAL h = SongEntry(kHeaderEntry);
    EXPECT_EQ(c.timeBase, static_cast<const SongHeader*>(GlobalLock(h))->timeBase);
    GlobalUnlock(h);
    std::vector<StepEvent> t = TrackEvents(c.track);
    size_t at = c.mode == 1 ? 1 : 0;   // appended after the song's note
    ASSERT_EQ(at + 2, t.size());
    for (const StepEvent& want : {c.first, c.second}) {
      EXPECT_EQ(want.code, t[at].code);
      EXPECT_EQ(want.vel, t[at].vel);
      EXPECT_EQ(want.step, t[at].step);
      EXPECT_EQ(want.gate, t[at].gate);
      ++at;
    }
    if (c.mode == 2) {
      EXPECT_EQ(40, TrackEvents(1).at(0).code);
    }
    FreeFilterSlots();
  }
}

TEST_F(SongReadTest, PlaylistInAnyCaseStartsListPlay) {
  MakeSong("");
  WriteBytes(dir.File("list.txt"), "; loopcastfiles\r\nsong1.G36\r\nsong2.G36\r\n");
  MSG msg;
  while (PeekMessageA(&msg, frame.hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
  }
  EXPECT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("list.txt").c_str()));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(2, g_playlist.total);
  ASSERT_TRUE(PeekMessageA(&msg, frame.hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(2379u, msg.wParam);
  // The open song is left alone.
  EXPECT_EQ(36, g_song.trackCount);
}

TEST_F(SongReadTest, MissingFileIsReported) {
  MakeSong("");
  std::string path = dir.File("none.G36");
  EXPECT_EQ(0, ReadSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CANNOT_OPEN), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes[0].style);
  EXPECT_EQ("ファイル '" + path + "' を開けません。", boxes.boxes[0].text);
}

TEST_F(SongReadTest, UnknownFileWithoutFilterIsNotSongData) {
  MakeSong("");
  WriteBytes(dir.File("x.mid"), std::string("MThd\0\0\0\6", 8) + std::string(100, 'x'));
  EXPECT_EQ(0, ReadSongFile(frame.hwnd(), dir.File("x.mid").c_str()));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_NOT_SONG_DATA), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONSTOP), boxes.boxes[0].style);
  EXPECT_EQ(36, g_song.trackCount);
  EXPECT_NE(nullptr, SongEntry(TrackEventsEntry(36)));
}

// Control files.
std::string ControlImage(ControlFileKind kind, DWORD size) {
  std::string bytes(size, '\x55');
  if (kind == kControlMT32) {
    std::memcpy(&bytes[0], "HALVERSTROMMA\0\0\0R CM-64", 23);
  } else {
    std::memcpy(&bytes[0], "HALVERSTROMMA\0GS CONTROL 1.0", 28);
  }
  return bytes;
}

TEST(ControlFiles, SignaturesAndPaths) {
  struct Case {
    ControlFileKind kind;
    std::string head;
    bool expected;
  } cases[] = {
      {kControlMT32, std::string("HALVERSTROMMA\0\0\0R MT-32", 23), true},
      {kControlMT32, std::string("HALVERSTROMMA\0\0\0R CM-64", 23), true},
      {kControlMT32, std::string("HALVERSTROMMA\0\0\0R CM-6", 22), false},
      {kControlMT32, std::string("HALVERSTROMMA\0\0 R MT-32", 23), false},
      {kControlMT32, std::string("HALVERSTROMMA\0GS CONTROL 1.0", 28), false},
      {kControlGS, std::string("HALVERSTROMMA\0GS CONTROL 1.0", 28), true},
      {kControlGS, std::string("HALVERSTROMMA\0GS CONTROL 1.1", 28), false},
      {kControlGS, std::string("HALVERSTROMMA\0\0\0R MT-32", 23), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, HasControlSignature(c.kind, c.head.data(), c.head.size())) << c.head;
  }
  char name[16];
  std::memcpy(name, "D:\\x\\a.b        ", 16);
  EXPECT_EQ("C:\\songs\\a.b", ControlFilePath("C:\\songs\\s.G36", name, kControlGS));
  std::memcpy(name, "setup\0\0\0\0\0\0\0\0\0\0\0", 16);
  EXPECT_EQ("C:\\songs\\setup.cm6", ControlFilePath("C:\\songs\\s.G36", name, kControlMT32));
  std::memcpy(name, "                ", 16);
  EXPECT_EQ("", ControlFilePath("C:\\songs\\s.G36", name, kControlMT32));
}

struct SendLog {
  int mt32Total = -1, gsTotal = -1, gsPort = -1, laPort = -1;
  int* progress = nullptr;
  std::string mt32Bytes;
} g_sends;
int WINAPI FakeSendMT32(HWND, HGLOBAL image, int la, int, int* progress, int total, int) {
  g_sends.mt32Total = total;
  g_sends.laPort = la;
  g_sends.progress = progress;
  g_sends.mt32Bytes.assign(static_cast<const char*>(GlobalLock(image)), 23);
  GlobalUnlock(image);
  *progress += 103;
  return 1;
}
int WINAPI FakeGSSend(HWND, HGLOBAL, int port, int* progress, int total, int) {
  g_sends.gsTotal = total;
  g_sends.gsPort = port;
  EXPECT_EQ(g_sends.progress, progress);
  EXPECT_EQ(103, *progress);
  return 1;
}

TEST_F(SongReadTest, ControlFilesLoadBySignatureBesideTheSong) {
  MakeSong("");
  // Names as saved: one without its extension, one with a foreign directory.
  EditHeader([](SongHeader& h) {
    std::memcpy(h.mt32File, "setup           ", 16);
    std::memcpy(h.gsFile, "C:\\old\\gs.gsd\0\0\0", 16);
  });
  std::string path = Save("ctl.G36");
  WriteBytes(dir.File("setup.cm6"), ControlImage(kControlMT32, kMT32ImageSize));
  WriteBytes(dir.File("gs.gsd"), ControlImage(kControlGS, kGSImageSize));

  MakeSong("");
  g_app.portsUnavailable = 0;
  g_settings.laPort = 1;
  g_settings.gsPort = 2;
  g_engine.sendMT32All = FakeSendMT32;
  g_engine.gsSendAll = FakeGSSend;
  g_sends = SendLog{};
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  EXPECT_TRUE(boxes.boxes.empty());
  ASSERT_NE(nullptr, g_controlImages[kControlMT32]);
  ASSERT_NE(nullptr, g_controlImages[kControlGS]);
  EXPECT_EQ(kMT32ImageSize, GlobalSize(g_controlImages[kControlMT32]));
  EXPECT_EQ(std::string("HALVERSTROMMA\0\0\0R CM-64", 23), g_sends.mt32Bytes);
  EXPECT_EQ(211, g_sends.mt32Total);
  EXPECT_EQ(211, g_sends.gsTotal);
  EXPECT_EQ(1, g_sends.laPort);
  EXPECT_EQ(2, g_sends.gsPort);

  // With the ports unavailable they load but nothing is sent.
  MakeSong("");
  g_app.portsUnavailable = 1;
  g_sends = SendLog{};
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  EXPECT_NE(nullptr, g_controlImages[kControlGS]);
  EXPECT_EQ(-1, g_sends.mt32Total);
}

int g_waits = 0;
int WINAPI CountWait(int) { return ++g_waits; }

TEST_F(SongReadTest, CtrlHeldSendsTheAfterOpenSequenceButNotTheControlData) {
  MakeSong("");
  EditHeader([](SongHeader& h) { std::memcpy(h.mt32File, "setup", 5); });
  std::string path = Save("ctrl.G36");
  WriteBytes(dir.File("setup.cm6"), ControlImage(kControlMT32, kMT32ImageSize));
  MakeSong("");
  AppSettings saved = g_settings;
  std::snprintf(g_settings.soundModuleInit, sizeof g_settings.soundModuleInit, ",,");
  g_app.portsUnavailable = 0;
  g_engine.waitExec = CountWait;
  g_engine.sendMT32All = FakeSendMT32;
  g_sends = SendLog{};
  g_waits = 0;
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE held = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  int read = ReadSongFile(frame.hwnd(), path.c_str());
  keys[VK_CONTROL] = held;
  SetKeyboardState(keys);
  g_settings = saved;
  ASSERT_EQ(1, read);
  EXPECT_EQ(2, g_waits);
  EXPECT_NE(nullptr, g_controlImages[kControlMT32]);
  EXPECT_EQ(-1, g_sends.mt32Total);

  // Without Ctrl the same read sends the image.
  MakeSong("");
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  EXPECT_EQ(103, g_sends.mt32Total);
}

TEST_F(SongReadTest, ControlFileFailuresAreReportedAndSkipped) {
  MakeSong("");
  EditHeader([](SongHeader& h) {
    std::memcpy(h.mt32File, "absent.cm6", 10);
    std::memcpy(h.gsFile, "wrong", 5);
  });
  std::string path = Save("bad.G36");
  std::string notGs = ControlImage(kControlGS, kGSImageSize);
  notGs[20] = 'X';
  WriteBytes(dir.File("wrong.gsd"), notGs);

  MakeSong("");
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CANNOT_OPEN), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[0].style);
  EXPECT_EQ(UINT(IDS_CONTROL_UNKNOWN), boxes.boxes[1].stringId);
  EXPECT_EQ("'" + dir.File("wrong.gsd") + "'のコントロールファイルを扱うことができません。",
            boxes.boxes[1].text);
  EXPECT_EQ(nullptr, g_controlImages[kControlGS]);

  // A short image with the right signature is refused too.
  WriteBytes(dir.File("wrong.gsd"), ControlImage(kControlGS, 100));
  MakeSong("");
  boxes.boxes.clear();
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CONTROL_UNKNOWN), boxes.boxes[1].stringId);
  EXPECT_EQ(nullptr, g_controlImages[kControlGS]);
}

// A plug-in that knows GS files; in "taker" mode it takes them.
bool g_pluginTakes = false;
HGLOBAL g_pluginBlock = nullptr;
std::string g_pluginPath;
int WINAPI PluginKnows(uint16_t, HGLOBAL head, int) {
  int known = std::memcmp(GlobalLock(head), "PLUG", 4) == 0;
  GlobalUnlock(head);
  return known;
}
int WINAPI PluginInfo(uint16_t, void* record) {
  auto* info = static_cast<ControllerInfo*>(record);
  if (info->size != sizeof(ControllerInfo) || !g_pluginTakes) return 0;
  info->controlBytes = kGSImageSize;
  info->progressSteps = 7;
  g_pluginBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kGSImageSize);
  info->controlBlock = g_pluginBlock;
  return 1;
}
void WINAPI PluginSetData(uint16_t, HGLOBAL, const char* path) { g_pluginPath = path ? path : ""; }

TEST_F(SongReadTest, ControlFileOfferedToPlugins) {
  MakeSong("");
  EditHeader([](SongHeader& h) { std::memcpy(h.gsFile, "gs", 2); });
  std::string path = Save("plug.G36");
  WriteBytes(dir.File("gs.gsd"), "PLUG" + std::string(kGSImageSize - 4, '\x21'));
  ControllerPlugin saved = g_plugins[3];
  g_plugins[3] = ControllerPlugin{};
  g_plugins[3].id = 77;
  g_plugins[3].knowsControlFile = PluginKnows;
  g_plugins[3].information = PluginInfo;
  g_plugins[3].setSongData = PluginSetData;

  // Known but not taken: message 1948.
  g_pluginTakes = false;
  MakeSong("");
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_CONTROL_NOT_LOADABLE), boxes.boxes[0].stringId);
  EXPECT_EQ(nullptr, g_controlImages[kControlGS]);

  // Taken: the file goes into the plug-in's block, which is its song data.
  g_pluginTakes = true;
  boxes.boxes.clear();
  MakeSong("");
  ASSERT_EQ(1, ReadSongFile(frame.hwnd(), path.c_str()));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(nullptr, g_controlImages[kControlGS]);
  ASSERT_EQ(g_pluginBlock, g_plugins[3].songData);
  EXPECT_EQ(0, std::memcmp(GlobalLock(g_pluginBlock), "PLUG!!!", 7));
  GlobalUnlock(g_pluginBlock);
  EXPECT_EQ(dir.File("gs.gsd"), g_pluginPath);
  FreeSong(frame.hwnd());
  g_plugins[3] = saved;
}

TEST_F(SongReadTest, RecentFileOpensTheListedSong) {
  MakeSong("");
  EditHeader([](SongHeader& h) { std::memcpy(h.title, "Recent", 6); });
  std::string path = Save("recent.G36");
  MakeSong("");
  IniWriteString(kFilesSection, "LastOpen2", path.c_str());
  g_song.trackFileMode = 1;
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  OpenRecentFile(kRecentFileFirstId + 1);
  SetCurrentDirectoryA(cwd);   // the open made the song's folder current
  EXPECT_EQ(0, g_song.trackFileMode);
  HGLOBAL h = SongEntry(kHeaderEntry);
  EXPECT_EQ(0, std::memcmp(static_cast<const SongHeader*>(GlobalLock(h))->title, "Recent", 6));
  GlobalUnlock(h);
  EXPECT_EQ(path, RecentFile(1));
  EXPECT_EQ(dir.path(), IniGetString(kFilesSection, kLastDataDirectoryKey, "", 260));
}

// Append operations.
TEST(RescaleTimeBase, CarriesTheRemainderAndLeavesDataAlone) {
  std::vector<StepEvent> e = {
      {60, 100, 1, 3},            // 1 * 240 / 480: 0, remainder 240
      {62, 100, 1, 480},          // (240 + 240) / 480: 1
      {0xEB, 64, 10, 7},          // command: step scaled, parameter kept
      {0x98, 0, 0, 0},
      {0xF7, 0x41, 0x1234, 0x5678},   // exclusive data untouched
      {64, 100, 0, 960},          // gate reaches the next note 64
      {64, 100, 480, 100},
      EndEvent(),
      {1, 2, 3, 4}};              // after the end: untouched
  RescaleTimeBase(e.data(), static_cast<int>(e.size()), 480, 240);
  EXPECT_EQ(0, e[0].step);
  EXPECT_EQ(1, e[0].gate);
  EXPECT_EQ(1, e[1].step);
  EXPECT_EQ(240, e[1].gate);
  EXPECT_EQ(5, e[2].step);
  EXPECT_EQ(7, e[2].gate);
  EXPECT_EQ(0x1234, e[4].step);
  EXPECT_EQ(0x5678, e[4].gate);
  EXPECT_EQ(9999, e[5].gate);
  EXPECT_EQ(240, e[6].step);
  EXPECT_EQ(3, e[8].step);
}

TEST(RescaleTimeBase, ZeroTimeBaseAndOverflow) {
  std::vector<StepEvent> e = {{60, 100, 40000, 40000}, EndEvent()};
  std::vector<StepEvent> copy = e;
  RescaleTimeBase(e.data(), 2, 0, 480);
  RescaleTimeBase(e.data(), 2, 480, 0);
  EXPECT_EQ(0, std::memcmp(copy.data(), e.data(), 12));
  RescaleTimeBase(e.data(), 2, 48, 480);
  EXPECT_EQ(0xFFFF, e[0].step);
  EXPECT_EQ(0xFFFF, e[0].gate);
}

TEST(AppendTrackEvents, StopsAtTheTrackLimit) {
  MessageBoxRecorder boxes;
  HGLOBAL song = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kFullBlockBytes);
  auto* s = static_cast<StepEvent*>(GlobalLock(song));
  for (int i = 0; i < kMaxTrackEvents - 2; ++i) s[i] = {60, 1, 1, 1};
  s[kMaxTrackEvents - 2] = EndEvent();
  GlobalUnlock(song);
  HGLOBAL file = GlobalAlloc(GMEM_MOVEABLE, 6 * sizeof(StepEvent));
  auto* f = static_cast<StepEvent*>(GlobalLock(file));
  for (int i = 0; i < 5; ++i) f[i] = {static_cast<uint8_t>(70 + i), 1, 1, 1};
  f[5] = EndEvent();
  GlobalUnlock(file);

  EXPECT_EQ(0, AppendTrackEvents(4, song, file));
  s = static_cast<StepEvent*>(GlobalLock(song));
  EXPECT_EQ(kMaxTrackEvents, CountEvents(s, kTrackSlots));
  EXPECT_EQ(71, s[kMaxTrackEvents - 1].code);
  EXPECT_EQ(kEndCode, s[kMaxTrackEvents].code);
  GlobalUnlock(song);
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(UINT(IDS_APPEND_TRACK_FULL), boxes.boxes[0].stringId);
  EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), boxes.boxes[0].style);
  EXPECT_EQ(0u, boxes.boxes[0].text.find("5トラック"));

  // Room enough: everything up to the file's end event.
  s = static_cast<StepEvent*>(GlobalLock(song));
  s[10] = EndEvent();
  GlobalUnlock(song);
  EXPECT_EQ(1, AppendTrackEvents(0, song, file));
  EXPECT_EQ(15, CountEvents(static_cast<const StepEvent*>(GlobalLock(song)), kTrackSlots));
  GlobalUnlock(song);
  GlobalFree(song);
  GlobalFree(file);
}

TEST(ReadWholeFile, ReadsInPiecesAndRefusesAShortFile) {
  TempDir dir;
  std::string bytes(70001, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  WriteBytes(dir.File("w.bin"), bytes);
  HANDLE f = CreateFileA(dir.File("w.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  HGLOBAL whole = ReadWholeFile(f, 70001);
  ASSERT_NE(nullptr, whole);
  EXPECT_GE(GlobalSize(whole), 70002u);
  auto* p = static_cast<const char*>(GlobalLock(whole));
  EXPECT_EQ(bytes, std::string(p, 70001));
  EXPECT_EQ(0, p[70001]);
  GlobalUnlock(whole);
  GlobalFree(whole);
  // Asked for more than the file holds: no block.
  EXPECT_EQ(nullptr, ReadWholeFile(f, 70100));
  // A block smaller than asked is filled, never overrun.
  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 100);
  EXPECT_LE(ReadFileIntoBlock(f, 70001, small), GlobalSize(small));
  GlobalFree(small);
  CloseHandle(f);
}

}  // namespace
