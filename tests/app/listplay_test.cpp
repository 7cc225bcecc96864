#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "engine.h"
#include "listplay.h"
#include "playlist.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

using Steps = std::vector<std::string>;

int g_enginePlaying = 0;
int WINAPI FakeCheckPlaying() { return g_enginePlaying; }

class ListPlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_app.portsUnavailable = 1;
    GetCurrentDirectoryA(sizeof cwd_, cwd_);
    Drain();
  }
  void TearDown() override {
    g_engine = EngineEntries{};
    g_enginePlaying = 0;
    g_playlist = PlaylistState{};
    g_song.trackFileMode = 0;
    g_song.startTrack = 0;
    SetCurrentDirectoryA(cwd_);
  }

  // A song file whose track 1 begins with a note of the given key, so that a
  // loaded song tells which file it came from.
  void WriteSong(const std::string& name, uint8_t key) {
    FreeSong(frame.hwnd());
    ASSERT_TRUE(NewSong(frame.hwnd()));
    ReplaceTrackEvents(1, {{key, 100, 240, 200}, EndEvent()});
    UpdateSongSize(frame.hwnd());
    ASSERT_EQ(kWriteOk, WriteSongFile(frame.hwnd(), dir.File(name).c_str()));
  }

  // Opens the list as the reader does; its 2379 starts list play.
  void OpenList(const std::string& text) {
    WriteBytes(dir.File("list.lpc"), text);
    ASSERT_EQ(1, ReadSongFile(frame.hwnd(), dir.File("list.lpc").c_str()));
    ASSERT_EQ(Steps{"next"}, Drain());
  }

  // What the frame was posted, as "play", "next" and "close".
  Steps Drain() {
    Steps out;
    MSG msg;
    while (PeekMessageA(&msg, frame.hwnd(), 0, 0, PM_REMOVE)) {
      if (msg.message == WM_CLOSE) out.push_back("close");
      if (msg.message == WM_COMMAND && msg.wParam == 2350) out.push_back("play");
      if (msg.message == WM_COMMAND && msg.wParam == 2379) out.push_back("next");
    }
    return out;
  }

  std::string LoadedSong() {
    std::vector<StepEvent> events = TrackEventsOf(1);
    if (events.empty()) return "empty";
    switch (events[0].code) {
      case 60: return "A";
      case 62: return "B";
      default: return "?";
    }
  }

  // Answers each 2379 as the frame would, and each Play with an end of play
  // (which brings 2379 again). A song played shows as "play A".
  Steps Run(int limit) {
    Steps out;
    for (int i = 0; i < limit; ++i) {
      PlayNextListSong(frame.hwnd());
      Steps posted = Drain();
      if (posted.size() != 1) {
        out.push_back(posted.empty() ? "nothing" : "several");
        break;
      }
      out.push_back(posted[0] == "play" ? "play " + LoadedSong() : posted[0]);
      if (posted[0] == "close") break;
    }
    return out;
  }

  char cwd_[MAX_PATH] = {};
  TempSettingsFile settings;
  TestFrame frame;
  TempDir dir;
  MessageBoxRecorder boxes;
};

TEST_F(ListPlayTest, PlaysSongsSkipsFailuresAndCloses) {
  struct Case {
    const char* what;
    std::string list;
    int limit;
    Steps steps;
    size_t boxes;   // one per song that could not be opened
  } cases[] = {
      {"repeat no", "; LoopcastFiles\r\nA.G36\r\nmissing.G36\r\nB.G36\r\n; repeat no\r\n", 10,
       {"play A", "next", "play B", "close"}, 1},
      {"repeats by default", "; LoopcastFiles\r\nA.G36\r\nmissing.G36\r\nB.G36\r\n", 7,
       {"play A", "next", "play B", "play A", "next", "play B", "play A"}, 2},
      {"comments and blank lines", "; LoopcastFiles\n\n; a comment\nB.G36\n\n; repeat no\n", 5,
       {"play B", "close"}, 0},
      {"every song fails: one pass", "; LoopcastFiles\nX.G36\n; note\nY.G36\n", 10,
       {"next", "next", "close"}, 2},
      {"one song repeating", "; LoopcastFiles\nA.G36\n", 4,
       {"play A", "play A", "play A", "play A"}, 0},
  };
  for (const Case& c : cases) {
    WriteSong("A.G36", 60);
    WriteSong("B.G36", 62);
    boxes.boxes.clear();
    OpenList(c.list);
    EXPECT_EQ(c.steps, Run(c.limit)) << c.what;
    EXPECT_EQ(c.boxes, boxes.boxes.size()) << c.what;
    EXPECT_FALSE(g_playlist.busy) << c.what;
    g_playlist = PlaylistState{};
  }
}

