// The display remote's sends reach the MIDI devices through the running
// program, as the remote makes them: a mapping duplicated into the program
// (2301) and a packed short message (2302).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shellprocess.h"
#include "testsupport.h"

namespace {

const char kSettings[] =
    "[Play]\r\nApplet=zkpoly.dll\r\n"
    "[MIDIIF]\r\nPort1Name=Virtual Out A\r\nPort2Name=Virtual Out B\r\nPort3Name=None\r\nPort4Name=None\r\n"
    "INPort1Name=None\r\nINPort2Name=None\r\n"
    "[SoundModule]\r\nInitAfterFileOpen=\r\n"
    "[OTHER]\r\nMAPISW=0\r\n";

// Device, kind, length and bytes (hex) of each line of the device's log.
struct LoggedMessage {
  int device;
  std::string kind;
  std::string message;
  int length;
  std::string bytes;
};

std::vector<LoggedMessage> ReadLog(const std::string& path) {
  std::ifstream in(path);
  std::vector<LoggedMessage> out;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    LoggedMessage m;
    std::string wall, tick, tickMicros;
    s >> m.device >> m.kind >> m.message >> wall >> tick >> tickMicros >> m.length >> m.bytes;
    out.push_back(m);
  }
  return out;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char h[4];
  for (uint8_t b : bytes) {
    std::snprintf(h, sizeof h, "%02x", b);
    text += h;
  }
  return text;
}

// Sends a block as the remote does; false when the program did not answer.
bool SendBlock(const ShellProcess& program, const std::vector<uint8_t>& bytes, WPARAM port) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  std::memcpy(view, bytes.data(), bytes.size());
  UnmapViewOfFile(view);
  HANDLE remote = nullptr;
  DuplicateHandle(GetCurrentProcess(), mapping, program.Handle(), &remote, 0, FALSE, DUPLICATE_SAME_ACCESS);
  CloseHandle(mapping);
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(program.Frame(), 2301, port, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 30000,
                             &result) != 0;
}

TEST(RemoteTest, SysExAndShortMessagesGoOutOnTheirPorts) {
  WriteSettings(kSettings);
  TempDir dir;
  const std::string log = dir.File("vmidi.log");
  SetEnvironmentVariableA("VMIDI_LOG", log.c_str());
  ShellProcess program;
  ASSERT_TRUE(program.Start(""));
  SetEnvironmentVariableA("VMIDI_LOG", nullptr);
  ASSERT_NE(program.WaitForFrame(), nullptr) << std::hex << program.ExitCode();

  const std::vector<uint8_t> picture = {0xF0, 0x41, 0x10, 0x45, 0x12, 0x10, 0x01, 0x00, 0x00, 0x6F, 0xF7};
  std::vector<uint8_t> trailing = picture;
  trailing.push_back(0x33);  // after the message: not sent
  ASSERT_TRUE(SendBlock(program, trailing, 1));
  const std::vector<uint8_t> other = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  ASSERT_TRUE(SendBlock(program, other, 4));       // no such port
  ASSERT_TRUE(SendBlock(program, other, 2));       // port C has no device
  std::vector<uint8_t> open(4096, 0x01);
  open[0] = 0xF0;
  ASSERT_TRUE(SendBlock(program, open, 0));        // no end within the block
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutA(program.Frame(), 2302, 0x90003C40u, 0, SMTO_NORMAL, 30000, &result));
  ASSERT_TRUE(program.Close());

  int pictures = 0, others = 0, notes = 0, opens = 0;
  for (const LoggedMessage& m : ReadLog(log)) {
    if (m.bytes == Hex(picture)) {
      ++pictures;
      EXPECT_EQ(m.device, 1);
      EXPECT_EQ(m.length, 11);
    }
    if (m.bytes.rfind(Hex(other), 0) == 0) ++others;
    if (m.bytes.rfind("f0010101", 0) == 0) ++opens;
    if (m.kind == "short" && m.message == "00403c90") {
      ++notes;
      EXPECT_EQ(m.device, 0);
    }
  }
  EXPECT_EQ(pictures, 1);
  EXPECT_EQ(others, 0);
  EXPECT_EQ(opens, 0);
  EXPECT_EQ(notes, 1);
}

}  // namespace
