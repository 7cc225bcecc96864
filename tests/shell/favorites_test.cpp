// The favourites command of the program running in the test process, driven
// through its two dialogs as a user drives them; what it leaves in
// [Favorites] of the settings file is the result.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "appglobals.h"
#include "favorites.h"
#include "inifile.h"
#include "inprocess.h"
#include "resource.h"
#include "shellprocess.h"
#include "testsupport.h"

namespace {

constexpr char kMissing[] = "<missing>";

// Every key's value, kMissing where there is no key.
std::vector<std::string> Stored() {
  std::vector<std::string> values;
  for (int n = 0; n < kFavoriteCount; ++n) {
    std::string v = IniGetString(kFavoritesSection, FavoriteKey(n).c_str(), "\x01", 600);
    values.push_back(v == "\x01" ? kMissing : v);
  }
  return values;
}

void Seed(const std::vector<std::string>& values) {
  for (size_t n = 0; n < values.size(); ++n)
    if (values[n] != kMissing) IniWriteString(kFavoritesSection, FavoriteKey(static_cast<int>(n)).c_str(), values[n].c_str());
}

std::vector<std::string> WithMissing(std::vector<std::string> values) {
  values.resize(kFavoriteCount, kMissing);
  return values;
}
std::vector<std::string> WithEmpty(std::vector<std::string> values) {
  values.resize(kFavoriteCount, "");
  return values;
}

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_FAVORITE_LIST); }
std::vector<std::string> Names(HWND dialog) {
  std::vector<std::string> names;
  const int count = static_cast<int>(SendMessageA(ListOf(dialog), LB_GETCOUNT, 0, 0));
  for (int n = 0; n < count; ++n) {
    char text[600] = "";
    SendMessageA(ListOf(dialog), LB_GETTEXT, n, reinterpret_cast<LPARAM>(text));
    names.push_back(text);
  }
  return names;
}
int Selected(HWND dialog) { return static_cast<int>(SendMessageA(ListOf(dialog), LB_GETCURSEL, 0, 0)); }
// As a click in the list does (-1: nothing selected).
void Select(HWND dialog, int n) { SendMessageA(ListOf(dialog), LB_SETCURSEL, n, 0); }
void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
std::string TextOf(HWND dialog, int id) {
  char text[600] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// What an entry dialog showed, and what the user typed before OK.
struct EntrySeen {
  std::string caption, name, address;
};
using Step = std::function<void(HWND dialog)>;
Step TypeEntry(const std::string& name, const std::string& address, EntrySeen* seen = nullptr) {
  return [=](HWND dialog) {
    if (seen) *seen = {TitleOf(dialog), TextOf(dialog, IDC_FAVORITE_NAME), TextOf(dialog, IDC_FAVORITE_ADDRESS)};
    SetDlgItemTextA(dialog, IDC_FAVORITE_NAME, name.c_str());
    SetDlgItemTextA(dialog, IDC_FAVORITE_ADDRESS, address.c_str());
    Click(dialog, IDOK);
  };
}
Step CancelEntry(EntrySeen* seen) {
  return [=](HWND dialog) {
    *seen = {TitleOf(dialog), TextOf(dialog, IDC_FAVORITE_NAME), TextOf(dialog, IDC_FAVORITE_ADDRESS)};
    Click(dialog, IDCANCEL);
  };
}

struct RunResult {
  int lists = 0;    // list dialogs shown
  int entries = 0;  // entry dialogs shown
  int others = 0;   // anything else (cancelled)
};

// Runs the frame's favourites command: onList acts in the list dialog and
// ends it; each entry dialog it opens gets the next step. A dialog a failed
// assertion left open is cancelled.
RunResult RunFavorites(const Step& onList, std::vector<Step> entrySteps = {}) {
  RunResult result;
  size_t next = 0;
  DialogWatch watch([&](HWND dialog) {
    if (GetDlgItem(dialog, IDC_FAVORITE_DELETE)) {
      ++result.lists;
      onList(dialog);
    } else if (GetDlgItem(dialog, IDC_FAVORITE_NAME)) {
      ++result.entries;
      if (next < entrySteps.size()) entrySteps[next++](dialog);
    } else {
      ++result.others;
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Command(IDM_HELP_FAVORITES);
  EXPECT_EQ(next, entrySteps.size()) << "entry dialogs shown";
  return result;
}

class FavoritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    Clear();
  }
  void TearDown() override {
    Clear();
    SetEnvironmentVariableA("ZK_LINKPROBE_MARKER", nullptr);
    ClearSongModified();
  }
  static void Clear() { WritePrivateProfileStringA(kFavoritesSection, nullptr, nullptr, SettingsFilePath()); }
};

TEST_F(FavoritesTest, ShowsTheStoredEntriesAndCancelWritesNothing) {
  const auto seeded = WithMissing({"Alpha=http://alpha.example/", "no equals", "", "Beta=http://beta.example/?a=1"});
  Seed(seeded);
  std::vector<std::string> shown, afterEdits;
  std::string caption;
  int selected = -2;
  bool addEnabled = false;
  RECT dialogRect{}, frameRect{};
  const RunResult run = RunFavorites(
      [&](HWND dialog) {
        caption = TitleOf(dialog);
        shown = Names(dialog);
        selected = Selected(dialog);
        addEnabled = Enabled(dialog, IDC_FAVORITE_ADD);
        GetWindowRect(dialog, &dialogRect);
        GetWindowRect(g_app.frame, &frameRect);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
        EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\favorites.bmp"));
        // Changes made before Cancel are dropped with it.
        Click(dialog, IDC_FAVORITE_DELETE);
        Click(dialog, IDC_FAVORITE_ADD);
        afterEdits = Names(dialog);
        Click(dialog, IDCANCEL);
      },
      {TypeEntry("Gamma", "http://gamma.example/")});
  EXPECT_EQ(run.lists, 1);
  EXPECT_EQ(run.others, 0);
  EXPECT_EQ(caption, "お気に入りのWeb");
  EXPECT_EQ(shown, (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(selected, 0);
  EXPECT_TRUE(addEnabled);
  EXPECT_EQ(afterEdits, (std::vector<std::string>{"Gamma", "Beta"}));
  // Centred over the frame.
  EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (frameRect.left + frameRect.right) / 2, 1);
  EXPECT_NEAR((dialogRect.top + dialogRect.bottom) / 2, (frameRect.top + frameRect.bottom) / 2, 1);
  EXPECT_EQ(Stored(), seeded);
}

TEST_F(FavoritesTest, AddInsertsAtTheSelectionAndOpenWritesEveryKey) {
  Seed({"A=http://a.example/", "B=http://b.example/"});
  EntrySeen first;
  std::vector<std::string> afterFirst, afterSecond;
  int selFirst = -2, selSecond = -2;
  RunFavorites(
      [&](HWND dialog) {
        Select(dialog, 1);
        Click(dialog, IDC_FAVORITE_ADD);
        afterFirst = Names(dialog);
        selFirst = Selected(dialog);
        Select(dialog, -1);  // nothing selected: goes first
        Click(dialog, IDC_FAVORITE_ADD);
        afterSecond = Names(dialog);
        selSecond = Selected(dialog);
        Select(dialog, -1);  // nothing to open
        Click(dialog, IDOK);
      },
      {TypeEntry("New", "http://new.example/?q=a=b", &first), TypeEntry("Top", "http://top.example/")});
  EXPECT_EQ(first.caption, "お気に入りのWebの編集");
  EXPECT_EQ(first.name, "");
  EXPECT_EQ(first.address, "");
  EXPECT_EQ(afterFirst, (std::vector<std::string>{"A", "New", "B"}));
  EXPECT_EQ(selFirst, 1);
  EXPECT_EQ(afterSecond, (std::vector<std::string>{"Top", "A", "New", "B"}));
  EXPECT_EQ(selSecond, 0);
  EXPECT_EQ(Stored(), WithEmpty({"Top=http://top.example/", "A=http://a.example/", "New=http://new.example/?q=a=b",
                                 "B=http://b.example/"}));
}

TEST_F(FavoritesTest, EditReplacesTheSelectedOrFirstEntry) {
  Seed({"A=http://a.example/", "B=http://b.example/"});
  EntrySeen edited, cancelled;
  std::vector<std::string> names;
  int selected = -2;
  RunFavorites(
      [&](HWND dialog) {
        Select(dialog, 1);
        Click(dialog, IDC_FAVORITE_EDIT);
        names = Names(dialog);
        selected = Selected(dialog);
        Select(dialog, -1);  // the first is edited; cancelled, it stays
        Click(dialog, IDC_FAVORITE_EDIT);
        Select(dialog, -1);
        Click(dialog, IDOK);
      },
      {TypeEntry("Bee", "http://bee.example/", &edited), CancelEntry(&cancelled)});
  EXPECT_EQ(edited.name, "B");
  EXPECT_EQ(edited.address, "http://b.example/");
  EXPECT_EQ(names, (std::vector<std::string>{"A", "Bee"}));
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(cancelled.name, "A");
  EXPECT_EQ(cancelled.address, "http://a.example/");
  EXPECT_EQ(Stored(), WithEmpty({"A=http://a.example/", "Bee=http://bee.example/"}));
}

TEST_F(FavoritesTest, DeletingEveryEntryWritesFiftyEmptyValues) {
  Seed({"A=http://a.example/", "B=http://b.example/", "C=http://c.example/"});
  std::vector<std::vector<std::string>> lists;
  std::vector<int> selections;
  bool editEnabled = true, deleteEnabled = true, addEnabled = false;
  const RunResult run = RunFavorites([&](HWND dialog) {
    Select(dialog, 1);
    for (int n = 0; n < 3; ++n) {
      if (n == 1) Select(dialog, 1);  // the last one
      Click(dialog, IDC_FAVORITE_DELETE);
      lists.push_back(Names(dialog));
      selections.push_back(Selected(dialog));
    }
    editEnabled = Enabled(dialog, IDC_FAVORITE_EDIT);
    deleteEnabled = Enabled(dialog, IDC_FAVORITE_DELETE);
    addEnabled = Enabled(dialog, IDC_FAVORITE_ADD);
    Click(dialog, IDC_FAVORITE_EDIT);  // nothing there: no entry dialog
    Click(dialog, IDOK);
  });
  EXPECT_EQ(run.entries, 0);
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists[0], (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(lists[1], (std::vector<std::string>{"A"}));
  EXPECT_TRUE(lists[2].empty());
  // The index stays; after the last entry goes, the one before it.
  EXPECT_EQ(selections, (std::vector<int>{1, 0, -1}));
  EXPECT_FALSE(editEnabled);
  EXPECT_FALSE(deleteEnabled);
  EXPECT_TRUE(addEnabled);
  EXPECT_EQ(Stored(), WithEmpty({}));
}

TEST_F(FavoritesTest, AMissingFirstKeyShowsTheBuiltInEntry) {
  std::vector<std::string> shown;
  RunFavorites([&](HWND dialog) {
    shown = Names(dialog);
    Select(dialog, -1);
    Click(dialog, IDOK);
  });
  const FavoriteEntry builtIn = DefaultFavorite();
  ASSERT_FALSE(builtIn.name.empty());
  EXPECT_EQ(shown, std::vector<std::string>{builtIn.name});
  EXPECT_EQ(Stored(), WithEmpty({builtIn.name + "=" + builtIn.address}));
}

TEST_F(FavoritesTest, AddIsGreyedWhileTheListIsFull) {
  std::vector<std::string> full;
  for (int n = 0; n < kFavoriteCount; ++n) full.push_back("E" + std::to_string(n) + "=http://e" + std::to_string(n) + "/");
  Seed(full);
  bool greyedWhenFull = false, enabledAfterDelete = false, greyedAgain = false;
  size_t countAfterRefusedAdd = 0;
  const RunResult run = RunFavorites(
      [&](HWND dialog) {
        greyedWhenFull = !Enabled(dialog, IDC_FAVORITE_ADD);
        // Even a command that reaches the dialog adds nothing.
        Click(dialog, IDC_FAVORITE_ADD);
        countAfterRefusedAdd = Names(dialog).size();
        Select(dialog, 10);
        Click(dialog, IDC_FAVORITE_DELETE);
        enabledAfterDelete = Enabled(dialog, IDC_FAVORITE_ADD);
        Click(dialog, IDC_FAVORITE_ADD);
        greyedAgain = !Enabled(dialog, IDC_FAVORITE_ADD);
        Select(dialog, -1);
        Click(dialog, IDOK);
      },
      {TypeEntry("New", "http://new/")});
  EXPECT_EQ(run.entries, 1);
  EXPECT_TRUE(greyedWhenFull);
  EXPECT_EQ(countAfterRefusedAdd, static_cast<size_t>(kFavoriteCount));
  EXPECT_TRUE(enabledAfterDelete);
  EXPECT_TRUE(greyedAgain);
  std::vector<std::string> expected = full;
  expected[10] = "New=http://new/";
  EXPECT_EQ(Stored(), expected);  // the last entry is still there
}

TEST_F(FavoritesTest, ANameWithEqualsIsRefused) {
  Seed({"A=http://a.example/"});
  MessageBoxRecorder boxes;
  bool stayedOpen = false;
  RunFavorites(
      [&](HWND dialog) {
        Click(dialog, IDC_FAVORITE_ADD);
        Select(dialog, -1);
        Click(dialog, IDOK);
      },
      {[&](HWND entry) {
        TypeEntry("x=y", "http://xy/")(entry);
        stayedOpen = IsWindowVisible(entry) && Enabled(entry, IDOK);
        TypeEntry("xy", "http://xy/")(entry);
      }});
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].stringId, static_cast<UINT>(IDS_FAVORITE_NAME_EQUALS));
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(Stored(), WithEmpty({"xy=http://xy/", "A=http://a.example/"}));
}

std::string ProbePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1) + "linkprobe.exe";
}