TEST_F(ListPlayTest, SongIsLoadedInPlaceOfTheOpenOneAndItsFolderMadeCurrent) {
  WriteSong("A.G36", 60);
  // A song of fewer notes is open, and the last read was a merge.
  ReplaceTrackEvents(1, {EndEvent()});
  ReplaceTrackEvents(20, {{70, 100, 240, 200}, EndEvent()});
  g_song.trackFileMode = 2;
  g_song.startTrack = 18;
  OpenList("; LoopcastFiles\r\nA.G36\r\n");
  SetCurrentDirectoryA("C:\\");
  EXPECT_EQ(Steps{"play A"}, Run(1));
  EXPECT_TRUE(TrackEventsOf(20).empty());
  char now[MAX_PATH];
  GetCurrentDirectoryA(sizeof now, now);
  EXPECT_EQ(0, lstrcmpiA(dir.path().c_str(), now));
}

// 2379 follows every end of play: after an ordinary play, and after a list
// that has ended, it must not close the program.
TEST_F(ListPlayTest, NothingWithoutAListBeingPlayed) {
  WriteSong("A.G36", 60);
  g_playlist = PlaylistState{};
  EXPECT_EQ(Steps{"nothing"}, Run(1));
  EXPECT_EQ("A", LoadedSong());

  OpenList("; LoopcastFiles\nA.G36\n; repeat no\n");
  EXPECT_EQ((Steps{"play A", "close"}), Run(5));
  EXPECT_EQ(Steps{"nothing"}, Run(1));
}

TEST_F(ListPlayTest, NothingWhilePlayingOrBusy) {
  WriteSong("A.G36", 60);
  WriteSong("B.G36", 62);
  OpenList("; LoopcastFiles\nA.G36\nB.G36\n");
  ReplaceTrackEvents(1, {EndEvent()});
  const int current = g_playlist.current;

  g_engine.checkPlaying = FakeCheckPlaying;
  g_enginePlaying = 1;
  EXPECT_EQ(Steps{"nothing"}, Run(1));
  g_enginePlaying = 0;
  g_playlist.busy = true;
  EXPECT_EQ(Steps{"nothing"}, Run(1));
  EXPECT_EQ(current, g_playlist.current);
  EXPECT_EQ("empty", LoadedSong());

  g_playlist.busy = false;
  EXPECT_EQ((Steps{"play A", "play B"}), Run(2));
}

TEST_F(ListPlayTest, NestedPlaylistIsSkippedAndCounted) {
  WriteSong("A.G36", 60);
  WriteBytes(dir.File("other.lpc"), "; LOOPCASTFILES\r\nB.G36\r\n");
  OpenList("; LoopcastFiles\r\nlist.lpc\r\nA.G36\r\nother.lpc\r\n");
  EXPECT_EQ(Steps{"next"}, Run(1));
  EXPECT_EQ(1, g_playlist.failures);
  // The list itself was not read again.
  EXPECT_EQ(3, g_playlist.total);
  EXPECT_EQ(dir.File("list.lpc"), g_playlist.path);
  EXPECT_EQ((Steps{"play A", "next", "next", "play A"}), Run(4));
  EXPECT_TRUE(boxes.boxes.empty());

  // A list naming only playlists fails its whole pass.
  OpenList("; LoopcastFiles\r\nlist.lpc\r\nother.lpc\r\n");
  EXPECT_EQ((Steps{"next", "next", "close"}), Run(5));
}

}  // namespace
