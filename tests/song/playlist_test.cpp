#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "playlist.h"
#include "testsupport.h"

namespace {

bool Parse(const std::string& text) { return ParsePlaylist(text.data(), text.size()); }

// Songs the list hands out in order; "-" where it closes (and stops there).
// Each song named in `failing` is reported as unreadable.
std::vector<std::string> PlayList(int steps, const std::vector<std::string>& failing = {}) {
  std::vector<std::string> out;
  for (int i = 0; i < steps; ++i) {
    ListStep step = NextListSong();
    if (step.action == ListAction::kClose) {
      out.push_back("-");
      break;
    }
    out.push_back(step.song);
    bool fails = false;
    for (const std::string& f : failing) fails = fails || f == step.song;
    ReportListSong(!fails);
  }
  return out;
}

using Songs = std::vector<std::string>;

TEST(Playlist, HeaderInAnyCase) {
  EXPECT_TRUE(Parse("; LOOPCASTFILES\r\nA.G36\r\nB.G36\r\n"));
  EXPECT_EQ((Songs{"A.G36", "B.G36", "A.G36"}), PlayList(3));
  EXPECT_TRUE(Parse("; loopcastfiles list\nA.G36"));
  EXPECT_EQ("A.G36", PlayList(1)[0]);
}

TEST(Playlist, OtherFirstLineHasNoEntries) {
  for (const char* text : {"A.G36\r\nB.G36\r\n", "; Loopcast\r\nA.G36\r\n", ""}) {
    EXPECT_FALSE(Parse(text)) << text;
    EXPECT_EQ(0, g_playlist.total);
    EXPECT_EQ(Songs{"-"}, PlayList(3)) << text;
  }
}

TEST(Playlist, OptionsCommentsAndLineEnds) {
  struct Case { const char* what; std::string text; Songs songs; } cases[] = {
      {"repeats by default", "; LoopcastFiles\r\nA\r\nB\r\n", {"A", "B", "A", "B", "A"}},
      {"repeat no in the middle", "; LoopcastFiles\r\nA\r\n; repeat no\r\nB\r\n", {"A", "B", "-"}},
      {"repeat no then yes", "; LoopcastFiles\n; repeat no\nA\n; repeat yes\n", {"A", "A", "A"}},
      {"repeat no as the very last line", "; LoopcastFiles\nA\nB\n; repeat no", {"A", "B", "-"}},
      {"options are exact", "; LoopcastFiles\nA\n; Repeat no\n;repeat no\n; repeat no \n",
       {"A", "A", "A"}},
      {"comments and blank lines", "; LoopcastFiles\r\n\r\n; first\r\nA\r\n\r\n\r\n; x\rB\n\n",
       {"A", "B", "A"}},
      {"CR, LF, 0 and 0x1A all end lines",
       std::string("; LoopcastFiles\rA\nB\0C\x1A" "D", 24), {"A", "B", "C", "D", "A"}},
      {"control bytes are dropped", "; LoopcastFiles\nA\tB\n", {"AB", "AB"}},
  };
  for (const Case& c : cases) {
    Parse(c.text);
    EXPECT_EQ(c.songs, PlayList(static_cast<int>(c.songs.size()))) << c.what;
  }
}

TEST(Playlist, OneSongRepeatingKeepsPlaying) {
  EXPECT_TRUE(Parse("; LoopcastFiles\r\nONLY.G36\r\n"));
  EXPECT_EQ(1, g_playlist.total);
  EXPECT_EQ(Songs(6, "ONLY.G36"), PlayList(6));
}

TEST(Playlist, FailuresCloseOnlyWhenAWholePassFailed) {
  struct Case { const char* what; std::string text; Songs failing; Songs songs; } cases[] = {
      {"one of three plays", "; LoopcastFiles\nA\nB\nC\n", {"A", "C"},
       {"A", "B", "C", "A", "B", "C", "A"}},
      {"only the last plays", "; LoopcastFiles\nA\nB\nC\n", {"A", "B"},
       {"A", "B", "C", "A", "B", "C"}},
      {"all fail", "; LoopcastFiles\nA\n; note\nB\n", {"A", "B"}, {"A", "B", "-"}},
      {"the one song fails", "; LoopcastFiles\nA\n", {"A"}, {"A", "-"}},
      {"only comments", "; LoopcastFiles\n; a\n; b\n", {}, {"-"}},
      {"non-repeating with failures", "; LoopcastFiles\n; repeat no\nA\nB\n", {"A"},
       {"A", "B", "-"}},
  };
  for (const Case& c : cases) {
    Parse(c.text);
    EXPECT_EQ(c.songs, PlayList(static_cast<int>(c.songs.size()) + (c.songs.back() == "-" ? 1 : 0),
                           c.failing))
        << c.what;
  }
}

// A pass that failed in part is forgotten at the wrap: the next pass counts
// afresh, so songs that come back keep the list going.
TEST(Playlist, FailureCountStartsAgainEachPass) {
  Parse("; LoopcastFiles\nA\nB\n");
  EXPECT_EQ((Songs{"A", "B"}), PlayList(2, {"A"}));
  EXPECT_EQ((Songs{"A", "B"}), PlayList(2, {"B"}));
  EXPECT_EQ((Songs{"A", "B", "-"}), PlayList(3, {"A", "B"}));
}

TEST(Playlist, LongEntryIsBoundedAndNotPlayed) {
  std::string longLine(300, 'x');
  EXPECT_TRUE(Parse("; LoopcastFiles\r\n" + longLine + "\r\nB.G36\r\n"));
  ASSERT_EQ(2, g_playlist.total);
  const PlaylistEntry& entry = g_playlist.entries[1];
  EXPECT_TRUE(entry.tooLong);
  EXPECT_EQ(static_cast<size_t>(kPlaylistEntrySize - 1), strnlen(entry.text, sizeof entry.text));
  EXPECT_EQ((Songs{"B.G36", "B.G36"}), PlayList(2));

  // Exactly 259 characters still fit.
  std::string fits(kPlaylistEntrySize - 1, 'y');
  Parse("; LoopcastFiles\n" + fits + "\n");
  EXPECT_FALSE(g_playlist.entries[1].tooLong);
  EXPECT_EQ(Songs{fits}, PlayList(1));
}

TEST(Playlist, ListLongerThanTheTableIsReadUpToIt) {
  std::string text = "; LoopcastFiles\n";
  for (int i = 0; i < 3000; ++i) text += "S" + std::to_string(i) + "\n";
  EXPECT_TRUE(Parse(text));
  EXPECT_EQ(static_cast<size_t>(kPlaylistCapacity), g_playlist.entries.size());
  EXPECT_EQ(kPlaylistCapacity - 1, g_playlist.total);
  Songs songs = PlayList(kPlaylistCapacity);
  EXPECT_EQ("S0", songs[0]);
  EXPECT_EQ("S" + std::to_string(kPlaylistCapacity - 2), songs[kPlaylistCapacity - 2]);
  EXPECT_EQ("S0", songs[kPlaylistCapacity - 1]);   // wrapped, nothing read past the table
}

TEST(Playlist, ReadsTheFileAndResolvesRelativeSongs) {
  TempDir dir;
  std::string path = dir.File("list.lpc");
  {
    std::string text = "; LoopcastFiles\r\nsong.G36\r\nC:\\abs\\x.G36\r\n";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
  }
  EXPECT_TRUE(ReadPlaylist(path.c_str()));
  EXPECT_EQ(path, g_playlist.path);
  EXPECT_EQ(2, g_playlist.total);
  ListStep first = NextListSong();
  EXPECT_EQ(dir.File("song.G36"), ListSongPath(first.song));
  EXPECT_EQ("C:\\abs\\x.G36", ListSongPath(NextListSong().song));
  EXPECT_EQ("\\root.G36", ListSongPath("\\root.G36"));

  EXPECT_FALSE(ReadPlaylist(dir.File("missing.lpc").c_str()));
}

TEST(Playlist, RelativeSongInAFolderWithTrailByteBackslash) {
  g_playlist.path = "C:\\表\\list.lpc";
  EXPECT_EQ("C:\\表\\a.G36", ListSongPath("a.G36"));
  g_playlist.path = "D:list.lpc";
  EXPECT_EQ("D:a.G36", ListSongPath("a.G36"));
}

TEST(Playlist, SetDirFromPathMakesTheFolderCurrent) {
  char before[MAX_PATH];
  GetCurrentDirectoryA(sizeof before, before);
  TempDir dir;
  char now[MAX_PATH];
  SetDirFromPath(dir.File("x.G36").c_str());
  GetCurrentDirectoryA(sizeof now, now);
  EXPECT_EQ(0, lstrcmpiA(dir.path().c_str(), now));
  SetDirFromPath("C:\\x.G36");   // the root, not the drive's current folder
  GetCurrentDirectoryA(sizeof now, now);
  EXPECT_STREQ("C:\\", now);
  SetCurrentDirectoryA(before);
}

}  // namespace
