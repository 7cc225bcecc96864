#include "fonts.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "appglobals.h"
#include "errlog.h"
#include "inifile.h"
#include "programstate.h"
#include "shellutil.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "stepwnd.h"
#include "viewglobals.h"
#include "viewwindow.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

constexpr const char* kSection = "Default Font";
constexpr DWORD kTextFontFlags =
    CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_FORCEFONTEXIST | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;

LOGFONTA LogFontOf(HFONT font) {
  LOGFONTA lf{};
  if (!font || GetObjectA(font, sizeof lf, &lf) == 0) GetObjectA(GetStockObject(SYSTEM_FIXED_FONT), sizeof lf, &lf);
  return lf;
}

UINT_PTR CALLBACK TextFontHook(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  CommonFontDialogHook(dialog, message, wParam);
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// Runs the system font dialog for the text windows over owner; true when
// the user chose, font then holding the choice.
bool RunTextFontDialog(HINSTANCE instance, HWND owner, LOGFONTA& font) {
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.hInstance = instance;
  cf.lpLogFont = &font;
  cf.Flags = kTextFontFlags;
  cf.lpfnHook = TextFontHook;
  return ChooseFontA(&cf) != FALSE;
}

bool IsLogWindow(HWND window) { return window && (window == g_logs.errLog || window == g_logs.searchLog); }

bool IsTrackEditor(HWND window) {
  if (!window) return false;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (StepEditorOfTrack(n) == window) return true;
  return false;
}

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

// What a changed font of the current step editor (or the window standing in
// for it) needs besides its own repaint, by the active child.
void AfterFontChange(HWND target) {
  HWND active = ActiveMdiChild();
  if (IsTrackEditor(active)) {
    // A maximised editor must stay so for the MDI code that sees the message.
    if (const StepEditorData* ed = StepEditorDataOf(target))
      SendMessageA(target, WM_SIZE, IsZoomed(target) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                   MAKELPARAM(ed->clientWidth, ed->clientHeight));
    InvalidateRect(target, nullptr, TRUE);
    SendMessageA(target, WM_ZK_STEPCHANGED, 0, 0);
    return;
  }
  if (active && active == g_views.conductor) {
    LayoutConductorFields();
  } else if (IsLogWindow(active)) {
    SendMessageA(target, WM_SETFONT, reinterpret_cast<WPARAM>(ViewWindowFont(target)), 1);
  } else {
    return;
  }
  Repaint(target);
}

}  // namespace

void LoadDefaultFont(LOGFONTA* font) {
  if (!font) return;
  std::memset(font, 0, sizeof *font);
  font->lfHeight = IniGetInt(kSection, "Height", 0);
  font->lfWidth = IniGetInt(kSection, "Width", 0);
  font->lfEscapement = IniGetInt(kSection, "Escapement", 0);
  font->lfOrientation = IniGetInt(kSection, "Orientation", 0);
  font->lfWeight = IniGetInt(kSection, "Weight", 0);
  font->lfItalic = static_cast<BYTE>(IniGetInt(kSection, "Italic", 0));
  font->lfUnderline = static_cast<BYTE>(IniGetInt(kSection, "Underline", 0));
  font->lfStrikeOut = static_cast<BYTE>(IniGetInt(kSection, "StrikeOut", 0));
  font->lfCharSet = static_cast<BYTE>(IniGetInt(kSection, "CharSet", 0));
  font->lfOutPrecision = static_cast<BYTE>(IniGetInt(kSection, "OutPrecision", 0));
  font->lfClipPrecision = static_cast<BYTE>(IniGetInt(kSection, "ClipPrecision", 0));
  font->lfQuality = static_cast<BYTE>(IniGetInt(kSection, "Quality", 0));
  font->lfPitchAndFamily = static_cast<BYTE>(IniGetInt(kSection, "PitchAndFamily", 0));
  IniGetString(kSection, "FaceName", "", font->lfFaceName, LF_FACESIZE);
}

void SaveDefaultFont(LOGFONTA font) {
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  IniWriteInt(kSection, "Height", font.lfHeight);
  IniWriteInt(kSection, "Width", font.lfWidth);
  IniWriteInt(kSection, "Escapement", font.lfEscapement);
  IniWriteInt(kSection, "Orientation", font.lfOrientation);
  IniWriteInt(kSection, "Weight", font.lfWeight);
  IniWriteInt(kSection, "Italic", font.lfItalic);
  IniWriteInt(kSection, "Underline", font.lfUnderline);
  IniWriteInt(kSection, "StrikeOut", font.lfStrikeOut);
  IniWriteInt(kSection, "CharSet", font.lfCharSet);
  IniWriteInt(kSection, "OutPrecision", font.lfOutPrecision);
  IniWriteInt(kSection, "ClipPrecision", font.lfClipPrecision);
  IniWriteInt(kSection, "Quality", font.lfQuality);
  IniWriteInt(kSection, "PitchAndFamily", font.lfPitchAndFamily);
  font.lfFaceName[LF_FACESIZE - 1] = '\0';
  IniWriteString(kSection, "FaceName", font.lfFaceName);
  SetCursor(previous);
}

