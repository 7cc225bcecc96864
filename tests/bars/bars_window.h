// A plain top-level window standing in as the frame of the status line and
// the tool palette: it keeps the frame's data word (song record) and notes
// every WM_COMMAND that reaches it.
#pragma once
#include <windows.h>

#include <vector>

class BarsParent {
 public:
  BarsParent(int width = 640, int height = 240);
  ~BarsParent();
  HWND hwnd() const { return hwnd_; }
  // Runs the queued messages of this thread, then returns the command ids
  // that reached the window since the last call.
  std::vector<int> TakeCommands();
  // Repaints the whole client area with the window's own background.
  void Repaint();

 private:
  HWND hwnd_ = nullptr;
};

// Runs every queued message of this thread.
void PumpMessages();

// A 32-bit top-down bitmap of w x h selected into a new memory device;
// the old bitmap of the device goes to *old.
HBITMAP SelectNewDib(HDC dc, int w, int h, HGDIOBJ* old);

// Colour at a client point of a shown window.
COLORREF ClientPixel(HWND window, int x, int y);

// The window background of BarsParent: a colour no status line uses.
constexpr COLORREF kParentBackground = RGB(255, 0, 255);
