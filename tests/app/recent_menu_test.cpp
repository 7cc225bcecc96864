#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "inifile.h"
#include "recent.h"
#include "testsupport.h"

namespace {

constexpr UINT kOpenId = 100;
constexpr UINT kExitId = 101;

struct Item {
  UINT id;
  bool separator;
  std::string text;
  bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item) {
  return out << "{" << item.id << (item.separator ? " sep " : " ") << item.text << "}";
}

std::vector<Item> Items(HMENU menu) {
  std::vector<Item> items;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[512] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    GetMenuItemInfoA(menu, i, TRUE, &info);
    items.push_back({GetMenuItemID(menu, i), (info.fType & MFT_SEPARATOR) != 0, text});
  }
  return items;
}

Item Sep() { return {0, true, ""}; }

HMENU MakeMenuBar(HMENU* file) {
  HMENU bar = CreateMenu();
  *file = CreatePopupMenu();
  AppendMenuA(*file, MF_STRING, kOpenId, "&Open");
  AppendMenuA(*file, MF_STRING, kExitId, "E&xit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(*file), "&File");
  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, 200, "&Undo");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  return bar;
}

void AddSongs(int count) {
  for (int i = 1; i <= count; ++i)
    AddRecentFile(("C:\\songs\\s" + std::to_string(i) + ".g36").c_str());
}

class RecentMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bar = MakeMenuBar(&file);
    ASSERT_TRUE(SetMenu(frame.hwnd(), bar));
  }
  TempSettingsFile ini;
  TestFrame frame;  // destroys the menu with the window
  HMENU bar = nullptr;
  HMENU file = nullptr;
};

TEST_F(RecentMenuTest, SixFilesShowTheLastFiveNumbered) {
  AddSongs(6);
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"},
                               {kExitId, false, "E&xit"},
                               Sep(),
                               {2360, false, "&1 C:\\songs\\s6.g36"},
                               {2361, false, "&2 C:\\songs\\s5.g36"},
                               {2362, false, "&3 C:\\songs\\s4.g36"},
                               {2363, false, "&4 C:\\songs\\s3.g36"},
                               {2364, false, "&5 C:\\songs\\s2.g36"}}),
            Items(file));
  EXPECT_EQ(1u, Items(GetSubMenu(bar, 1)).size());
}

TEST_F(RecentMenuTest, RebuildReplacesTheEntriesAndKeepsOneSeparator) {
  AddSongs(2);
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  AddRecentFile("C:\\other\\new.g36");
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"},
                               {kExitId, false, "E&xit"},
                               Sep(),
                               {2360, false, "&1 C:\\other\\new.g36"},
                               {2361, false, "&2 C:\\songs\\s2.g36"},
                               {2362, false, "&3 C:\\songs\\s1.g36"}}),
            Items(file));
}

TEST_F(RecentMenuTest, EmptyListRemovesTheEntriesAndAddsNoSeparator) {
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  EXPECT_EQ(2u, Items(file).size());

  AddSongs(3);
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  ASSERT_EQ(6u, Items(file).size());
  IniWriteString(kFilesSection, "LastOpen1", "");
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  // The separator of the earlier build stays; only the entries go.
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"}, {kExitId, false, "E&xit"}, Sep()}),
            Items(file));
}

TEST_F(RecentMenuTest, ListStopsAtTheFirstEmptyEntry) {
  IniWriteString(kFilesSection, "LastOpen1", "C:\\a.g36");
  IniWriteString(kFilesSection, "LastOpen3", "C:\\c.g36");
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"},
                               {kExitId, false, "E&xit"},
                               Sep(),
                               {2360, false, "&1 C:\\a.g36"}}),
            Items(file));
}

TEST_F(RecentMenuTest, NoSeparatorAfterASeparator) {
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AddSongs(1);
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"},
                               {kExitId, false, "E&xit"},
                               Sep(),
                               {2360, false, "&1 C:\\songs\\s1.g36"}}),
            Items(file));
}

// A popup item's state word carries its item count, 8 of which read as the
// separator flag; the separator is still needed after such a popup.
TEST_F(RecentMenuTest, SeparatorAfterAPopupOfEightItems) {
  HMENU sub = CreatePopupMenu();
  for (UINT i = 0; i < 8; ++i) AppendMenuA(sub, MF_STRING, 400 + i, "x");
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
  AddSongs(1);
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  std::vector<Item> items = Items(file);
  ASSERT_EQ(5u, items.size());
  EXPECT_EQ(Sep(), items[3]);
  EXPECT_EQ((Item{2360, false, "&1 C:\\songs\\s1.g36"}), items[4]);
}

TEST_F(RecentMenuTest, GivenMenuIsUsedOnlyWhenAsked) {
  HMENU otherFile = nullptr;
  HMENU other = MakeMenuBar(&otherFile);
  AddSongs(1);
  BuildRecentFilesMenu(nullptr, other, 1);
  EXPECT_EQ(4u, Items(otherFile).size());
  EXPECT_EQ(2u, Items(file).size());

  // With 0 the given menu is ignored for the frame's own.
  AddRecentFile("C:\\b.g36");
  BuildRecentFilesMenu(nullptr, other, 0);
  EXPECT_EQ(5u, Items(file).size());
  EXPECT_EQ(4u, Items(otherFile).size());
  DestroyMenu(other);
}

TEST_F(RecentMenuTest, LongestPathFitsTheItem) {
  std::string longest = "C:\\" + std::string(kRecentPathSize - 1 - 7, 'x') + ".g36";
  AddRecentFile(longest.c_str());
  BuildRecentFilesMenu(nullptr, nullptr, 0);
  ASSERT_EQ(4u, Items(file).size());
  EXPECT_EQ("&1 " + longest, Items(file)[3].text);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefMDIChildProcA(hwnd, msg, wp, lp);
}

// A maximized MDI child puts its system menu at the head of the frame's menu
// bar, so the File menu is the second popup.
TEST_F(RecentMenuTest, MaximizedChildPutsTheEntriesIntoSubmenuOne) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  CLIENTCREATESTRUCT ccs = {};
  ccs.idFirstChild = 50000;
  HWND client = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400,
                              300, frame.hwnd(), nullptr, inst, &ccs);
  ASSERT_NE(nullptr, client);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ChildProc;
  wc.hInstance = inst;
  wc.lpszClassName = "ZkRecentTestChild";
  RegisterClassA(&wc);
  HWND child = CreateMDIWindowA("ZkRecentTestChild", "child", WS_MAXIMIZE | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, client, inst, 0);
  ASSERT_NE(nullptr, child);
  ASSERT_TRUE(IsZoomed(child));
  ASSERT_EQ(file, GetSubMenu(bar, 1));
  HMENU head = GetSubMenu(bar, 0);
  size_t headCount = Items(head).size();

  AddSongs(2);
  BuildRecentFilesMenu(child, nullptr, 0);
  EXPECT_EQ((std::vector<Item>{{kOpenId, false, "&Open"},
                               {kExitId, false, "E&xit"},
                               Sep(),
                               {2360, false, "&1 C:\\songs\\s2.g36"},
                               {2361, false, "&2 C:\\songs\\s1.g36"}}),
            Items(file));
  EXPECT_EQ(headCount, Items(head).size());

  // Restored, the File menu is the first popup again.
  SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
  ASSERT_FALSE(IsZoomed(child));
  ASSERT_EQ(file, GetSubMenu(bar, 0));
  BuildRecentFilesMenu(child, nullptr, 0);
  EXPECT_EQ(5u, Items(file).size());
  DestroyWindow(child);
  DestroyWindow(client);
}

}  // namespace
