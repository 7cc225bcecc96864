// The set-up sends to GS and MT-32 modules as lists of send-buffer flushes:
// resets, the bulk sends of the control file images and the splitting of raw
// bytes. Pure byte work; the engine flushes each entry through its stream,
// steps the progress bar and pauses after it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// One flush of the send buffer: either one System Exclusive message (F0 ... F7)
// or a run of channel messages (status + data bytes, back to back).
struct SendFlush {
  std::vector<uint8_t> bytes;
};

// The send buffer's data block; a System Exclusive flush goes out as one
// stream event of a 12-byte head and the message padded to 4 bytes.
constexpr size_t kSendBufferBytes = 32768;
constexpr size_t kStreamEventHeadBytes = 12;
constexpr size_t kMaxFlushBytes = kSendBufferBytes - kStreamEventHeadBytes;

constexpr uint8_t kRolandModelGS = 0x42;
constexpr uint8_t kRolandModelMT32 = 0x16;

// Control file image layouts.
constexpr size_t kGSPartBlockOffset = 54;
constexpr size_t kGSPartBlockBytes = 122;
constexpr size_t kGSDrumBlockOffsets[2] = {2006, 2338};
constexpr size_t kGSDrumRecords = 82;  // 4-byte records, one per note

// Roland checksum of address and data bytes.
uint8_t RolandChecksum(const uint8_t* bytes, size_t n);

// F0 41 10 model 12 addr data checksum F7. Data bytes are sent as 7-bit
// values: a byte with the top bit set would end the message on the wire.
std::vector<uint8_t> RolandDT1(uint8_t model, uint8_t a1, uint8_t a2, uint8_t a3,
                               const uint8_t* data, size_t n);

std::vector<SendFlush> BuildGSReset();    // GM System On, then GS reset (two flushes)
std::vector<SendFlush> BuildMT32Reset();  // the MT-32 reset message (one flush)

// The bulk send of a GS control file image, in send order. Nothing without an
// image; a message whose bytes lie past size is left out.
std::vector<SendFlush> BuildGSSendAll(const uint8_t* image, size_t size);

// The two GS bulk-dump messages of part block p (0-15) alone, for callers
// and tests that look at one block: 128 and 96 data bytes.
std::vector<uint8_t> GSPartFirstData(const uint8_t* block);
std::vector<uint8_t> GSPartSecondData(const uint8_t* block);

// The bulk send of an MT-32 control file image: the messages for port, then
// those for the PCM part's port (laPort).
struct MT32Sends {
  std::vector<SendFlush> port, laPort;
};
MT32Sends BuildMT32SendAll(const uint8_t* image, size_t size);

// Splits raw bytes into messages as SendBuffer does: F0..F7 is one message;
// 0x90-0xEF takes 1 (0xC0, 0xD0) or 2 data bytes; every other byte is passed
// over. An unterminated or incomplete message is dropped.
std::vector<SendFlush> SplitSendBuffer(const uint8_t* bytes, size_t length);

// Splits a flush that starts with a channel status into its short messages
// (2 or 3 bytes each), packed as status | d1 << 8 | d2 << 16. Stops at an F7
// byte, at anything that is not a channel status, or at a cut-off message.
std::vector<uint32_t> ShortMessagesOf(const SendFlush& f);
