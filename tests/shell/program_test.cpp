// The main program started as a user starts it: its windows, a song named on
// the command line, closing, a second instance and missing libraries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "shellprocess.h"
#include "songfile.h"
#include "songmodel.h"
#include "testsupport.h"

namespace {

// The engine on the virtual device, the windows a user left open last time:
// conductor, track view, track 1 and track 3; the error log closed.
const char kBaseSettings[] =
    "[Play]\r\nApplet=zkpoly.dll\r\n"
    "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=Virtual Out B\r\nPort3Name=None\r\nPort4Name=None\r\n"
    "INPort1Name=None\r\nINPort2Name=None\r\n"
    "[Default Display]\r\nView=0\r\nStatusBar=2\r\nToolBar=1\r\n"
    "[OTHER]\r\nMAPISW=0\r\n"
    "[DeskTop]\r\n"
    "TrkSetMode=0\r\n"
    "Frame=1,1,-1,-1,-1,-1,40,560,30,760\r\n"
    "Track1=0,1,1,0,0,0,0,0,200,0,320\r\n"
    "Track3=0,1,1,0,0,0,0,20,220,340,660\r\n"
    "Conductor=0,1,1,0,0,0,0,220,400,0,400\r\n"
    "TrkView=0,1,1,0,0,0,0,220,400,400,720\r\n"
    "ErrLog=128,-1\r\n";

std::string Shot(const char* name) { return OutputFolder() + "\\" + name + ".bmp"; }

// Children of the MDI client by class (icon titles aside).
HWND MdiChild(HWND client, const char* className) { return ChildOfClass(client, className); }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteSettings(kBaseSettings); }
};

TEST_F(ProgramTest, StartsWithTheWindowsTheSettingsRecord) {
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(program.Dialogs().empty()) << DialogText(program.Dialogs()[0]);
  EXPECT_NE(TitleOf(frame).find("Cantorelle for Windows95"), std::string::npos) << TitleOf(frame);

  HWND client = ChildOfClass(frame, "MDIClient");
  ASSERT_NE(client, nullptr);
  EXPECT_TRUE(IsWindowVisible(client));
  HWND conductor = MdiChild(client, "Main");
  ASSERT_NE(conductor, nullptr);
  EXPECT_EQ(TitleOf(conductor), "コンダクター");
  HWND trackView = MdiChild(client, "TrkView");
  ASSERT_NE(trackView, nullptr);
  EXPECT_EQ(TitleOf(trackView), "トラック ビュー");
  EXPECT_EQ(MdiChild(client, "ErrLog"), nullptr);

  int editors = 0;
  for (HWND w : ChildrenOf(client)) {
    if (ClassOf(w) != "zkfwChild") continue;
    ++editors;
    const std::string title = TitleOf(w);
    EXPECT_TRUE(title.rfind("Tr. 1", 0) == 0 || title.rfind("Tr. 3", 0) == 0) << title;
  }
  EXPECT_EQ(editors, 2);
  // The recorded rectangle (top, bottom, left, right) is applied, in the MDI
  // client's coordinates.
  RECT placed;
  GetWindowRect(conductor, &placed);
  MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.top, 220);
  EXPECT_EQ(placed.bottom, 400);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.right, 400);

  // The tool palette is the dialog under the menu; its fifteen buttons.
  HWND palette = ChildOfClass(frame, "#32770");
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(ChildrenOf(palette).size(), 15u);
  RECT pr, cr, fr;
  GetWindowRect(palette, &pr);
  GetWindowRect(client, &cr);
  GetClientRect(frame, &fr);
  EXPECT_LE(pr.bottom, cr.top);
  // The status line takes a band below the MDI client.
  POINT clientBottom = {0, cr.bottom};
  ScreenToClient(frame, &clientBottom);
  EXPECT_LT(clientBottom.y, fr.bottom);

  EXPECT_TRUE(SaveScreenshot(frame, Shot("shell-startup")));
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);
}

