// The number fields of the step editor's dialogs: limits at two time bases,
// the step of one key, pitch-name stepping and where Enter and Esc end a
// dialog.
#include <gtest/gtest.h>

#include <string>

#include "dlgedit.h"
#include "settings.h"
#include "stepshared.h"

namespace {

TEST(DlgFieldLimitsTest, TimeBasesAndValueKinds) {
  struct {
    int id;
    int kind;  // RangeValueKind
    FieldLimits at480, at96;
  } cases[] = {
      {100, 0, {1, 9999}, {1, 9999}},
      {103, 0, {1, 9999}, {1, 9999}},
      {104, kRangeKindTime, {1, 9999}, {1, 9999}},
      {105, 0, {-36, 36}, {-36, 36}},
      {105, kRangeKindTime, {-360, 360}, {-72, 72}},
      {105, kRangeKindBend, {-36, 36}, {-36, 36}},
      {112, 0, {1, 12}, {1, 12}},
      {130, 0, {1, 40}, {1, 40}},
      {124, 0, {0, 127}, {0, 127}},
      {128, 0, {0, 0}, {0, 0}},  // no stroke yet
      {220, 0, {40, 480}, {8, 96}},
      {853, 0, {0, 2550}, {0, 510}},
      {863, 0, {0, 2550}, {0, 510}},
      {872, 0, {0, 2550}, {0, 510}},
      {852, 0, {0, 255}, {0, 255}},
      {873, 0, {0, 255}, {0, 255}},
      {1011, 0, {0, 127}, {0, 127}},
      {1013, 0, {0, 127}, {0, 127}},
      {1012, 0, {0, 255}, {0, 255}},
      {1014, 0, {0, 255}, {0, 255}},
      {1072, 0, {-36, 36}, {-36, 36}},
      {1073, 0, {0, 255}, {0, 255}},
      {1108, 0, {0, 255}, {0, 255}},  // steps by pitch name, not by number
      {1680, 0, {0, 127}, {0, 127}},
      {1680, kRangeKindTempo, {0, 255}, {0, 255}},
      {1680, kRangeKindBend, {-8192, 8191}, {-8192, 8191}},
      {1680, kRangeKindTime, {0, 9990}, {0, 1998}},
      {1681, 0, {0, 127}, {0, 127}},
      {1681, kRangeKindTempo, {0, 255}, {0, 255}},
      {1681, kRangeKindBend, {-8192, 8191}, {-8192, 8191}},
      {1681, kRangeKindTime, {0, 9990}, {0, 1998}},
      {1682, kRangeKindTime, {0, 9999}, {0, 9999}},
      {1684, 0, {1, 2550}, {1, 510}},
      {1685, 0, {1, 255}, {1, 255}},
      {366, 0, {0, 255}, {0, 255}},
  };
  for (const auto& c : cases) {
    for (int base : {480, 96}) {
      FieldLimitContext context;
      context.timeBase = base;
      context.trackCount = 12;
      context.maxTrack = 40;
      context.strokeTotal = 0;
      context.rangeValueKind = c.kind;
      const FieldLimits want = base == 480 ? c.at480 : c.at96;
      const FieldLimits got = DlgFieldLimits(c.id, context);
      EXPECT_EQ(got.min, want.min) << c.id << " kind " << c.kind << " at " << base;
      EXPECT_EQ(got.max, want.max) << c.id << " kind " << c.kind << " at " << base;
    }
  }
}

TEST(FieldStepTest, AmountByShiftAndBendFields) {
  struct {
    int id;
    bool shift;
    int kind, amount;
  } cases[] = {
      {100, false, 0, 1},     {100, true, 0, 10},     {1680, false, kRangeKindBend, 128},
      {1681, true, kRangeKindBend, 1024},             {1680, true, kRangeKindTempo, 10},
      {1682, false, kRangeKindBend, 1},               {105, true, kRangeKindBend, 10},
  };
  for (const auto& c : cases) EXPECT_EQ(FieldStepAmount(c.id, c.shift, c.kind), c.amount) << c.id;
}

TEST(FieldStepTest, SteppedValueIsClamped) {
  struct {
    long long value, delta;
    int min, max, result;
  } cases[] = {
      {5, 1, 1, 9999, 6},
      {9995, 10, 1, 9999, 9999},
      {3, -10, 1, 9999, 1},
      {0, 0, 1, 9999, 1},  // a typed 0 steps back into range
      {-8100, -128, -8192, 8191, -8192},
      {8000, 1024, -8192, 8191, 8191},
      {2000000000, 2000000000, 0, 255, 255},
      {3, 1, 0, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SteppedFieldValue(c.value, c.delta, c.min, c.max), c.result) << c.value << " + " << c.delta;
}

TEST(FieldStepTest, PitchNamesStepAroundTheOctave) {
  struct {
    const char* text;
    int delta;
    const char* result;
  } cases[] = {
      {"B ", 1, "C "},  {"C ", -1, "B "}, {"B#", 0, "C "},  {"Cb", 1, "C "},   {"cb", 0, "B "},
      {"E-", 2, "F "},  {"A#", 1, "B "},  {"G", 13, "G#"},  {"C ", -25, "B "}, {"f+", -1, "F "},
      {"H ", 1, "H "},  {"", 1, ""},      {"60", 1, "60"},  {" C", 1, " C"},
  };
  for (const auto& c : cases) EXPECT_EQ(SteppedPitchName(c.text, c.delta), c.result) << c.text << " " << c.delta;
}

TEST(FieldKeysTest, EnterIsOkAndEscIsCancelWhereTheTableSays) {
  using A = FieldKeyAction;
  constexpr bool kEnter = true, kEsc = false;
  struct {
    int dialog, control;
    bool enter, escRet;
    A action;
  } cases[] = {
      {140, 101, kEnter, false, A::Ok},      {140, 100, kEnter, false, A::MoveFocus},
      {140, 101, kEsc, false, A::Cancel},    {140, 100, kEsc, false, A::MoveFocus},
      {2055, 101, kEnter, false, A::Ok},     {2056, 105, kEnter, false, A::Ok},
      {2056, 101, kEnter, false, A::MoveFocus}, {2056, 101, kEsc, false, A::Cancel},
      {2056, 105, kEsc, false, A::MoveFocus}, {145, 367, kEnter, false, A::Ok},
      {145, 366, kEsc, false, A::Cancel},    {145, 366, kEnter, false, A::MoveFocus},
      {500, 518, kEnter, false, A::Ok},      {500, 511, kEsc, false, A::Cancel},
      {500, 510, kEsc, false, A::MoveFocus}, {615, 112, kEnter, false, A::Ok},
      {615, 112, kEsc, false, A::MoveFocus}, {1700, 100, kEsc, false, A::Cancel},
      {1700, 1681, kEnter, false, A::MoveFocus}, {840, 872, kEnter, false, A::Ok},
      {840, 863, kEsc, false, A::Cancel},    {999, 101, kEnter, false, A::MoveFocus},
      {1700, 0, kEnter, false, A::MoveFocus}, {615, 0, kEsc, false, A::MoveFocus},  // 0 is no field
      // Dialog 152 ends on either key in every field.
      {152, 100, kEnter, false, A::Ok},      {152, 100, kEsc, false, A::Cancel},
      // ESCRET: every field ends the dialog.
      {140, 100, kEnter, true, A::Ok},       {140, 100, kEsc, true, A::Cancel},
      {999, 5, kEnter, true, A::Ok},         {1700, 1681, kEsc, true, A::Cancel},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EnterEscAction(c.dialog, c.control, c.enter, c.escRet), c.action)
        << c.dialog << "/" << c.control << (c.enter ? " Enter" : " Esc") << (c.escRet ? " ESCRET" : "");
  }
}

// A parent window with number fields, as a dialog holds them.
class FieldWindows {
 public:
  FieldWindows() {
    parent_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr),
                            nullptr);
    for (int id : {100, 102, 366, 1108})
      CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 60, 20, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                    GetModuleHandleA(nullptr), nullptr);
  }
  ~FieldWindows() { DestroyWindow(parent_); }
  HWND parent() const { return parent_; }
  void Set(int id, const char* text) { SetDlgItemTextA(parent_, id, text); }
  std::string Text(int id) const {
    char text[32] = {};
    GetDlgItemTextA(parent_, id, text, sizeof text);
    return text;
  }
  void Key(int id, WPARAM key) { SendMessageA(GetDlgItem(parent_, id), WM_KEYDOWN, key, 0); }

 private:
  HWND parent_;
};

