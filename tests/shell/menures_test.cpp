// The program's menu resources: the frame's menu, the context menus loaded
// at start, the controller menu handed to the plug-ins, in the program
// running in the test process.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "appglobals.h"
#include "frame.h"
#include "inprocess.h"
#include "plugins.h"
#include "programstate.h"
#include "resource.h"
#include "testplugins.h"
#include "testsupport.h"

namespace {

// Loaded for the test's scope.
class Menu {
 public:
  explicit Menu(const char* name) : menu_(LoadMenuA(AppInstance(), name)) {}
  explicit Menu(HMENU menu) : menu_(menu) {}
  ~Menu() {
    if (menu_) DestroyMenu(menu_);
  }
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// The positions that lead from menu down to the item with this command id,
// searching sub-menus depth first; empty when it holds none.
std::vector<int> PathTo(HMENU menu, UINT id) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      std::vector<int> below = PathTo(sub, id);
      if (!below.empty()) {
        below.insert(below.begin(), i);
        return below;
      }
    } else if (GetMenuItemID(menu, i) == id) {
      return {i};
    }
  }
  return {};
}

std::string Title(HMENU menu, int position) {
  char text[128] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// The whole menu as text, one line per item: its depth, id or sub-menu, and
// its text; separators as "-".
void Flatten(HMENU menu, int depth, std::string& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char line[200];
    HMENU sub = GetSubMenu(menu, i);
    const UINT id = sub ? 0 : GetMenuItemID(menu, i);
    std::snprintf(line, sizeof line, "%d %s %u %s\n", depth, sub ? "popup" : "item", id, Title(menu, i).c_str());
    out += line;
    if (sub) Flatten(sub, depth + 1, out);
  }
}

std::string Flat(HMENU menu) {
  std::string out;
  Flatten(menu, 0, out);
  return out;
}

TEST(MenuResourceTest, TheFrameMenuHoldsEveryFrameCommand) {
  ASSERT_TRUE(StartInProcessShell());
  Menu frame(MAKEINTRESOURCEA(IDR_FRAME));
  ASSERT_NE(frame.get(), nullptr);
  // Each id with the top-level popup that holds it.
  const std::vector<std::pair<int, std::vector<UINT>>> table = {
      {0, {1001, 1002, 1003, 1004, 40017, 2349, 1006}},
      {1, {2350, 2352, 2353, 2158, 2159, 2160, 2355, 2356}},
      {2, {4011, 4006, 4007, 4008, 4005, 4009, 4010, 2178, 2179}},
      {3, {2161, 6000, 2198, 2196, 6100, 6101}},
      {3, {2166, 2167, 2168, 2169, 2170, 2171, 2172, 2173, 2174, 2175, 2176, 2177, 2181, 2182, 2195}},
      {3, {2183, 2184, 2185, 2186, 2187, 2188, 2189, 2190, 2191}},
      {4, {4001, 4002, 4003, 4004}},
      {5, {40014, 40015, 40016, 40020, 5002}},
  };
  for (const auto& [popup, ids] : table) {
    for (UINT id : ids) {
      const std::vector<int> path = PathTo(frame.get(), id);
      ASSERT_FALSE(path.empty()) << id;
      EXPECT_EQ(path.front(), popup) << id;
    }
  }
  EXPECT_EQ(GetMenuItemCount(frame.get()), 6);

  // The song settings and the environment settings are two sub-menus of
  // Other, each holding the whole of its group.
  const std::vector<int> settings = PathTo(frame.get(), 2166);
  const std::vector<int> environment = PathTo(frame.get(), 2183);
  ASSERT_EQ(settings.size(), 3u);
  ASSERT_EQ(environment.size(), 3u);
  EXPECT_NE(settings[1], environment[1]);
  for (UINT id : {2177u, 2181u, 2182u, 2195u}) EXPECT_EQ(PathTo(frame.get(), id)[1], settings[1]) << id;
  for (UINT id : {2186u, 2191u}) EXPECT_EQ(PathTo(frame.get(), id)[1], environment[1]) << id;
}

// The frame hands its fifth popup to the MDI client as the window menu; the
// logs' and the controller menu keep theirs at the same place.
TEST(MenuResourceTest, TheWindowMenuIsTheFifthPopupOfEveryMenuBar) {
  ASSERT_TRUE(StartInProcessShell());
  const char* const bars[] = {MAKEINTRESOURCEA(IDR_FRAME), "IDERRLWND", "IDSERLWND", "IDCTRLWND"};
  for (const char* name : bars) {
    Menu bar(name);
    ASSERT_NE(bar.get(), nullptr) << (IS_INTRESOURCE(name) ? "1" : name);
    const std::vector<int> path = PathTo(bar.get(), IDM_WINDOW_TILE);
    EXPECT_EQ(path, (std::vector<int>{kWindowMenuIndex, 1})) << (IS_INTRESOURCE(name) ? "1" : name);
  }
}