TEST_F(ProgramTest, SongOnTheCommandLineIsOpenAndTitlesTheCaption) {
  TempDir dir;
  const std::string song = dir.File("song.G36");
  {
    TempSettingsFile own;
    TestFrame maker;
    ASSERT_TRUE(NewSong(maker.hwnd()));
    HGLOBAL h = SongEntry(kHeaderEntry);
    auto* header = static_cast<SongHeader*>(GlobalLock(h));
    const char title[] = "夜想曲 Nocturne";
    std::memcpy(header->title, title, sizeof title - 1);
    GlobalUnlock(h);
    ASSERT_EQ(WriteSongFile(maker.hwnd(), song.c_str()), kWriteOk);
  }
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + song + "\""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(TitleOf(frame), "夜想曲 Nocturne - Cantorelle for Windows95");
  // The conductor shows the song's title.
  HWND conductor = MdiChild(ChildOfClass(frame, "MDIClient"), "Main");
  ASSERT_NE(conductor, nullptr);
  EXPECT_EQ(ControlText(GetDlgItem(conductor, 1)), "夜想曲 Nocturne");
  EXPECT_EQ(SettingsValue("Files", "LastDataDirectory").empty(), false);
  EXPECT_TRUE(SaveScreenshot(frame, Shot("shell-song")));
  EXPECT_TRUE(program.Close());

  // Two arguments: nothing is opened.
  ShellProcess two;
  ASSERT_TRUE(two.Start("\"" + song + "\" \"" + song + "\""));
  frame = two.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(TitleOf(frame).find("Nocturne"), std::string::npos) << TitleOf(frame);
  EXPECT_TRUE(two.Close());
}

TEST_F(ProgramTest, ClosingWritesTheLayoutBack) {
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  HWND client = ChildOfClass(frame, "MDIClient");
  HWND conductor = MdiChild(client, "Main");
  ASSERT_NE(conductor, nullptr);
  SetWindowPos(conductor, nullptr, 15, 25, 300, 150, SWP_NOZORDER | SWP_NOACTIVATE);
  // The user closes track 3's editor.
  for (HWND w : ChildrenOf(client))
    if (ClassOf(w) == "zkfwChild" && TitleOf(w).rfind("Tr. 3", 0) == 0)
      SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
  ASSERT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);

  // State, show command, flags, min x, min y, max x, max y, then top,
  // bottom, left, right.
  const std::string conductorEntry = SettingsValue("DeskTop", "Conductor");
  EXPECT_NE(conductorEntry.find(",25,175,15,315"), std::string::npos) << conductorEntry;
  EXPECT_EQ(conductorEntry.rfind("0,", 0), 0u) << conductorEntry;
  EXPECT_EQ(SettingsValue("DeskTop", "Track3").rfind("128", 0), 0u) << SettingsValue("DeskTop", "Track3");
  EXPECT_EQ(SettingsValue("DeskTop", "Track1").rfind("0,", 0), 0u) << SettingsValue("DeskTop", "Track1");
  EXPECT_EQ(SettingsValue("DeskTop", "ErrLog").rfind("128", 0), 0u);
  // The settings that go with the layout are written too.
  EXPECT_FALSE(SettingsValue("DeskTop", "FumenFont").empty());
  EXPECT_FALSE(SettingsValue("DeskTop", "Frame").empty());

  // The next start opens what was left open.
  ShellProcess again;
  ASSERT_TRUE(again.Start(""));
  frame = again.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  client = ChildOfClass(frame, "MDIClient");
  int editors = 0;
  for (HWND w : ChildrenOf(client)) editors += ClassOf(w) == "zkfwChild";
  EXPECT_EQ(editors, 1);
  EXPECT_TRUE(again.Close());
}

TEST_F(ProgramTest, MissingLibrariesLeaveTheProgramRunning) {
  std::string text = kBaseSettings;
  text.replace(text.find("zkpoly.dll"), 10, "noengine.dll");
  WriteSettings(text +
                "[PlayMon]\r\nApplet=nomonitor.dll\r\n"
                "[Splash]\r\nApplet=nosplash.dll\r\nPApplet=nopsplash.dll\r\n"
                "[Plugin]\r\nControlor0=noplugin.dll\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(program.Dialogs().empty());
  EXPECT_NE(ChildOfClass(ChildOfClass(frame, "MDIClient"), "Main"), nullptr);
  EXPECT_TRUE(SaveScreenshot(frame, Shot("shell-no-libraries")));
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);
}

// The filter library in the Windows folder of this test's prefix, where the
// program finds it by the name [Filter] gives.
bool InstallSmfFilter() {
  const char* built = std::getenv("ZK_SMF_FILTER");
  if (!built || !*built) return false;
  std::string from = built;
  if (from[0] == '/') from = "Z:" + from;
  for (char& c : from)
    if (c == '/') c = '\\';
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return CopyFileA(from.c_str(), (std::string(dir) + "\\zksmf.dll").c_str(), FALSE) != 0;
}