TEST(FieldWindowTest, KeysStepAndEndTheSubclassedFields) {
  const int32_t escRet = g_settings.escRet, reversed = g_settings.reversUpDown;
  g_settings.escRet = 1;
  g_settings.reversUpDown = 0;
  FieldWindows w;
  ASSERT_TRUE(w.parent());
  SubclassKeyRangeEdit(w.parent(), 366);
  SubclassDlgEdit(w.parent(), 100);
  SubclassDlgEdit(w.parent(), 1108);

  w.Set(366, "125");
  w.Key(366, kKeyStepUp);
  EXPECT_EQ(w.Text(366), "126");
  w.Key(366, kKeyStepUp);
  w.Key(366, kKeyStepUp);
  EXPECT_EQ(w.Text(366), "127");  // a key field ends at 127
  w.Key(366, VK_PRIOR);           // Page Up lowers
  EXPECT_EQ(w.Text(366), "126");
  g_settings.reversUpDown = 1;
  w.Key(366, VK_PRIOR);
  EXPECT_EQ(w.Text(366), "127");
  g_settings.reversUpDown = 0;

  w.Set(100, "0");
  w.Key(100, kKeyStepDown);
  EXPECT_EQ(w.Text(100), "1");
  w.Set(1108, "B ");
  w.Key(1108, kKeyStepUp);
  EXPECT_EQ(w.Text(1108), "C ");

  // Esc cancels; only the number fields mark the measures as not given.
  w.Set(100, "5");
  w.Set(102, "6");
  w.Key(366, VK_ESCAPE);
  EXPECT_EQ(w.Text(100), "5");
  EXPECT_EQ(w.Text(102), "6");
  w.Key(100, VK_ESCAPE);
  EXPECT_EQ(w.Text(100), "-1");
  EXPECT_EQ(w.Text(102), "-1");

  g_settings.escRet = escRet;
  g_settings.reversUpDown = reversed;
}

}  // namespace
