// The sound-module set-up without its dialog: which slot a stored position
// names, the list lines tied to their slots, and the after-open text the
// reset boxes read and rebuild.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "appglobals.h"
#include "resource.h"
#include "soundmodules.h"

namespace {

// The text a settings file without the key gives.
constexpr char kDefaultInit[] =
    "f0,7e,7f,09,01,f7,,,f0,41,10,42,12,40,00,7f,00,41,f7,,f0,41,10,16,12,7f,00,00,00,6f,f7,,,"
    "f0,43,10,4c,00,00,7e,00,f7,,";
constexpr char kGM[] = "f0,7e,7f,09,01,f7";
constexpr char kGS[] = "f0,41,10,42,12,40,00,7f,00,41,f7";
constexpr char kMT32[] = "f0,41,10,16,12,7f,00,00,00,6f,f7";
constexpr char kXG[] = "f0,43,10,4c,00,00,7e,00,f7";
// A message of the user's own (a GS part set-up).
constexpr char kOwn[] = "f0,41,10,42,12,40,10,15,00,1b,f7";

ResetTexts Texts() { return LoadResetTexts(GetModuleHandleA(nullptr)); }

std::string Rebuild(ResetChecks checks, const std::string& current, size_t max = 2047) {
  return InitFromResetChecks(checks, Texts(), current, max);
}

TEST(SoundModuleResetTest, TheStringTableHoldsTheFourMessages) {
  const ResetTexts texts = Texts();
  EXPECT_EQ(texts[kResetGM], kGM);
  EXPECT_EQ(texts[kResetGS], kGS);
  EXPECT_EQ(texts[kResetCM64], kMT32);
  EXPECT_EQ(texts[kResetXG], kXG);
}

TEST(SoundModuleResetTest, AllFourBoxesGiveTheDefaultAndReadBackChecked) {
  EXPECT_EQ(Rebuild({true, true, true, true}, ""), kDefaultInit);
  EXPECT_EQ(Rebuild({true, true, true, true}, kDefaultInit), kDefaultInit);
  const ResetChecks checks = ResetChecksFromInit(kDefaultInit, Texts());
  EXPECT_EQ(checks, (ResetChecks{true, true, true, true}));
  EXPECT_EQ(Rebuild({false, false, false, false}, kDefaultInit), "");
}

TEST(SoundModuleResetTest, EachBoxWritesItsMessageWithItsPauseInTableOrder) {
  struct Case {
    ResetChecks checks;
    std::string want;
  };
  const Case cases[] = {
      {{true, false, false, false}, std::string(kGM) + ",,,"},
      {{false, true, false, false}, std::string(kGS) + ",,"},
      {{false, false, true, false}, std::string(kMT32) + ",,,"},
      {{false, false, false, true}, std::string(kXG) + ",,"},
      {{true, false, false, true}, std::string(kGM) + ",,," + kXG + ",,"},
      {{false, true, true, false}, std::string(kGS) + ",," + kMT32 + ",,,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want);
    const std::string init = Rebuild(c.checks, kDefaultInit);
    EXPECT_EQ(init, c.want);
    EXPECT_EQ(ResetChecksFromInit(init, Texts()), c.checks);
  }
}

TEST(SoundModuleResetTest, BoxesAreCheckedOnlyForWholeMessages) {
  struct Case {
    std::string init;
    ResetChecks want;
  };
  const Case cases[] = {
      {"", {false, false, false, false}},
      {kGS, {false, true, false, false}},                                 // alone, no pause
      {std::string(",,") + kXG, {false, false, false, true}},             // after pauses
      {std::string(kMT32) + "," + kGM + ",,", {true, false, true, false}},  // back to back
      {std::string("f") + kGM + ",,", {false, false, false, false}},       // part of another byte
      {std::string(kGS).substr(0, 20) + ",,", {false, false, false, false}},  // cut short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.init);
    EXPECT_EQ(ResetChecksFromInit(c.init, Texts()), c.want);
  }
}

// Rebuilding keeps what the boxes do not stand for: a message the user put
// into the settings file is not lost by confirming the dialog.
TEST(SoundModuleResetTest, MessagesOfTheUsersOwnStayAfterTheResets) {
  const std::string own = std::string(kOwn) + ",,";
  const std::string current = std::string(kGS) + ",," + own + kXG + ",,";
  EXPECT_EQ(Rebuild({true, false, false, false}, current), std::string(kGM) + ",,," + own);
  EXPECT_EQ(Rebuild({false, false, false, false}, current), own);
  EXPECT_EQ(Rebuild({false, true, false, true}, current), std::string(kGS) + ",," + kXG + ",," + own);
  // A reset listed twice comes back once.
  EXPECT_EQ(Rebuild({false, true, false, false}, std::string(kGS) + ",," + kGS + ",,"), std::string(kGS) + ",,");
}

TEST(SoundModuleResetTest, ALongTextIsCutAtWholeMessages) {
  std::string current;
  for (int i = 0; i < 40; ++i) current += std::string(kOwn) + ",,";
  const size_t max = 200;
  const std::string init = Rebuild({true, true, false, false}, current, max);
  const std::string resets = std::string(kGM) + ",,," + kGS + ",,";
  ASSERT_LE(init.size(), max);
  ASSERT_EQ(init.substr(0, resets.size()), resets);
  const std::string rest = init.substr(resets.size());
  const std::string unit = std::string(kOwn) + ",,";
  EXPECT_EQ(rest.size() % unit.size(), 0u) << rest;
  EXPECT_EQ(rest.size() / unit.size(), (max - resets.size()) / unit.size());
  EXPECT_EQ(current.substr(0, rest.size()), rest);
}

TEST(SoundModuleNameTest, LettersMatchWithoutCaseButDoubleByteCharactersExactly) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"ZKMOD.DLL", "zkmod.dll", true},
      {"C:\\Mods\\Gs.dll", "c:\\mods\\GS.DLL", true},
      {"a.dll", "b.dll", false},
      {"a.dll", "a.dl", false},
      {"音源.dll", "音源.DLL", true},
      // 0x83 0x41 and 0x83 0x61: the second bytes differ only as letters would.
      {"\x83\x41.dll", "\x83\x61.dll", false},
      {"", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(SameModuleName(c.a, c.b), c.same);
  }
}

