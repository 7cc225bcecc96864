// The [SoundModule] InitAfterFileOpen sequence sent after a song is read.
#pragma once
#include <string>
#include <vector>

constexpr int kInitBufferSize = 2048;

struct InitStep {
  enum Kind { kWait, kGSReset, kResetMT32, kSend } kind;
  std::vector<unsigned char> bytes;   // kSend only, at most kInitBufferSize
};

// Reads the text (held in lower case): an empty field pauses, the two reset
// messages become the engines' reset calls, and any other message is its
// hexadecimal bytes up to and including F7.
std::vector<InitStep> ParseInitSequence(const std::string& text, const std::string& gsReset,
                                        const std::string& mt32Reset);

// Sends the sequence of the settings through the engine; nothing while the
// ports are unavailable.
void SendInitAfterFileOpen();
