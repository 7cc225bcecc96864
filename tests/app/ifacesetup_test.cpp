// The MIDI interface set-up's own logic: which engines it offers, when a
// choice of engine and ports is refused, and how the option boxes map to the
// bits the Super MPU and the engines read.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cp932text.h"
#include "../../engine/core/chase.h"
#include "engines.h"
#include "pointplaydlg.h"
#include "resource.h"
#include "settings.h"
#include "smpuoptdlg.h"
#include "testsupport.h"

namespace {

// Libraries as GetAppletType describes them; a file not here does not load.
class FakeLibraries {
 public:
  std::map<std::string, EngineDescription> libraries = {
      {"ZKRDS.DLL", {"S-MPUネイティブ機能を使う", "2.00", kEngineTypeSmpu}},
      {"ZKPOLY.DLL", {"polyMessageMIDIを使う", "2.00", kEngineTypeStream}},
      {"ZKMME.DLL", {"マルチメディアタイマを使う", "2.00", kEngineTypeTimer}},
      {"OLD.DLL", {"古いエンジン", "1.00", kEngineTypeTimer}},
      {"NEW.DLL", {"新しいエンジン", "12.1", kEngineTypeTimer}},
  };
  std::vector<std::string> asked;

  EngineDescriber Describer() {
    return [this](const std::string& file, bool wantTexts, EngineDescription& out) {
      asked.push_back(file);
      auto it = libraries.find(file);
      if (it == libraries.end()) return false;
      out = it->second;
      if (!wantTexts) out.title = out.version = "";
      return true;
    };
  }
};

std::vector<std::string> Titles(const EngineCandidateList& list) {
  std::vector<std::string> titles;
  for (const EngineCandidate& e : list.entries) titles.push_back(e.title);
  return titles;
}

EngineCandidateQuery Query(std::vector<std::string> choices, const char* current, bool driverFound = true) {
  EngineCandidateQuery q;
  q.choices = std::move(choices);
  q.current = current;
  q.smpuEngine = "ZKRDS.DLL";
  q.driverFound = driverFound;
  return q;
}

TEST(EngineCandidates, ListsLoadableEnginesOfVersionTwoOrMoreInOrder) {
  FakeLibraries libs;
  const EngineCandidateList list = ListEngineCandidates(
      Query({"ZKRDS.DLL", "ZKPOLY.DLL", "", "MISSING.DLL", "OLD.DLL", "ZKMME.DLL", "NEW.DLL"}, "zkmme.dll"),
      libs.Describer());
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"S-MPUネイティブ機能を使う", "polyMessageMIDIを使う",
                                                     "マルチメディアタイマを使う", "新しいエンジン"}));
  ASSERT_EQ(list.entries.size(), 4u);
  EXPECT_EQ(list.entries[2].file, "ZKMME.DLL");
  // The current engine is found whatever the case of its name.
  EXPECT_EQ(list.selection, 2);
  // Empty choices are not even loaded.
  EXPECT_EQ(libs.asked.size(), 6u);
}

TEST(EngineCandidates, AnEngineBelowVersionTwoIsNotListedButCountsForTheSelection) {
  FakeLibraries libs;
  // The old engine is current: the selection is the number listed before it.
  EngineCandidateList list = ListEngineCandidates(Query({"ZKPOLY.DLL", "OLD.DLL", "ZKMME.DLL"}, "OLD.DLL"),
                                                  libs.Describer());
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"polyMessageMIDIを使う", "マルチメディアタイマを使う"}));
  EXPECT_EQ(list.selection, 1);
  // Behind it, the later engine keeps its place.
  list = ListEngineCandidates(Query({"OLD.DLL", "ZKMME.DLL"}, "ZKMME.DLL"), libs.Describer());
  EXPECT_EQ(list.selection, 0);
  // A current engine that is not among the choices selects nothing.
  list = ListEngineCandidates(Query({"ZKPOLY.DLL", "ZKMME.DLL"}, "OTHER.DLL"), libs.Describer());
  EXPECT_EQ(list.selection, -1);
}

