// The About box of the program running in the test process: the version list
// of the program and of every library the settings name, the caption and the
// system line, read from the dialog the frame's command opens.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "aboutcmd.h"
#include "appglobals.h"
#include "inifile.h"
#include "inprocess.h"
#include "resource.h"
#include "shellprocess.h"
#include "shellutil.h"
#include "testsupport.h"

namespace {

std::string ExeDir() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1);
}
std::string OwnPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

// Every key the list is made from.
std::vector<std::pair<std::string, std::string>> LibraryKeys() {
  std::vector<std::pair<std::string, std::string>> keys;
  for (int n = 0; n < 8; ++n) keys.push_back({"Filter", "Import" + std::to_string(n)});
  keys.push_back({"Play", "Applet"});
  for (int n = 0; n < 16; ++n) keys.push_back({"Plugin", "Controlor" + std::to_string(n)});
  keys.push_back({"PlayMon", "Applet"});
  keys.push_back({"Splash", "Applet"});
  keys.push_back({"Splash", "PApplet"});
  return keys;
}

constexpr char kNoKey[] = "\x01";

// One entry of the list: the file it names, or "" for a file without version
// information (an empty line), and its lines.
struct Entry {
  std::string component;
  std::vector<std::string> lines;
};
std::vector<Entry> ParseList(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  EXPECT_EQ(at, text.size()) << "the list ends with a line end";
  std::vector<Entry> entries;
  for (size_t n = 0; n < lines.size();) {
    if (lines[n].empty()) {
      entries.push_back({"", {}});
      ++n;
      continue;
    }
    Entry e;
    EXPECT_EQ(lines[n].rfind("Component\t", 0), 0u) << lines[n];
    e.component = lines[n].substr(lines[n].find('\t') + 1);
    for (size_t k = n; k < n + 6 && k < lines.size(); ++k) e.lines.push_back(lines[k]);
    EXPECT_EQ(e.lines.size(), 6u) << e.component;
    if (e.lines.size() == 6) EXPECT_EQ(e.lines[5], "") << e.component << ": entry ends with an empty line";
    entries.push_back(e);
    n += 6;
  }
  return entries;
}

