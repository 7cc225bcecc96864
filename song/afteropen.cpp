#include "afteropen.h"

#include <cctype>
#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "resource.h"
#include "settings.h"

namespace {

bool StartsWithMessage(const std::string& text, size_t at, const std::string& message) {
  if (message.empty() || text.size() - at < message.size()) return false;
  for (size_t i = 0; i < message.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[at + i])) !=
        std::tolower(static_cast<unsigned char>(message[i])))
      return false;
  }
  // The message must end there: at the end, or at a field separator.
  size_t end = at + message.size();
  return end == text.size() || text[end] == ',';
}

// Hexadecimal value of one field; false when it holds no digit.
bool ParseHexField(const std::string& field, unsigned char& value) {
  unsigned v = 0;
  bool any = false;
  for (char c : field) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else continue;
    v = (v << 4 | d) & 0xFF;
    any = true;
  }
  value = static_cast<unsigned char>(v);
  return any;
}

}  // namespace

std::vector<InitStep> ParseInitSequence(const std::string& text, const std::string& gsReset,
                                        const std::string& mt32Reset) {
  std::vector<InitStep> steps;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ',') {
      steps.push_back({InitStep::kWait, {}});
      ++at;
      continue;
    }
    const std::string* reset = nullptr;
    InitStep::Kind kind = InitStep::kSend;
    if (StartsWithMessage(text, at, gsReset)) reset = &gsReset, kind = InitStep::kGSReset;
    else if (StartsWithMessage(text, at, mt32Reset)) reset = &mt32Reset, kind = InitStep::kResetMT32;
    if (reset) {
      steps.push_back({kind, {}});
      at += reset->size();
      if (at < text.size()) ++at;   // its separator
      continue;
    }
    InitStep send{InitStep::kSend, {}};
    while (at < text.size()) {
      size_t comma = text.find(',', at);
      size_t end = comma == std::string::npos ? text.size() : comma;
      unsigned char value = 0;
      bool isByte = ParseHexField(text.substr(at, end - at), value);
      at = comma == std::string::npos ? text.size() : comma + 1;
      if (!isByte) continue;
      // Bytes beyond the block are dropped; the message still ends at F7.
      if (send.bytes.size() < static_cast<size_t>(kInitBufferSize)) send.bytes.push_back(value);
      if (value == 0xF7) break;
    }
    if (!send.bytes.empty()) steps.push_back(std::move(send));
  }
  return steps;
}

void SendInitAfterFileOpen() {
  if (g_app.portsUnavailable) return;
  size_t length = strnlen(g_settings.soundModuleInit, sizeof g_settings.soundModuleInit);
  std::string text(g_settings.soundModuleInit, length);
  std::vector<InitStep> steps = ParseInitSequence(text, LoadAppString(IDS_GS_RESET_SEQUENCE),
                                                  LoadAppString(IDS_MT32_RESET_SEQUENCE));
  for (const InitStep& step : steps) {
    switch (step.kind) {
      case InitStep::kWait:
        if (g_engine.waitExec) g_engine.waitExec(0);
        break;
      case InitStep::kGSReset:
        if (g_engine.gsReset) g_engine.gsReset(g_settings.gsPort);
        break;
      case InitStep::kResetMT32:
        if (g_engine.resetMT32) g_engine.resetMT32(g_settings.laPort, g_settings.pcmPort);
        break;
      case InitStep::kSend:
        if (!g_engine.sendBuffer) break;
        for (int port = 0; port < 4; ++port) {
          if (g_settings.outPorts[port] == -1) continue;
          g_engine.sendBuffer(step.bytes.data(), static_cast<int>(step.bytes.size()), port);
        }
        break;
    }
  }
}