TEST(EngineCandidates, NoSuperMpuEngineWithoutItsDriver) {
  FakeLibraries libs;
  const EngineCandidateList list =
      ListEngineCandidates(Query({"ZKRDS.DLL", "ZKPOLY.DLL", "ZKMME.DLL"}, "ZKMME.DLL", false), libs.Describer());
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"polyMessageMIDIを使う", "マルチメディアタイマを使う"}));
  EXPECT_EQ(list.selection, 1);
  // It is skipped by name, without loading it.
  EXPECT_EQ(libs.asked, (std::vector<std::string>{"ZKPOLY.DLL", "ZKMME.DLL"}));
}

TEST(EngineCandidates, VersionValueIsTheLeadingNumber) {
  EXPECT_EQ(EngineVersionValue("2.00"), 2);
  EXPECT_EQ(EngineVersionValue("1.99"), 1);
  EXPECT_EQ(EngineVersionValue("12.1"), 12);
  EXPECT_EQ(EngineVersionValue("v2"), 0);
  EXPECT_EQ(EngineVersionValue(""), 0);
  EXPECT_GE(EngineVersionValue("99999999999999999999"), kEngineListedVersion);
}

TEST(EngineCandidates, FirstThreeChoicesComeFromMemoryTheRestFromTheFile) {
  TempSettingsFile file;
  file.Write("[Play]\r\nApplet2=FROMFILE.DLL\r\nApplet4=FOUR.DLL\r\nApplet30=LAST.DLL\r\nApplet31=NO.DLL\r\n");
  const AppSettings saved = g_settings;
  g_settings = AppSettings();
  const std::vector<std::string> choices = ReadEngineChoices();
  g_settings = saved;
  ASSERT_EQ(choices.size(), 30u);
  EXPECT_EQ(choices[0], "ZKRDS.DLL");
  EXPECT_EQ(choices[1], "ZKPOLY.DLL");
  EXPECT_EQ(choices[2], "ZKMME.DLL");
  EXPECT_EQ(choices[3], "FOUR.DLL");
  EXPECT_EQ(choices[4], "");
  EXPECT_EQ(choices[29], "LAST.DLL");
}

// Output device 0 is a Super MPU port, every other device is not.
int FakeSmpuPortTest(int device) { return device == 0 ? 1 : 0; }

TEST(EngineChoiceCheck, RefusesWhatCannotPlay) {
  struct Case {
    const char* what;
    int type;
    ClosedList closed;
    bool refused;
    bool nt;
    bool driver;
    int outputs[4];
    UINT expected;
  };
  const ClosedList E = ClosedList::Engine;
  const ClosedList P = ClosedList::OutputPort;
  const Case cases[] = {
      {"stream engine chosen on NT", kEngineTypeStream, E, false, true, true, {2, 0, 0, 0}, IDS_ENGINE_REFUSED_ON_NT},
      {"stream engine chosen on 95", kEngineTypeStream, E, false, false, true, {2, 0, 0, 0}, 0},
      {"port list closed, engine not refused", kEngineTypeStream, P, false, true, true, {2, 0, 0, 0}, 0},
      {"port list closed after the refusal", kEngineTypeStream, P, true, true, true, {2, 0, 0, 0},
       IDS_ENGINE_REFUSED_ON_NT},
      {"timer engine on NT", kEngineTypeTimer, E, false, true, false, {2, 3, 0, 0}, 0},
      {"Super MPU on its port", kEngineTypeSmpu, E, false, true, true, {1, 0, 0, 0}, 0},
      {"Super MPU with an ordinary device", kEngineTypeSmpu, E, false, false, true, {1, 0, 0, 2},
       IDS_ENGINE_NEEDS_SMPU_PORTS},
      {"ordinary device cured by 使わない", kEngineTypeSmpu, P, false, false, true, {1, 0, 0, 0}, 0},
      {"a list with nothing chosen", kEngineTypeSmpu, P, false, false, true, {-1, 0, 0, 0},
       IDS_ENGINE_NEEDS_SMPU_PORTS},
      {"Super MPU without its driver", kEngineTypeSmpu, E, false, false, false, {0, 0, 0, 0},
       IDS_ENGINE_NO_SMPU_DRIVER},
      {"ports are said before the driver", kEngineTypeSmpu, E, false, false, false, {2, 0, 0, 0},
       IDS_ENGINE_NEEDS_SMPU_PORTS},
      {"no engine chosen", 0, E, false, true, false, {2, 2, 2, 2}, 0},
  };
  for (const Case& c : cases) {
    EngineChoice choice;
    choice.engineType = c.type;
    choice.closed = c.closed;
    choice.engineRefused = c.refused;
    choice.windowsNt = c.nt;
    choice.driverFound = c.driver;
    for (int k = 0; k < 4; ++k) choice.outputEntries[k] = c.outputs[k];
    EXPECT_EQ(CheckEngineChoice(choice, FakeSmpuPortTest), c.expected) << c.what;
  }
}

