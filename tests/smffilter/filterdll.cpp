#include "filterdll.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <typename Fn>
void Bind(HMODULE module, int ordinal, Fn* fn) {
  *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

constexpr char kIni[] = "ZKFW95.INI";
BoxCatcher* g_catcher = nullptr;

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0) {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) *reinterpret_cast<std::string*>(lp) += text;
  }
  return TRUE;
}

}  // namespace

FilterDll::FilterDll() {
  module_ = LoadLibraryA("zksmf.dll");
  EXPECT_NE(nullptr, module_);
  if (!module_) return;
  Bind(module_, 2, &getImpVersion);
  Bind(module_, 3, &getFileExtension);
  Bind(module_, 5, &checkImpFile);
  Bind(module_, 8, &readinFile);
  Bind(module_, 18, &getExpVersion);
  Bind(module_, 19, &getExpFileExtension);
  Bind(module_, 20, &setExpFileExtension);
}

FilterDll::~FilterDll() {
  if (module_) FreeLibrary(module_);
}

int FilterDll::Check(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, bytes.size());
  if (!bytes.empty()) {
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
  }
  int result = checkImpFile(h);
  // The block is the host's, and left unlocked.
  EXPECT_EQ(0u, GlobalFlags(h) & GMEM_LOCKCOUNT);
  GlobalFree(h);
  return result;
}

FilterIni::FilterIni() {
  WritePrivateProfileStringA("zksmf", nullptr, nullptr, kIni);
  WritePrivateProfileStringA("OTHER", nullptr, nullptr, kIni);
}

FilterIni::~FilterIni() {
  WritePrivateProfileStringA("zksmf", nullptr, nullptr, kIni);
  WritePrivateProfileStringA("OTHER", nullptr, nullptr, kIni);
}

void FilterIni::Set(const char* section, const char* key, int value) {
  WritePrivateProfileStringA(section, key, std::to_string(value).c_str(), kIni);
}

BoxCatcher::BoxCatcher(bool quick) : quick_(quick) {
  g_catcher = this;
  hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

BoxCatcher::~BoxCatcher() {
  if (hook_) UnhookWindowsHookEx(hook_);
  g_catcher = nullptr;
}

LRESULT CALLBACK BoxCatcher::Hook(int code, WPARAM wp, LPARAM lp) {
  static HWND answered = nullptr;
  HWND box = reinterpret_cast<HWND>(wp);
  if (code == HCBT_CREATEWND && g_catcher && g_catcher->quick_) {
    const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
    if (IS_INTRESOURCE(cs->lpszClass) && LOWORD(reinterpret_cast<ULONG_PTR>(cs->lpszClass)) == 32770) {
      g_catcher->boxes.push_back({cs->lpszName ? cs->lpszName : "", ""});
      return 1;
    }
  }
  if (code == HCBT_ACTIVATE && g_catcher && box != answered) {
    char cls[32] = {};
    GetClassNameA(box, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) {
      answered = box;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  // The texts are read as the box goes, when it surely has them.
  if (code == HCBT_DESTROYWND && g_catcher && box == answered) {
    answered = nullptr;
    CaughtBox caught;
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    caught.caption = caption;
    EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&caught.text));
    g_catcher->boxes.push_back(caught);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

std::string FilterText(HMODULE module, UINT id) {
  char buffer[1024];
  int n = LoadStringA(module, id, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

void ExpectWholeSong(HGLOBAL tableBlock) {
  auto* table = static_cast<SongHandleTable*>(GlobalLock(tableBlock));
  ASSERT_NE(nullptr, table);
  HGLOBAL headerBlock = table->h[kHeaderEntry];
  ASSERT_NE(nullptr, headerBlock);
  auto* header = static_cast<SongHeader*>(GlobalLock(headerBlock));
  int count = header->trackCount;
  EXPECT_GE(header->timeBase, 48);
  EXPECT_GE(header->tempo, 1);
  EXPECT_LE(header->tempo, 240);
  EXPECT_GE(header->beatNum, 1);
  GlobalUnlock(headerBlock);
  EXPECT_GE(count, 1);
  EXPECT_LE(count, kMaxTracks);
  for (int k = 1; k <= count && k <= kMaxTracks; ++k) {
    HGLOBAL th = table->h[TrackHeaderEntry(k)];
    HGLOBAL ev = table->h[TrackEventsEntry(k)];
    ASSERT_NE(nullptr, th) << k;
    ASSERT_NE(nullptr, ev) << k;
    ASSERT_GE(GlobalSize(th), sizeof(TrackHeader));
    EXPECT_EQ(k, static_cast<TrackHeader*>(GlobalLock(th))->number);
    GlobalUnlock(th);
    ASSERT_GE(GlobalSize(ev), kFullBlockBytes);
    auto* e = static_cast<StepEvent*>(GlobalLock(ev));
    int end = -1;
    for (int i = 0; i < kTrackSlots; ++i) {
      if (e[i].code == kEndCode) {
        end = i;
        break;
      }
    }
    EXPECT_GE(end, 0) << k;
    EXPECT_LE(end, kMaxTrackEvents) << k;
    GlobalUnlock(ev);
  }
  GlobalUnlock(tableBlock);
}