// The logs' menus have their own Edit popup second and otherwise the frame's
// popups, whole.
TEST(MenuResourceTest, TheLogsAndTheControllerMenuShareTheFramesPopups) {
  ASSERT_TRUE(StartInProcessShell());
  Menu frame(MAKEINTRESOURCEA(IDR_FRAME));
  ASSERT_NE(frame.get(), nullptr);
  const int popups = GetMenuItemCount(frame.get());
  auto popupTitled = [](HMENU bar, const std::string& title) -> HMENU {
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
      if (Title(bar, i) == title) return GetSubMenu(bar, i);
    return nullptr;
  };
  const struct {
    const char* name;
    UINT clear, jump;
  } logs[] = {{"IDERRLWND", IDM_ERRLOG_CLEAR, IDM_ERRLOG_JUMP}, {"IDSERLWND", IDM_SEARCHLOG_CLEAR, IDM_SEARCHLOG_JUMP}};
  for (const auto& log : logs) {
    Menu bar(log.name);
    ASSERT_NE(bar.get(), nullptr) << log.name;
    EXPECT_EQ(GetMenuItemCount(bar.get()), popups + 1) << log.name;
    EXPECT_EQ(PathTo(bar.get(), log.clear), (std::vector<int>{1, 0})) << log.name;
    EXPECT_EQ(PathTo(bar.get(), log.jump), (std::vector<int>{1, 1})) << log.name;
    for (int i = 0; i < popups; ++i) {
      const std::string title = Title(frame.get(), i);
      HMENU own = popupTitled(bar.get(), title);
      ASSERT_NE(own, nullptr) << log.name << " " << title;
      EXPECT_EQ(Flat(own), Flat(GetSubMenu(frame.get(), i))) << log.name << " " << title;
    }
  }
  Menu controller("IDCTRLWND");
  ASSERT_NE(controller.get(), nullptr);
  EXPECT_EQ(Flat(controller.get()), Flat(frame.get()));
}

// Each context menu is used through its first sub-menu; some of their
// sub-menus are opened by position.
struct PopupCase {
  const char* name;
  int index;  // among the program's popup menus
  std::vector<UINT> ids;  // anywhere in sub-menu 0
  // Sub-menus of sub-menu 0 by position, with every id each must hold.
  std::vector<std::pair<int, std::vector<UINT>>> subMenus;
};

const std::vector<UINT> kSetIds = {2733, 2734, 2735, 2736, 2738, 2739, 2740, 2741, 2742, 2743};
const std::vector<UINT> kExCompIds = {2723, 2724, 2725, 2727, 2728, 2729, 2730, 2731, 2732};

const PopupCase kPopups[] = {
    {"IDZKPCMD", 0, {2700, 2701, 2702, 2703, 40024, 2704, 2713, 2744, 2200, 2201, 2710},
     {{7, {2711, 2712, 2714, 2716, 2721}},
      {8, {2104, 2106, 2123}},
      {9, {2126, 2128, 2145}},
      {10, kSetIds},
      {11, kExCompIds},
      {12, {2273, 2274, 2275, 2276, 2277, 2278, 2279}}}},
    {"IDZKPRHYCMD", 1, {2700, 2701, 2702, 2703, 40024, 2704, 2744, 2200, 2201, 2710},
     {{8, {2734, 2736}}, {9, {2723, 2724, 2725}}}},
    {"IDTONENAMEC", 2, {4111}, {}},
    {"IDTRKCONTEXT", 3, {4300, 40007, 40001, 40002, 40004, 40005, 40006, 4111}, {}},
    {"IDTRKDRAGDROP", 4, {40008, 40009, 40010}, {}},
    {"IDTRKSORT", 5, {40012, 40013}, {}},
    {"IDPIANOPAL", 6, {40021}, {}},
    {"IDLOCATION", 7, {40022}, {}},
    {"IDFUMENCMD", 8,
     {2700, 2701, 2702, 2703, 40024, 2704, 2710, 2713, 40011, 40018, 2744, 2200, 2201, 4111, 2148, 40023, 2151, 2157,
      2757, 2758, 2104, 2123, 2126, 2145, 2273, 2279},
     {}},
};

