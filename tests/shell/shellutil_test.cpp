// The shell's small operations: caret placement, centring and the piano
// palette's sounding keys.
#include <gtest/gtest.h>

#include <cstring>

#include "shellutil.h"

namespace {

TEST(StepCaretTest, TwoColumnsFollowTheOffsets) {
  struct Case {
    int column;
    int16_t offsets[2];
    POINT want;
  };
  const Case cases[] = {
      {0, {3, 0}, {1, 32}},
      {11, {3, 0}, {89, 32}},
      {22, {3, 0}, {177, 32}},   // first offset while the second is 0
      {27, {3, 0}, {217, 32}},
      {22, {3, 5}, {193, 32}},   // the second offset when it is set
  };
  for (const Case& c : cases) {
    POINT p = StepCaretPoint(c.column, 3, 8, 10, c.offsets);
    EXPECT_EQ(p.x, c.want.x) << c.column;
    EXPECT_EQ(p.y, c.want.y) << c.column;
  }
}

TEST(CentreTest, CentreLiesOnTheFramesCentre) {
  POINT p = CentredOrigin(RECT{100, 50, 900, 650}, 200, 100);
  EXPECT_EQ(p.x, 400);
  EXPECT_EQ(p.y, 300);
  // A window larger than the frame starts before it.
  p = CentredOrigin(RECT{0, 0, 100, 100}, 300, 100);
  EXPECT_EQ(p.x, -100);
}

TEST(PianoKeysTest, MarkerAndOctaveArithmetic) {
  RECT m = WhiteKeyMarker(RECT{10, 0, 30, 60}, 60, 8);
  EXPECT_EQ(m.left, 12);
  EXPECT_EQ(m.right, 28);
  EXPECT_EQ(m.top, 46);      // bottom - 2u = 44 is above 2h/3 + 1 = 41
  EXPECT_EQ(m.bottom, 58);
  m = WhiteKeyMarker(RECT{10, 0, 30, 60}, 60, 20);
  EXPECT_EQ(m.top, 43);      // 2h/3 + 1 = 41, then shrunk
  EXPECT_EQ(OctaveNumber(0, 60), 4);
  EXPECT_EQ(OctaveNumber(0, 36), 2);
  uint8_t keys[16] = {};
  keys[60 / 8] |= 1 << (60 & 7);
  EXPECT_TRUE(KeySounds(keys, 60));
  EXPECT_FALSE(KeySounds(keys, 61));
  EXPECT_FALSE(KeySounds(keys, 128));
}

// A keyboard of D, D sharp and E (no C, so no labels) on a memory bitmap.
class KeyboardDc {
 public:
  KeyboardDc() {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 60;
    bi.bmiHeader.biHeight = 60;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    layout.firstKey = 62;
    layout.keyCount = 3;
    layout.keyRects = rects_;
    layout.whiteKeys = white_;
    layout.keyHeight = 60;
    layout.unit = 8;
    layout.brushA = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    layout.brushB = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  ~KeyboardDc() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF WhiteMarker() const { return GetPixel(dc_, 10, 52); }
  COLORREF BlackKey() const { return GetPixel(dc_, 25, 20); }
  PianoKeyLayout layout;

 private:
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  RECT rects_[3] = {{0, 0, 20, 60}, {20, 0, 30, 36}, {30, 0, 50, 60}};
  bool white_[3] = {true, false, true};
};

TEST(PianoKeysTest, SoundingKeysAreDrawnOnceAndClearedInFull) {
  ClearShownKeys();
  KeyboardDc board;
  uint8_t chord[16] = {};
  chord[62 / 8] |= 1 << (62 & 7);
  chord[63 / 8] |= 1 << (63 & 7);
  EXPECT_TRUE(DrawSoundingKeys(board.dc(), board.layout, chord));
  EXPECT_EQ(board.WhiteMarker(), RGB(0, 0, 0));        // D sounds
  EXPECT_EQ(board.BlackKey(), RGB(255, 255, 255));     // D sharp sounds
  // The same keys again: nothing is drawn.
  EXPECT_FALSE(DrawSoundingKeys(board.dc(), board.layout, chord));
  // Nothing sounds after several did: every key back to its normal colour.
  uint8_t none[16] = {};
  EXPECT_TRUE(DrawSoundingKeys(board.dc(), board.layout, none));
  EXPECT_EQ(board.WhiteMarker(), RGB(255, 255, 255));
  EXPECT_EQ(board.BlackKey(), RGB(0, 0, 0));
  ClearShownKeys();
  EXPECT_TRUE(DrawSoundingKeys(board.dc(), board.layout, none));
}

}  // namespace
