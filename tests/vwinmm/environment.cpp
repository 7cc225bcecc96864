// The environment read at attach (device names, text log, clock rate) can
// only be seen by a fresh process: the test runs this program again with it
// set, on a test that is skipped otherwise.
#include "vmtesting.h"

#include <fstream>
#include <sstream>
#include <string>

#include "testsupport.h"

namespace {

const char kReportVar[] = "VMIDI_TEST_REPORT";

std::string Env(const char* name) {
  char buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? buf : "";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; in >> f;) fields.push_back(f);
  return fields;
}

}  // namespace

// Run by EnvironmentTest in a child process: plays a half-second stream and
// reports the names it sees and how long that took in real time.
TEST(EnvironmentChild, PlayAndReport) {
  std::string report = Env(kReportVar);
  if (report.empty()) GTEST_SKIP() << "run by EnvironmentTest only";
  MIDIOUTCAPSA out{};
  MIDIINCAPSA in{};
  midiOutGetDevCapsA(0, &out, sizeof out);
  midiInGetDevCapsA(0, &in, sizeof in);
  HMIDISTRM s;
  UINT id = 0;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(MMSYSERR_NOERROR,
            midiStreamOpen(&s, &id, 1, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT));
  ResetEvent(done);
  StreamBuffer b;
  b.Short(0, 0x403C90).Short(96, 0x3C80);  // 96 per quarter at 500000 us: 0.5 s
  MIDIHDR* hdr = b.Header();
  midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(s), hdr, sizeof *hdr);
  midiStreamOut(s, hdr, sizeof *hdr);
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  midiStreamRestart(s);
  WaitForSingleObject(done, 10000);
  QueryPerformanceCounter(&t1);
  midiStreamClose(s);
  CloseHandle(done);
  std::ofstream(report) << out.szPname << "\n"
                        << in.szPname << "\n"
                        << (t1.QuadPart - t0.QuadPart) * 1000 / f.QuadPart << "\n";
}

TEST(EnvironmentTest, NamesLogAndClockRateComeFromTheEnvironment) {
  TempDir dir;
  const std::string log = dir.File("vmidi.log");
  const std::string report = dir.File("report.txt");
  struct Var {
    const char* name;
    std::string value;
  } vars[] = {{"VMIDI_OUT", "Env Out;Other"}, {"VMIDI_IN", "Env In"}, {"VMIDI_LOG", log},
              {"VMIDI_CLOCKRATE", "10"},      {kReportVar, report}};
  for (const auto& v : vars) SetEnvironmentVariableA(v.name, v.value.c_str());
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=EnvironmentChild.*";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  for (const auto& v : vars) SetEnvironmentVariableA(v.name, nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(0u, code);

  auto lines = Lines(ReadFileBytes(report));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("Env Out", lines[0]);
  EXPECT_EQ("Env In", lines[1]);
  int realMs = std::stoi(lines[2]);
  printf("half a second of device time took %d ms at clock rate 10\n", realMs);
  EXPECT_GE(realMs, 45);
  EXPECT_LT(realMs, 300);

  // device kind message wallMicros tick tickMicros length bytes
  auto logLines = Lines(ReadFileBytes(log));
  ASSERT_EQ(2u, logLines.size());
  auto first = Fields(logLines[0]);
  auto second = Fields(logLines[1]);
  ASSERT_EQ(7u, first.size()) << logLines[0];  // no bytes for a short message
  ASSERT_EQ(7u, second.size()) << logLines[1];
  EXPECT_EQ("0", first[0]);
  EXPECT_EQ("sshort", first[1]);
  EXPECT_EQ("00403c90", first[2]);
  EXPECT_EQ("0", first[4]);
  EXPECT_EQ("96", second[4]);
  EXPECT_EQ(500000, std::stoll(second[5]) - std::stoll(first[5])) << "device microseconds";
  EXPECT_GE(std::stoll(second[3]), std::stoll(second[5]));
}