TEST(EngineChoiceCheck, WindowsNtFromTheVersionWord) {
  EXPECT_FALSE(IsWindowsNtVersion(0xC0000004));  // Windows 95
  EXPECT_TRUE(IsWindowsNtVersion(0x05650004));   // NT 4.0
  EXPECT_TRUE(IsWindowsNtVersion(0x1DB10106));   // a later NT
}

std::map<int, bool> MonitorChecks(int monitorSw) {
  std::map<int, bool> shown;
  for (const MonitorBox& box : kMonitorBoxes) shown[box.id] = MonitorBoxChecked(monitorSw, box);
  return shown;
}

TEST(SmpuMonitorBoxes, NoteBoxStandsForTwoBitsAndShowsTheLowerOne) {
  // The default monitors nothing: every box unchecked.
  for (const auto& [id, checked] : MonitorChecks(511)) EXPECT_FALSE(checked) << id;
  for (const auto& [id, checked] : MonitorChecks(0)) EXPECT_TRUE(checked) << id;
  EXPECT_TRUE(MonitorChecks(0x008)[IDC_SMPU_MONITOR_FIRST]);
  EXPECT_FALSE(MonitorChecks(0x002)[IDC_SMPU_MONITOR_FIRST]);

  bool checked[kMonitorBoxCount] = {false, true, true, true, true, true, true, true};
  EXPECT_EQ(MonitorSwFromBoxes(0, checked), 0x00A);
  checked[0] = true;
  EXPECT_EQ(MonitorSwFromBoxes(0x1FF, checked), 0);
  // Bits of no box stay as they were.
  EXPECT_EQ(MonitorSwFromBoxes(0x200 | 0x00A, checked), 0x200);
}

TEST(SmpuMonitorBoxes, EachBoxSetsItsOwnBitWhenUnchecked) {
  const std::map<int, int> expected = {
      {IDC_SMPU_MONITOR_FIRST, 0x00A},     {IDC_SMPU_MONITOR_FIRST + 1, 0x004}, {IDC_SMPU_MONITOR_FIRST + 2, 0x100},
      {IDC_SMPU_MONITOR_FIRST + 3, 0x010}, {IDC_SMPU_MONITOR_FIRST + 4, 0x020}, {IDC_SMPU_MONITOR_FIRST + 5, 0x040},
      {IDC_SMPU_MONITOR_FIRST + 6, 0x080}, {IDC_SMPU_MONITOR_FIRST + 7, 0x001},
  };
  for (int i = 0; i < kMonitorBoxCount; ++i) {
    bool checked[kMonitorBoxCount];
    for (bool& c : checked) c = true;
    checked[i] = false;
    EXPECT_EQ(MonitorSwFromBoxes(0, checked), expected.at(kMonitorBoxes[i].id)) << kMonitorBoxes[i].id;
  }
}

TEST(SmpuSendBoxes, OptionBitsRoundTripAndKeepOthers) {
  const SmpuSendBoxes boxes = SendBoxesOf(0x05);
  EXPECT_TRUE(boxes.allNotesOff);
  EXPECT_FALSE(boxes.activeSensing);
  EXPECT_TRUE(boxes.noteOff90);
  EXPECT_FALSE(boxes.retrigger);
  EXPECT_EQ(OptionSwFromBoxes(0x30, {false, true, false, true}), 0x30 | 0x0A);
  EXPECT_EQ(OptionSwFromBoxes(0x0F, {false, false, false, false}), 0);
}

