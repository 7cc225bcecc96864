#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "afteropen.h"
#include "appglobals.h"
#include "engine.h"
#include "settings.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::string kGS = "f0,41,10,42,12,40,00,7f,00,41,f7";
const std::string kMT = "f0,41,10,16,12,7f,00,00,00,6f,f7";

std::string Describe(const std::vector<InitStep>& steps) {
  std::string out;
  for (const InitStep& s : steps) {
    switch (s.kind) {
      case InitStep::kWait: out += "W "; break;
      case InitStep::kGSReset: out += "G "; break;
      case InitStep::kResetMT32: out += "M "; break;
      case InitStep::kSend: {
        out += "S";
        for (unsigned char b : s.bytes) {
          char hex[4];
          std::snprintf(hex, sizeof hex, "%02X", b);
          out += hex;
        }
        out += " ";
        break;
      }
    }
  }
  return out;
}

TEST(ParseInitSequence, Table) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"", ""},
      {",", "W "},
      {",,", "W W "},
      {kGS, "G "},
      {kMT, "M "},
      {kGS + ",," + kMT, "G W M "},
      {"f0,7e,7f,09,01,f7", "SF07E7F0901F7 "},
      {"F0,7E,7F,09,01,F7,f0,01,f7", "SF07E7F0901F7 SF001F7 "},
      {"f0,7e,7f,09,01,f7,,f0,01,f7", "SF07E7F0901F7 W SF001F7 "},
      {"b0,07,64", "SB00764 "},                       // no F7: to the end
      {"f0,41,10,42,12,40,00,7f,00,41,f7,00", "G S00 "},
      // A message longer than the reset is not the reset.
      {"f0,41,10,42,12,40,00,7f,00,41,f7x", "SF04110421240007F0041F7 "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, Describe(ParseInitSequence(c.text, kGS, kMT))) << c.text;
  }
}

TEST(ParseInitSequence, MessageKeptToTheBlock) {
  std::string text = "f0";
  for (int i = 0; i < 3000; ++i) text += ",01";
  text += ",f7,,c0,05";
  std::vector<InitStep> steps = ParseInitSequence(text, kGS, kMT);
  ASSERT_EQ(3u, steps.size());
  EXPECT_EQ(size_t(kInitBufferSize), steps[0].bytes.size());
  EXPECT_EQ(InitStep::kWait, steps[1].kind);
  EXPECT_EQ((Bytes{0xC0, 0x05}), steps[2].bytes);
}

struct Calls {
  std::vector<std::string> log;
} g_calls;
int WINAPI FakeSend(const BYTE* b, int n, int port) {
  g_calls.log.push_back("send " + std::to_string(n) + " to " + std::to_string(port) + " first " +
                        std::to_string(b[0]));
  return 1;
}
int WINAPI FakeWait(int) {
  g_calls.log.push_back("wait");
  return 1;
}
int WINAPI FakeGSReset(int port) {
  g_calls.log.push_back("gs " + std::to_string(port));
  return 1;
}

class AfterOpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    g_calls.log.clear();
    g_engine.sendBuffer = FakeSend;
    g_engine.waitExec = FakeWait;
    g_engine.gsReset = FakeGSReset;
    g_settings.outPorts[0] = 0;
    g_settings.outPorts[1] = -1;
    g_settings.outPorts[2] = 3;
    g_settings.outPorts[3] = -1;
    g_settings.gsPort = 1;
    std::snprintf(g_settings.soundModuleInit, sizeof g_settings.soundModuleInit, "%s",
                  (kGS + ",,c0,05").c_str());
  }
  void TearDown() override {
    g_settings = saved_;
    g_engine = EngineEntries{};
    g_app.portsUnavailable = 1;
  }
  AppSettings saved_;
};

TEST_F(AfterOpenTest, SendsToEachPortWithADevice) {
  g_app.portsUnavailable = 0;
  SendInitAfterFileOpen();
  EXPECT_EQ((std::vector<std::string>{"gs 1", "wait", "send 2 to 0 first 192",
                                      "send 2 to 2 first 192"}),
            g_calls.log);
}

TEST_F(AfterOpenTest, NothingWhilePortsAreUnavailable) {
  g_app.portsUnavailable = 1;
  SendInitAfterFileOpen();
  EXPECT_TRUE(g_calls.log.empty());
}

TEST_F(AfterOpenTest, WithoutAnEngineNothingIsCalled) {
  g_app.portsUnavailable = 0;
  g_engine = EngineEntries{};
  SendInitAfterFileOpen();
  EXPECT_TRUE(g_calls.log.empty());
}

}  // namespace
