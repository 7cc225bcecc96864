#include "stepwnd.h"

#include <string>

#include "appglobals.h"
#include "binding.h"
#include "programstate.h"
#include "songmodel.h"
#include "stepeditdata.h"
#include "trackattach.h"
#include "viewglobals.h"
#include "viewwindows.h"
#include "zk/messages.h"

namespace {

HGLOBAL DataHandle(HWND window) { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(window, 0)); }

void ClearTableEntry(HWND window, int track) {
  if (track < 1 || track > kMaxTracks) return;
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return;
  if (auto* t = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    if (t->editor[track - 1] == window) t->editor[track - 1] = nullptr;
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
}

LRESULT OnCreate(HWND window) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(StepEditorData));
  auto* ed = h ? static_cast<StepEditorData*>(GlobalLock(h)) : nullptr;
  if (!ed) {
    if (h) GlobalFree(h);
    return -1;
  }
  // The record stays locked while the window lives; the editor code reaches
  // it through the user data word.
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(h));
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ed));
  ed->selFrom = ed->selTo = -1;
  ed->viewFlags[0] = 1;
  if (g_prog.defaultFont && g_prog.defaultFont->lfHeight != 0) ed->font = CreateFontIndirectA(g_prog.defaultFont);
  AttachTrackToEditor(ed, window, g_prog.publishedTrack);
  return 0;
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  StepEditorData* ed = GetStepEditorData(window);
  HGDIOBJ old = SelectObject(dc, ed && ed->font ? ed->font : GetStockObject(SYSTEM_FIXED_FONT));
  SetBkMode(dc, TRANSPARENT);
  char text[160];
  GetWindowTextA(window, text, sizeof text);
  TextOutA(dc, 4, 4, text, lstrlenA(text));
  SelectObject(dc, old);
  EndPaint(window, &ps);
}

void OnSize(HWND window, LPARAM lParam) {
  if (StepEditorData* ed = GetStepEditorData(window)) {
    ed->clientWidth = LOWORD(lParam);
    ed->clientHeight = HIWORD(lParam);
  }
}

void OnActivate(HWND window, LPARAM activated) {
  if (reinterpret_cast<HWND>(activated) != window) {
    if (g_prog.activeChild == window) g_prog.activeChild = nullptr;
    return;
  }
  g_prog.activeChild = window;
  if (g_app.frame) SendMessageA(g_app.frame, WM_ZK_SETCURCHILD, 0, reinterpret_cast<LPARAM>(window));
}

void DestroyFieldEdits(StepEditorData* ed) {
  if (!ed->fieldEdits) return;
  if (auto* fields = static_cast<HWND*>(GlobalLock(ed->fieldEdits))) {
    const size_t count = GlobalSize(ed->fieldEdits) / sizeof(HWND);
    for (size_t i = 0; i < count && i < 5; ++i)
      if (fields[i] && IsWindow(fields[i])) DestroyWindow(fields[i]);
    GlobalUnlock(ed->fieldEdits);
  }
  GlobalFree(ed->fieldEdits);
  ed->fieldEdits = nullptr;
}

void OnDestroy(HWND window) {
  FreeTrackWindowData(window);
  if (g_prog.activeChild == window) g_prog.activeChild = nullptr;
  if (g_prog.currentStep == window) g_prog.currentStep = g_prog.currentStepCopy = nullptr;
}

void OnNcDestroy(HWND window) {
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  if (HGLOBAL h = DataHandle(window)) {
    GlobalUnlock(h);
    GlobalFree(h);
  }
  SetWindowLongPtrA(window, 0, 0);
}

}  // namespace

void FreeTrackWindowData(HWND window) {
  StepEditorData* ed = GetStepEditorData(window);
  if (!ed) return;
  ClearTableEntry(window, ed->track);
  FreeTrackViewBuffers(ed);
  ed->companion = nullptr;
  if (ed->font) DeleteObject(ed->font);
  ed->font = nullptr;
  DestroyFieldEdits(ed);
}