// A format 0 file with a title, one note and its end; cut short before the
// note's end when cut is set (its chunk still says the whole length).
std::string SmfFile(const std::string& title, bool cut) {
  std::string track = std::string("\x00\xFF\x03", 3) + static_cast<char>(title.size()) + title;
  track += std::string("\x00\x90\x3C\x64\x83\x60\x80\x3C\x00\x00\xFF\x2F\x00", 13);
  std::string file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14);
  file += "MTrk";
  for (int shift : {24, 16, 8, 0}) file += static_cast<char>((track.size() >> shift) & 0xFF);
  file += cut ? track.substr(0, track.size() - 8) : track;
  return file;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A message box of the process: a dialog that is not the progress dialog.
HWND WaitForBox(const ShellProcess& program, DWORD limitMs) {
  for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(100)) {
    for (HWND dialog : program.Dialogs())
      if (!GetDlgItem(dialog, 1752)) return dialog;
    if (!program.Running()) break;
  }
  return nullptr;
}

TEST_F(ProgramTest, AStandardMidiFileOnTheCommandLineIsReadThroughTheFilter) {
  ASSERT_TRUE(InstallSmfFilter());
  WriteSettings(std::string(kBaseSettings) + "[Filter]\r\nImport0=zksmf.dll\r\n");
  TempDir dir;
  const std::string song = dir.File("tune.mid");
  WriteBytes(song, SmfFile("Nocturne", false));
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + song + "\""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(program.Dialogs().empty()) << DialogText(program.Dialogs()[0]);
  EXPECT_EQ(TitleOf(frame), "Nocturne - Cantorelle for Windows95");
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);
}

// The filter's box about a damaged file belongs to its progress dialog; a
// close that arrives meanwhile must not free the song under the read.
TEST_F(ProgramTest, ClosingWhileTheFilterReportsDamageWaitsForTheRead) {
  ASSERT_TRUE(InstallSmfFilter());
  WriteSettings(std::string(kBaseSettings) + "[Filter]\r\nImport0=zksmf.dll\r\n");
  TempDir dir;
  const std::string song = dir.File("cut.mid");
  WriteBytes(song, SmfFile("Nocturne", true));
  ShellProcess program;
  ASSERT_TRUE(program.Start("\"" + song + "\""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  HWND box = WaitForBox(program, 60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(DialogText(box).find("壊れた部分"), std::string::npos) << DialogText(box);
  // The frame takes nothing while the file is read.
  EXPECT_FALSE(IsWindowEnabled(frame));

  PostMessageA(frame, WM_CLOSE, 0, 0);
  Sleep(500);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
  ASSERT_TRUE(IsWindow(frame));
  ASSERT_TRUE(IsWindow(box));

  SendMessageA(box, WM_COMMAND, IDOK, 0);
  // The box's own loop answers messages too, so the end of the read is
  // waited for, not assumed.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50)) {
    if (program.Dialogs().empty() && IsWindowEnabled(frame)) break;
    MSG msg;  // this process's own windows keep answering meanwhile
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  ASSERT_TRUE(SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(program.Dialogs().empty()) << DialogText(program.Dialogs()[0]);
  EXPECT_TRUE(IsWindowEnabled(frame));
  // What could be read is the song.
  EXPECT_EQ(TitleOf(frame), "Nocturne - Cantorelle for Windows95");
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(program.ExitCode(), 0u);
}

TEST_F(ProgramTest, RecordStartWindowStandsInForAClosedConductor) {
  std::string text = kBaseSettings;
  text.replace(text.find("Conductor=0,1,1,0,0,0,0,220,400,0,400"), 37, "Conductor=128,-1");
  WriteSettings(text + "[StartUp]\r\nActiveWindow=3\r\n");
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  HWND frame = program.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  HWND client = ChildOfClass(frame, "MDIClient");
  EXPECT_EQ(MdiChild(client, "Main"), nullptr);
  EXPECT_EQ(MdiChild(client, "TrkView"), nullptr);
  HWND record = MdiChild(client, "TrkSet");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(TitleOf(record), "レコード");
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), record);
  EXPECT_TRUE(program.Close());
}

}  // namespace