TEST(MenuResourceTest, EachContextMenuLoadsWithItsItemsAndSubMenusInPlace) {
  ASSERT_TRUE(StartInProcessShell());
  for (const PopupCase& c : kPopups) {
    SCOPED_TRACE(c.name);
    Menu menu(c.name);
    ASSERT_NE(menu.get(), nullptr);
    HMENU first = GetSubMenu(menu.get(), 0);
    ASSERT_NE(first, nullptr);
    for (UINT id : c.ids) EXPECT_FALSE(PathTo(first, id).empty()) << id;
    for (const auto& [position, ids] : c.subMenus) {
      HMENU sub = GetSubMenu(first, position);
      ASSERT_NE(sub, nullptr) << position;
      for (UINT id : ids) EXPECT_EQ(PathTo(sub, id).size(), 1u) << position << " " << id;
    }
    // The program loaded the same menu at start and keeps its first sub-menu.
    ASSERT_NE(g_prog.popupMenus[c.index], nullptr);
    EXPECT_EQ(g_prog.popupSubmenus[c.index], GetSubMenu(g_prog.popupMenus[c.index], 0));
    EXPECT_EQ(Flat(g_prog.popupSubmenus[c.index]), Flat(first));
  }
}

// "X" and "Z" open these by position: they must hold exactly their own
// group, or the key would offer another command's items.
TEST(MenuResourceTest, TheSetAndExCompSubMenusHoldOnlyTheirOwnCommands) {
  ASSERT_TRUE(StartInProcessShell());
  const struct {
    const char* name;
    int set, exComp;
  } cases[] = {{"IDZKPCMD", 10, 11}, {"IDZKPRHYCMD", 8, 9}};
  auto inRange = [](HMENU sub, UINT low, UINT high) {
    for (int i = 0; i < GetMenuItemCount(sub); ++i) {
      const UINT id = GetMenuItemID(sub, i);
      if (id == 0) continue;  // separator
      if (id < low || id > high) return false;
    }
    return GetMenuItemCount(sub) > 0;
  };
  for (const auto& c : cases) {
    Menu menu(c.name);
    HMENU first = GetSubMenu(menu.get(), 0);
    ASSERT_NE(first, nullptr) << c.name;
    EXPECT_TRUE(inRange(GetSubMenu(first, c.set), 2733, 2743)) << c.name;
    EXPECT_TRUE(inRange(GetSubMenu(first, c.exComp), 2722, 2732)) << c.name;
  }
}

UINT MenuCommandId(const std::vector<std::string>& calls) {
  for (const std::string& call : calls) {
    unsigned slot = 0, first = 0;
    if (std::sscanf(call.c_str(), "Register %u %u", &slot, &first) == 2 && slot == 0) return first;
  }
  return 0;
}

// The controller menu is loaded afresh for every request, so a plug-in's
// items never pile up.
TEST(MenuResourceTest, TheControllerMenuCarriesThePluginsItemsOncePerRequest) {
  ASSERT_TRUE(StartInProcessShell());
  Menu plain("IDCTRLWND");
  const int frameItems = GetMenuItemCount(plain.get());
  ASSERT_GT(frameItems, 0);
  {
    Menu without(reinterpret_cast<HMENU>(
        SendMessageA(g_app.frame, WM_ZK_CTRLMENU, reinterpret_cast<WPARAM>(g_app.frame), 0)));
    ASSERT_TRUE(IsMenu(without.get()));
    EXPECT_EQ(Flat(without.get()), Flat(plain.get()));
  }

  InProcessTestPlugin plugin;
  ASSERT_TRUE(plugin.Loaded());
  const UINT command = MenuCommandId(plugin.Calls());
  ASSERT_GE(command, 4030u);
  plugin.ClearCalls();
  for (int request = 0; request < 2; ++request) {
    Menu menu(reinterpret_cast<HMENU>(
        SendMessageA(g_app.frame, WM_ZK_CTRLMENU, reinterpret_cast<WPARAM>(g_app.frame), 0)));
    ASSERT_TRUE(IsMenu(menu.get())) << request;
    EXPECT_NE(menu.get(), GetMenu(g_app.frame));
    EXPECT_EQ(GetMenuItemCount(menu.get()), frameItems + 1) << request;
    EXPECT_EQ(PathTo(menu.get(), command), std::vector<int>{frameItems}) << request;
    EXPECT_EQ(Title(menu.get(), frameItems), "zktestplugin");
    EXPECT_EQ(PathTo(menu.get(), IDM_FILE_NEW), (std::vector<int>{0, 0}));
  }
  const std::vector<std::string> calls = plugin.Calls();
  const std::string id = std::to_string(g_plugins[0].id);
  const std::vector<std::string> expected = {"Menu74 " + id + " 2 0", "Menu75 " + id + " 0 0"};
  std::vector<std::string> menuCalls;
  for (const std::string& call : calls)
    if (call.rfind("Menu7", 0) == 0) menuCalls.push_back(call);
  ASSERT_EQ(menuCalls.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(menuCalls.begin(), menuCalls.begin() + 2), expected);
}

}  // namespace