LRESULT CALLBACK MPMDISTEPWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_SIZE:
      OnSize(window, lParam);
      break;
    case WM_MDIACTIVATE:
      OnActivate(window, lParam);
      break;
    case WM_DESTROY:
      OnDestroy(window);
      break;
    case WM_NCDESTROY:
      OnNcDestroy(window);
      break;
  }
  return DefMDIChildProcA(window, message, wParam, lParam);
}

HWND StepEditorOfTrack(int track) {
  if (track < 1 || track > kMaxTracks || !g_app.frame) return nullptr;
  HWND result = nullptr;
  SongDocument* doc = LockSongDocument(g_app.frame);
  if (!doc) return nullptr;
  if (auto* t = doc->trackWindows ? static_cast<TrackWindowTable*>(GlobalLock(doc->trackWindows)) : nullptr) {
    result = t->editor[track - 1];
    GlobalUnlock(doc->trackWindows);
  }
  UnlockSongDocument(g_app.frame);
  return result && IsWindow(result) ? result : nullptr;
}

int GetStepWindowTrack(HWND window) {
  StepEditorData* ed = window ? GetStepEditorData(window) : nullptr;
  return ed ? ed->track : 0;
}

int CountStepEditors() {
  int count = 0;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (StepEditorOfTrack(n)) ++count;
  return count;
}

int PickStepWindowToReuse() {
  int current = GetStepWindowTrack(g_prog.currentStep);
  if (current >= 1 && StepEditorOfTrack(current) == g_prog.currentStep) return current - 1;
  for (int n = 1; n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (StepEditorOfTrack(n)) return n - 1;
  return g_song.trackCount;
}

HWND StepEditorToReuse() {
  int index = PickStepWindowToReuse();
  return index < g_song.trackCount ? StepEditorOfTrack(index + 1) : nullptr;
}

HWND CreateStepEditor(int track, DWORD extraStyle) {
  if (!g_app.mdiClient || track < 1 || track > g_song.trackCount) return nullptr;
  g_prog.publishedTrack = track;
  MDICREATESTRUCTA mc = {};
  mc.szClass = kStepEditorClass;
  mc.szTitle = "";
  mc.hOwner = g_app.instance;
  mc.x = mc.y = mc.cx = mc.cy = CW_USEDEFAULT;
  mc.style = WS_CLIPSIBLINGS | WS_VSCROLL | extraStyle;
  HWND window = reinterpret_cast<HWND>(SendMessageA(g_app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mc)));
  g_prog.publishedTrack = 0;
  return window;
}

bool RebindStepEditor(HWND window, int track) {
  StepEditorData* ed = GetStepEditorData(window);
  if (!ed) return false;
  ClearTableEntry(window, ed->track);
  ed->topLine = 0;
  return AttachTrackToEditor(ed, window, track) >= 0;
}

void CloseAllChildWindows() {
  if (!g_app.mdiClient) return;
  ShowWindow(g_app.mdiClient, SW_HIDE);
  for (int n = 1; n <= kMaxTracks; ++n) {
    HWND editor = StepEditorOfTrack(n);
    if (!editor) continue;
    // The score view lets go of the editor before it goes.
    if (g_views.scoreView) SendMessageA(g_views.scoreView, WM_ZK_SCOREFOLLOW, 0, 0);
    SendMessageA(editor, WM_CLOSE, 0, 0);
    if (IsWindow(editor)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(editor), 0);
  }
  // The singleton children; the palettes and the logs stay.
  const HWND singletons[] = {g_views.conductor,    g_viewWindows.nameList, g_viewWindows.trackWindow,
                             g_playmon.window,     g_views.userExclusive,  g_viewWindows.trackExclusive};
  for (HWND w : singletons)
    if (w && IsWindow(w)) SendMessageA(g_app.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
}

StepEditorData* StepEditorDataOf(HWND window) {
  char name[32] = {};
  if (!window || !GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, kStepEditorClass) != 0) return nullptr;
  return GetStepEditorData(window);
}

int TrackOfStepEditor(HWND window) {
  for (int n = 1; window && n <= g_song.trackCount && n <= kMaxTracks; ++n)
    if (StepEditorOfTrack(n) == window) return n;
  return 0;
}