// Opening an entry starts the system's handler for its address, leaves our
// priorities alone and shows nothing when the address leads nowhere.
TEST_F(FavoritesTest, OpenStartsTheAddressOfTheSelectedEntry) {
  ASSERT_TRUE(FileExists(ProbePath())) << ProbePath();
  TempDir dir;
  struct Case {
    std::string address;
    bool runs;
  } const cases[] = {
      {ProbePath(), true},
      {dir.File("nothing-here.exe"), false},
      {ProbePath() + " & echo injected", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const std::string marker = dir.File("marker.txt");
    DeleteFileA(marker.c_str());
    SetEnvironmentVariableA("ZK_LINKPROBE_MARKER", marker.c_str());
    Clear();
    Seed({"First=http://first.example/", "Probe=" + c.address});
    MessageBoxRecorder boxes;
    const RunResult run = RunFavorites([&](HWND dialog) {
      Select(dialog, 1);
      Click(dialog, IDOK);
    });
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(Stored(), WithEmpty({"First=http://first.example/", "Probe=" + c.address}));
    const bool ran = RunLoopUntil([&] { return FileExists(marker); }, c.runs ? 15000 : 2000);
    EXPECT_EQ(ran, c.runs);
    EXPECT_EQ(run.others, 0);
    EXPECT_TRUE(boxes.boxes.empty());
    if (ran) {
      // Started at normal priority, with no arguments of ours.
      EXPECT_EQ(ReadFileBytes(marker), "priority=32\nthread=0\narguments=\n");
    }
  }
}

}  // namespace
