#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "progressdlg.h"
#include "testsupport.h"

namespace {

std::string ClassOf(HWND w) {
  char name[64] = "";
  GetClassNameA(w, name, sizeof name);
  return name;
}

class ProgressDialogTest : public ::testing::Test {
 protected:
  void TearDown() override { DestroyProgressDialog(dialog); }
  TestFrame owner;
  HWND dialog = nullptr;
};

TEST_F(ProgressDialogTest, ShowsItsTextAndBar) {
  dialog = CreateProgressDialog(owner.hwnd(), "MIDI FILEを書き出し中です。");
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(owner.hwnd(), GetWindow(dialog, GW_OWNER));
  EXPECT_EQ(0, GetWindowLongA(dialog, GWL_STYLE) & WS_CAPTION & ~WS_BORDER);
  char text[128] = "";
  GetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, text, sizeof text);
  EXPECT_STREQ("MIDI FILEを書き出し中です。", text);
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(PROGRESS_CLASSA, ClassOf(bar));
  EXPECT_TRUE(IsWindowVisible(bar));

  SetProgressText(dialog, "次");
  GetDlgItemTextA(dialog, IDC_PROGRESS_TEXT, text, sizeof text);
  EXPECT_STREQ("次", text);
}

TEST_F(ProgressDialogTest, BarFollowsDoneOutOfTotal) {
  dialog = CreateProgressDialog(owner.hwnd(), "");
  ASSERT_NE(nullptr, dialog);
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  struct Case { int done, total, pos; } cases[] = {
      {0, 10, 0}, {1, 2, 500}, {1, 3, 333}, {3, 3, 1000}, {7, 3, 1000}, {5, 0, 0}, {-1, 4, 0},
  };
  for (const Case& c : cases) {
    SetProgressPos(dialog, c.done, c.total);
    EXPECT_EQ(c.pos, SendMessageA(bar, PBM_GETPOS, 0, 0)) << c.done << "/" << c.total;
  }
}

TEST_F(ProgressDialogTest, DestroyRemovesTheWindow) {
  dialog = CreateProgressDialog(owner.hwnd(), "x");
  ASSERT_TRUE(IsWindow(dialog));
  DestroyProgressDialog(dialog);
  EXPECT_FALSE(IsWindow(dialog));
  DestroyProgressDialog(dialog);   // a second time does nothing
  DestroyProgressDialog(nullptr);
  dialog = nullptr;
}

// A callee may add a Cancel button (item 2): showing the dialog enables it,
// OK or Cancel disable it again.
TEST_F(ProgressDialogTest, ItemTwoEnabledOnShowDisabledOnCancel) {
  dialog = CreateProgressDialog(owner.hwnd(), "");
  ASSERT_NE(nullptr, dialog);
  HWND cancel = CreateWindowA("BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, 60,
                              20, dialog, reinterpret_cast<HMENU>(IDCANCEL), nullptr, nullptr);
  ASSERT_NE(nullptr, cancel);
  ShowWindow(dialog, SW_HIDE);
  ShowWindow(dialog, SW_SHOW);
  EXPECT_TRUE(IsWindowEnabled(cancel));
  EXPECT_EQ(TRUE, ProgressDialogProc(dialog, WM_COMMAND, IDCANCEL, 0));
  EXPECT_FALSE(IsWindowEnabled(cancel));
  EnableWindow(cancel, TRUE);
  EXPECT_EQ(TRUE, ProgressDialogProc(dialog, WM_COMMAND, IDOK, 0));
  EXPECT_FALSE(IsWindowEnabled(cancel));
  EXPECT_EQ(FALSE, ProgressDialogProc(dialog, WM_COMMAND, 1752, 0));
  // The dialog stays: ending it is the caller's business.
  EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(ProgressDialogTest, WithoutItemTwoNothingHappens) {
  dialog = CreateProgressDialog(owner.hwnd(), "");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(TRUE, ProgressDialogProc(dialog, WM_COMMAND, IDCANCEL, 0));
  EXPECT_TRUE(IsWindow(dialog));
}

}  // namespace