std::string TextOf(HWND dialog, int id) {
  char text[40000] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// True when the control's text fits on its one line in its font.
bool FitsOneLine(HWND control) {
  char text[256] = "";
  GetWindowTextA(control, text, sizeof text);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  RECT client = {};
  GetClientRect(control, &client);
  return size.cx <= client.right;
}

struct AboutSeen {
  std::string caption, list, system, running;
  bool systemFits = false, runningFits = false;
  bool readOnly = false;
  RECT frame = {}, box = {};
  int dialogs = 0;
};

// Runs the frame's About command and reads the box it opens, then presses OK.
AboutSeen RunAbout(const char* screenshot = nullptr) {
  AboutSeen seen;
  DialogWatch watch([&](HWND dialog) {
    if (GetDlgItem(dialog, IDC_ABOUT_TEXT)) {
      seen.caption = TitleOf(dialog);
      seen.list = TextOf(dialog, IDC_ABOUT_TEXT);
      seen.system = TextOf(dialog, IDC_ABOUT_SYSTEM);
      seen.running = TextOf(dialog, IDC_ABOUT_RUNNING);
      seen.systemFits = FitsOneLine(GetDlgItem(dialog, IDC_ABOUT_SYSTEM));
      seen.runningFits = FitsOneLine(GetDlgItem(dialog, IDC_ABOUT_RUNNING));
      seen.readOnly = (GetWindowLongA(GetDlgItem(dialog, IDC_ABOUT_TEXT), GWL_STYLE) & ES_READONLY) != 0;
      GetWindowRect(g_app.frame, &seen.frame);
      GetWindowRect(dialog, &seen.box);
      if (screenshot) {
        UpdateWindow(dialog);
        EXPECT_TRUE(SaveScreenshot(dialog, OutputFolder() + "\\" + screenshot));
      }
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(IDM_HELP_ABOUT);
  seen.dialogs = watch.Seen();
  return seen;
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartInProcessShell());
    for (const auto& k : LibraryKeys()) {
      saved_.push_back(IniGetString(k.first.c_str(), k.second.c_str(), kNoKey, 600));
      WritePrivateProfileStringA(k.first.c_str(), k.second.c_str(), nullptr, SettingsFilePath());
    }
  }
  void TearDown() override {
    auto keys = LibraryKeys();
    for (size_t n = 0; n < saved_.size(); ++n)
      WritePrivateProfileStringA(keys[n].first.c_str(), keys[n].second.c_str(),
                                 saved_[n] == kNoKey ? nullptr : saved_[n].c_str(), SettingsFilePath());
    ClearSongModified();
  }
  static void Set(const char* section, const char* key, const std::string& value) {
    IniWriteString(section, key, value.c_str());
  }

 private:
  std::vector<std::string> saved_;
};

TEST_F(AboutTest, ListsTheProgramAndEveryConfiguredLibraryInOrder) {
  const char* smf = std::getenv("ZK_SMF_FILTER");
  ASSERT_NE(smf, nullptr) << "ZK_SMF_FILTER names the built filter";
  char smfPath[MAX_PATH] = "";
  // The filter by its full path; the others by name beside the program.
  ASSERT_GT(GetFullPathNameA(smf, sizeof smfPath, smfPath, nullptr), 0u);
  Set("Filter", "Import0", smfPath);
  Set("Filter", "Import1", "");
  Set("Filter", "Import7", "zkmme.dll");
  Set("Play", "Applet", "zkpoly.dll");
  Set("Plugin", "Controlor0", "zktestplugin.dll");  // no version information
  Set("Plugin", "Controlor1", "nosuchlib.dll");     // not found
  Set("Plugin", "Controlor15", "ZKRDS");            // found as ZKRDS.dll
  Set("PlayMon", "Applet", "vumix2.dll");
  Set("Splash", "Applet", "zklog5.dll");
  Set("Splash", "PApplet", "zkplog5.dll");

  AboutSeen seen = RunAbout("about.bmp");
  ASSERT_EQ(seen.dialogs, 1);
  EXPECT_EQ(seen.caption, "Cantorelle for Windows95 のバージョン情報");
  EXPECT_TRUE(seen.readOnly);
  EXPECT_EQ(seen.running, "Running on:");

  const std::vector<std::pair<std::string, std::string>> expected = {
      {OwnPath(), "zkfw32"}, {smfPath, "zksmf"}, {"zkmme.dll", "zkmme"}, {"zkpoly.dll", "zkpoly"},
      {"", ""},              {"", ""},           {"ZKRDS", "zkrds"},     {"vumix2.dll", "vumix2"},
      {"zklog5.dll", "zklog5"}, {"zkplog5.dll", "zkplog5"},
  };
  std::vector<Entry> entries = ParseList(seen.list);
  ASSERT_EQ(entries.size(), expected.size()) << seen.list;
  for (size_t n = 0; n < expected.size(); ++n) {
    EXPECT_EQ(entries[n].component, expected[n].first) << "entry " << n;
    if (expected[n].first.empty()) continue;
    ASSERT_EQ(entries[n].lines.size(), 6u);
    EXPECT_EQ(entries[n].lines[1], "Description\t" + expected[n].second) << expected[n].first;
    EXPECT_EQ(entries[n].lines[2], "Build\t\t2.00") << expected[n].first;
    EXPECT_EQ(entries[n].lines[3].rfind("Copyright\t\t", 0), 0u);
    EXPECT_EQ(entries[n].lines[4].rfind("Legal Trademarks\t", 0), 0u);
  }
  EXPECT_EQ(seen.list.find("Error"), std::string::npos) << seen.list;
}

TEST_F(AboutTest, WithoutSettingsListsTheProgramAndTheDefaultEngine) {
  AboutSeen seen = RunAbout();
  ASSERT_EQ(seen.dialogs, 1);
  std::vector<Entry> entries = ParseList(seen.list);
  ASSERT_EQ(entries.size(), 2u) << seen.list;
  EXPECT_EQ(entries[0].component, OwnPath());
  // [Play] Applet's default names the stream engine, found beside the program.
  EXPECT_EQ(entries[1].component, "ZKPOLY.DLL");
  ASSERT_EQ(entries[1].lines.size(), 6u);
  EXPECT_EQ(entries[1].lines[1], "Description\tzkpoly");
}

TEST_F(AboutTest, ShowsThisSystemsLineCentredOverTheFrame) {
  AboutSeen seen = RunAbout();
  ASSERT_EQ(seen.dialogs, 1);
  // Worked out from the platform's other report of its version.
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  char line[128];
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT)
    std::snprintf(line, sizeof line, "Microsoft Windows NT %lu.%lu (Build: %lu)", info.dwMajorVersion,
                  info.dwMinorVersion, info.dwBuildNumber & 0xFFFF);
  else
    std::snprintf(line, sizeof line, "Microsoft Windows 95 %lu.%lu", info.dwMajorVersion, info.dwMinorVersion);
  EXPECT_EQ(seen.system, line);
  // Neither line is cut off where it is shown.
  EXPECT_TRUE(seen.systemFits) << seen.system;
  EXPECT_TRUE(seen.runningFits) << seen.running;
  POINT at = CentredOrigin(seen.frame, seen.box.right - seen.box.left, seen.box.bottom - seen.box.top);
  EXPECT_EQ(seen.box.left, at.x);
  EXPECT_EQ(seen.box.top, at.y);
}

TEST(SystemVersionLineTest, ByKindOfSystem) {
  const struct {
    DWORD version;
    const char* line;
  } cases[] = {
      {0x4A64000A, "Microsoft Windows NT 10.0 (Build: 19044)"},
      {0x05650004, "Microsoft Windows NT 4.0 (Build: 1381)"},
      {0x04213303, "Microsoft Windows NT 3.51 (Build: 1057)"},
      {0xC0000004, "Microsoft Windows 95 4.0"},
      {0xC3B60A04, "Microsoft Windows 95 4.10"},
      {0x80A30B03, "Microsoft Win32s 3.11 (Build: 163)"},
      {0xFFFF0003, "Microsoft Win32s 3.0 (Build: 32767)"},
  };
  for (const auto& c : cases) EXPECT_EQ(SystemVersionLine(c.version), c.line) << std::hex << c.version;
}

TEST(LibraryFilePathTest, FoundAsTheLoaderFindsIt) {
  TempDir dir;
  const std::string beside = ExeDir() + "zkpoly.dll";
  // A library loaded from elsewhere under a name of its own is that file.
  const std::string copy = dir.File("zkaboutcopy.dll");
  ASSERT_TRUE(CopyFileA((ExeDir() + "zklog5.dll").c_str(), copy.c_str(), FALSE));
  HMODULE loaded = LoadLibraryA(copy.c_str());
  ASSERT_NE(loaded, nullptr);
  const struct {
    std::string name, path;
  } cases[] = {
      {"zkpoly.dll", beside},
      {"ZKPOLY", beside},
      {copy, copy},
      {"zkaboutcopy.dll", copy},
      {"nosuchlib.dll", "nosuchlib.dll"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lstrcmpiA(LibraryFilePath(c.name).c_str(), c.path.c_str()), 0)
        << c.name << " -> " << LibraryFilePath(c.name);
  FreeLibrary(loaded);
}

}  // namespace