TEST(SoundModuleSlotTest, APositionTakesTheLastSlotThatNamesItsLibrary) {
  const std::vector<std::string> modules = {"a.dll", "", "B.DLL", "A.Dll", "", "", "", "", "",
                                            "",      "", "",      "",      "", "", "last.dll"};
  struct Case {
    const char* stored;
    uint16_t want;
  };
  const Case cases[] = {
      {"a.dll", 4}, {"b.dll", 3}, {"LAST.DLL", 16}, {"", 0}, {"unknown.dll", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(SelectionForController(c.stored, modules), c.want);
  }
  EXPECT_EQ(ControllerValueFor(0, modules), "");
  EXPECT_EQ(ControllerValueFor(3, modules), "B.DLL");
  EXPECT_EQ(ControllerValueFor(16, modules), "last.dll");
  EXPECT_EQ(ControllerValueFor(17, modules), "");
}

TEST(SoundModuleSlotTest, AnUnknownLibraryOpensAsNone) {
  const std::vector<std::string> modules = {"a.dll", "b.dll"};
  const std::vector<ModuleListLine> lines =
      ModuleListLines(LoadAppString(IDS_SOUNDMOD_NONE), {"Module A", "Module B"});
  const int index = ModuleListIndex(lines, SelectionForController("other.dll", modules));
  ASSERT_EQ(index, 0);
  EXPECT_EQ(lines[index].text, "使わない");
}

// Slots that show nothing leave no gap in the list, yet every later line
// still stands for its own slot, and so for its own library.
TEST(SoundModuleSlotTest, LinesAfterASlotThatShowsNothingKeepTheirSlots) {
  const std::vector<std::string> modules = {"a.dll", "", "missing.dll", "d.dll"};
  const std::vector<ModuleListLine> lines = ModuleListLines("none", {"Module A", "", "", "Module D"});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "none");
  EXPECT_EQ(lines[0].selection, 0);
  EXPECT_EQ(lines[1].text, "Module A");
  EXPECT_EQ(lines[2].text, "Module D");
  EXPECT_EQ(ControllerValueFor(lines[2].selection, modules), "d.dll");
  EXPECT_EQ(ModuleListIndex(lines, SelectionForController("d.dll", modules)), 2);
  // A stored library that shows nothing now is on no line.
  EXPECT_EQ(ModuleListIndex(lines, SelectionForController("missing.dll", modules)), -1);
}

}  // namespace
