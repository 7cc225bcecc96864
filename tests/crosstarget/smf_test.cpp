// Standard MIDI Files as this build exports them: format 0 through zksmf.dll
// as a host calls it (the options dialog alone selects format 1), format 1
// through the export itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "enginehost.h"
#include "fixtures.h"
#include "playsong.h"
#include "smfexport.h"
#include "testsongs.h"

namespace {

using MakeExpFileFn = int(WINAPI*)(HINSTANCE, HWND, HWND, HGLOBAL, HGLOBAL*, DWORD*, int, int, int);

// The song every engine plays, with a title, a key and a beat that give meta
// events, a comment and a track on port B.
void ExportSong(SongBlocks& s) {
  AddEverythingTracks(s);
  SongHeader& h = s.Header();
  std::memset(h.title, ' ', sizeof h.title);
  std::memcpy(h.title, "書き出し SMF", std::strlen("書き出し SMF"));
  h.tempo = 132;
  h.beatNum = 6;
  h.beatDen = 8;
  h.key = 2 | kKeyMinor;
  s.AddTrack({E(0xF6, 'p', 'o' | 'r' << 8, 't' | ' ' << 8), E(0xF7, 'B', 0x2020, 0x2020), E(0xEC, 0, 0, 19),
              E(70, 96, 240, 100), E(0xEB, 64, 60, 11), E(72, 80, 180, 200)},
             0x15, 0, 0, 5);
}

std::vector<uint8_t> Exported(HGLOBAL block, DWORD length) {
  std::vector<uint8_t> image;
  if (block && length <= GlobalSize(block)) {
    const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
    image.assign(p, p + length);
    GlobalUnlock(block);
  }
  return image;
}

int Format(const std::vector<uint8_t>& image) { return image.size() >= 10 ? image[8] << 8 | image[9] : -1; }
int Division(const std::vector<uint8_t>& image) { return image.size() >= 14 ? image[12] << 8 | image[13] : -1; }

TEST(CrossTargetSmf, FormatZeroThroughTheLibrary) {
  HMODULE lib = LoadLibraryA("zksmf.dll");
  ASSERT_NE(nullptr, lib) << "zksmf.dll is not beside the test program";
  auto make = reinterpret_cast<MakeExpFileFn>(reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(24))));
  ASSERT_NE(nullptr, make);
  SongBlocks s;
  ExportSong(s);
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 16);
  DWORD length = 16;
  EXPECT_EQ(1, make(nullptr, nullptr, nullptr, s.MakeTable(), &out, &length, s.TrackCount(), 0, 0));
  std::vector<uint8_t> image = Exported(out, length);
  GlobalFree(out);
  FreeLibrary(lib);
  ASSERT_GE(image.size(), 14u);
  EXPECT_EQ(0, std::memcmp(image.data(), "MThd", 4));
  EXPECT_EQ(0, Format(image));
  EXPECT_EQ(480, Division(image));
  CheckFixture("export0.mid", AsString(image));
}

TEST(CrossTargetSmf, FormatOneAtAnotherDivision) {
  SongBlocks s;
  ExportSong(s);
  HGLOBAL table = s.MakeTable();
  PlaySong song;
  ASSERT_TRUE(CopyPlaySong(table, s.TrackCount(), song));
  GlobalFree(table);
  SmfExportOptions o;
  o.format = 1;
  o.timeBase = 96;   // every delta rescaled
  o.portNumber[1] = 7;
  std::vector<uint8_t> image;
  ASSERT_EQ(SmfExportStatus::kOk, ExportSmf(song, o, image));
  ASSERT_GE(image.size(), 14u);
  EXPECT_EQ(1, Format(image));
  EXPECT_EQ(96, Division(image));
  CheckFixture("export1.mid", AsString(image));
}

}  // namespace
