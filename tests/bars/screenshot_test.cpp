#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "appglobals.h"
#include "bars_window.h"
#include "settings.h"
#include "statusline.h"
#include "testsupport.h"
#include "toolpalette.h"

namespace {

// The folder of the run's pictures (ZK_TEST_OUTPUT, a path of the build
// machine), as a path of this system; empty when none is set.
std::string OutputFolder() {
  const char* dir = std::getenv("ZK_TEST_OUTPUT");
  if (!dir || !*dir) return std::string();
  std::string path = dir;
  if (path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

// Writes the window's client area as a 24-bit BMP file.
bool SaveClientBitmap(HWND window, const std::string& path) {
  RECT rc;
  GetClientRect(window, &rc);
  const int w = rc.right, h = rc.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screen = GetDC(window);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  const DWORD imageBytes = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + imageBytes;
  bool ok = false;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
         std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
         std::fwrite(bits, imageBytes, 1, f) == 1;
    ok = (std::fclose(f) == 0) && ok;
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(window, screen);
  return ok;
}

// A picture of the palette above and the status line below, for a person to
// look at: tune and panic inactive (ports held elsewhere), the mode text.
TEST(BarsPicture, PaletteAndStatusLine) {
  const std::string folder = OutputFolder();
  if (folder.empty()) GTEST_SKIP() << "ZK_TEST_OUTPUT is not set";
  TempSettingsFile ini;
  const AppSettings saved = g_settings;
  const uint32_t savedPorts = g_app.portsUnavailable;
  g_settings.statusBar = 2;
  g_settings.toolBar = 1;
  g_settings.stepInputMode = 7;
  g_app.portsUnavailable = 1;
  {
    BarsParent frame(480, 120);
    AttachStatusLine(frame.hwnd());
    HWND palette = CreateToolPalette(GetModuleHandleA(nullptr), frame.hwnd());
    ASSERT_NE(nullptr, palette);
    SetWindowPos(palette, nullptr, 0, 0, 480, kToolPaletteHeight, SWP_NOZORDER);
    ResetToolButtonStates();
    ShowStatus(frame.hwnd(), kStatusMode, 1);
    frame.Repaint();
    HDC dc = GetDC(frame.hwnd());
    PaintStatusLine(frame.hwnd(), dc);
    ReleaseDC(frame.hwnd(), dc);
    // The palette and the line are on the screen.
    EXPECT_NE(kParentBackground, ClientPixel(frame.hwnd(), ToolButtonX(0) + 1, 2));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ClientPixel(frame.hwnd(), 0, 119));
    const std::string path = folder + "\\bars.bmp";
    EXPECT_TRUE(SaveClientBitmap(frame.hwnd(), path)) << path;
    DetachStatusLine();
  }
  g_app.portsUnavailable = savedPorts;
  g_settings = saved;
}

}  // namespace