HFONT CreateDefaultFont() {
  LOGFONTA font{};
  LoadDefaultFont(&font);
  HFONT made = CreateFontIndirectA(&font);
  return made ? made : static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

void DeleteOwnedFont(HFONT font) {
  if (!font) return;
  for (int stock : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEVICE_DEFAULT_FONT,
                    SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT})
    if (font == GetStockObject(stock)) return;
  DeleteObject(font);
}

int ChooseWindowFont(HINSTANCE instance, HWND window, int mode) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  LOGFONTA font{};
  if (mode == 1) {
    HFONT made = CreateDefaultFont();
    font = LogFontOf(made);
    DeleteOwnedFont(made);
  } else {
    font = LogFontOf(ViewWindowFont(window));
  }
  if (!RunTextFontDialog(instance, window, font)) return 0;
  if (mode == 1) {
    SaveDefaultFont(font);
    // Windows made from now on without a font of their own take it.
    if (g_prog.defaultFont) *g_prog.defaultFont = font;
    if (shift) ApplyFontToTextWindows(font);
  } else if (shift) {
    ApplyFontToTextWindows(font);
  } else {
    ApplyWindowFont(window, font);
  }
  return 1;
}

int ChooseFontMode1(HINSTANCE instance, HWND owner) { return ChooseWindowFont(instance, owner, 1); }

void ApplyWindowFont(HWND window, const LOGFONTA& font) {
  HFONT made = CreateFontIndirectA(&font);
  if (!made) return;
  HFONT old = nullptr;
  if (!SwapViewWindowFont(window, made, &old)) {
    DeleteObject(made);
    return;
  }
  // The log's edit must let go of the old font before it is deleted.
  if (IsLogWindow(window)) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(made), FALSE);
  DeleteOwnedFont(old);
  InvalidateRect(window, nullptr, TRUE);
  if (window == g_viewWindows.trackWindow) SendMessageA(window, WM_ZK_STEPCHANGED, 0, 0);
  if (window == g_views.conductor) LayoutConductorFields();
}

void ApplyFontToTextWindows(const LOGFONTA& font) {
  for (HWND window : {g_viewWindows.trackWindow, g_views.conductor, g_logs.errLog, g_logs.searchLog,
                      g_viewWindows.nameList})
    if (window) ApplyWindowFont(window, font);
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (HWND editor = StepEditorOfTrack(n)) ApplyWindowFont(editor, font);
}

void FontChangeCommand(HWND) {
  // The font is the current step editor's; without one there is no font to
  // start from, and nothing happens.
  HWND target = g_prog.currentStep && IsWindow(g_prog.currentStep) ? g_prog.currentStep : nullptr;
  if (!target) return;
  if (ChooseWindowFont(AppInstance(), target, 0)) AfterFontChange(target);
}

FaceFilter FilterVerticalFaces(const std::vector<std::string>& faces, int selection) {
  FaceFilter result;
  const int count = static_cast<int>(faces.size());
  auto vertical = [&](int i) { return !faces[i].empty() && faces[i][0] == '@'; };
  for (int i = count - 1; i >= 0; --i)
    if (vertical(i)) result.removed.push_back(i);
  const int kept = count - static_cast<int>(result.removed.size());
  auto newIndex = [&](int i) {
    return i - static_cast<int>(std::count_if(result.removed.begin(), result.removed.end(),
                                              [i](int r) { return r < i; }));
  };
  if (selection < 0 || selection >= count || kept == 0) return result;
  if (!vertical(selection)) {
    result.selection = newIndex(selection);
    return result;
  }
  const std::string upright = faces[selection].substr(1);
  for (int i = 0; i < count; ++i)
    if (!vertical(i) && faces[i] == upright) {
      result.selection = newIndex(i);
      return result;
    }
  result.selection = std::min(newIndex(selection), kept - 1);
  return result;
}

void CommonFontDialogHook(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_INITDIALOG) {
    CentreWindowOverFrame(dialog);
    return;
  }
  if (message != WM_SHOWWINDOW || !wParam) return;
  HWND list = GetDlgItem(dialog, cmb1);
  if (!list) return;
  std::vector<std::string> faces;
  const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char name[LF_FACESIZE + 2] = "";
    const int length = static_cast<int>(SendMessageA(list, CB_GETLBTEXTLEN, i, 0));
    if (length > 0 && length < static_cast<int>(sizeof name))
      SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
    faces.push_back(name);
  }
  const int selected = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
  const FaceFilter filter = FilterVerticalFaces(faces, selected);
  if (filter.removed.empty()) return;
  for (int index : filter.removed) SendMessageA(list, CB_DELETESTRING, index, 0);
  SendMessageA(list, CB_SETCURSEL, filter.selection, 0);
  // A vertical face was the one chosen: let the dialog follow the new one.
  if (selected >= 0 && selected < count && faces[selected][0] == '@')
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