const EventBitBox* BoxOf(const EventBitBox* boxes, int count, int id) {
  for (int i = 0; i < count; ++i)
    if (boxes[i].id == id) return &boxes[i];
  return nullptr;
}

// Each box's text names a kind of event; its bit must be the one the engine
// reads for that kind.
TEST(PointPlayBoxes, EachBoxCarriesTheEnginesBitForItsKind) {
  const std::map<int, int> chase = {
      {IDC_CHASE_CHANPRESS, kChaseChannelPressure}, {IDC_CHASE_KEYPRESS, kChaseKeyPressure},
      {IDC_CHASE_CONTROL, kChaseControl},           {IDC_CHASE_PROGRAM, kChaseProgram},
      {IDC_CHASE_BEND, kChaseBend},                 {IDC_CHASE_SYSEX, kChaseSysEx},
  };
  const std::map<int, int> truant = {
      {IDC_TRUANT_KEYPRESS, kTruantKeyPressure},   {IDC_TRUANT_PROGRAM, kTruantProgram},
      {IDC_TRUANT_CHANPRESS, kTruantChannelPressure}, {IDC_TRUANT_BEND, kTruantBend},
      {IDC_TRUANT_MODULATION, kTruantModulation},  {IDC_TRUANT_VOLUME, kTruantVolume},
      {IDC_TRUANT_EXPRESSION, kTruantExpression},  {IDC_TRUANT_PAN, kTruantPan},
  };
  for (const auto& [id, bit] : chase) {
    const EventBitBox* box = BoxOf(kChaseBoxes, kChaseBoxCount, id);
    ASSERT_NE(box, nullptr) << id;
    EXPECT_EQ(box->bit, bit) << id;
  }
  for (const auto& [id, bit] : truant) {
    const EventBitBox* box = BoxOf(kTruantBoxes, kTruantBoxCount, id);
    ASSERT_NE(box, nullptr) << id;
    EXPECT_EQ(box->bit, bit) << id;
  }
}

TEST(PointPlayBoxes, StoredValuesKeepTheirMeaning) {
  // The engine's defaults shown and stored again unchanged.
  for (const auto& [boxes, count, word] :
       {std::tuple{kChaseBoxes, kChaseBoxCount, 63}, std::tuple{kTruantBoxes, kTruantBoxCount, 985},
        std::tuple{kTruantBoxes, kTruantBoxCount, 0x202}}) {
    bool checked[kTruantBoxCount] = {};
    for (int i = 0; i < count; ++i) checked[i] = (word & boxes[i].bit) != 0;
    EXPECT_EQ(WordFromBoxes(word, boxes, checked, count), word);
  }
  // Pan alone checked: the engine stores pan, nothing else.
  bool checked[kTruantBoxCount] = {};
  for (int i = 0; i < kTruantBoxCount; ++i) checked[i] = kTruantBoxes[i].id == IDC_TRUANT_PAN;
  // Bit 0x002 (other controllers) has no box and stays.
  EXPECT_EQ(WordFromBoxes(985 | 0x002, kTruantBoxes, checked, kTruantBoxCount), kTruantPan | 0x002);
}

TEST(CommandTexts, CutAtMostAtTheLimitWithoutSplittingACharacter) {
  EXPECT_EQ(CutCp932Text(std::string(259, 'a'), 259), std::string(259, 'a'));
  EXPECT_EQ(CutCp932Text(std::string(300, 'a'), 259), std::string(259, 'a'));
  // "あ" in code page 932 is two bytes; it would end one byte past the limit.
  const std::string text = std::string(258, 'a') + "\x82\xa0" + "b";
  EXPECT_EQ(CutCp932Text(text, 259), std::string(258, 'a'));
  EXPECT_EQ(CutCp932Text(std::string(257, 'a') + "\x82\xa0", 259), std::string(257, 'a') + "\x82\xa0");
}

}  // namespace
