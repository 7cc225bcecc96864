#include "sysexbuild.h"

#include <initializer_list>
#include <utility>

namespace {

// Adds a flush unless it would not fit the send buffer's stream event: the
// flush would overrun the buffer, so the message is dropped instead.
void PushFlush(std::vector<SendFlush>& out, std::vector<uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > kMaxFlushBytes) return;
  out.push_back(SendFlush{std::move(bytes)});
}

// True when the image holds count bytes from offset. Every read below asks
// first: a short image drops the messages it cannot fill instead of reading
// past its end.
bool Holds(size_t size, size_t offset, size_t count) {
  return offset <= size && count <= size - offset;
}

uint8_t Data7(int v) { return static_cast<uint8_t>(v & 0x7F); }

bool IsChannelStatus(uint8_t b) { return b >= 0x80 && b <= 0xEF; }

size_t ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Part parameter packing of the GS bulk dump.
struct PartPacker {
  const uint8_t* k;
  std::vector<uint8_t> out;

  void N(uint8_t x) {
    out.push_back(static_cast<uint8_t>(x >> 4));
    out.push_back(static_cast<uint8_t>(x & 0x0F));
  }
  void NRange(int from, int to) {
    for (int i = from; i <= to; ++i) N(k[i]);
  }
  void B(int x) { out.push_back(Data7(x)); }
  void S(int a, int b, int c, int d) {
    int v = ((k[a] & 1) << 1) | (k[b] & 3);
    v = (v << 1) | (k[c] & 7);
    v = (v << 1) | (k[d] & 15);
    B(v);
  }
};

// First and second bulk-dump addresses of each part block.
constexpr uint8_t kPartAddress[16][2][2] = {
    {{0x02, 0x70}, {0x03, 0x70}}, {{0x04, 0x50}, {0x05, 0x50}}, {{0x06, 0x30}, {0x07, 0x30}},
    {{0x08, 0x10}, {0x09, 0x10}}, {{0x09, 0x70}, {0x0A, 0x70}}, {{0x0B, 0x50}, {0x0C, 0x50}},
    {{0x0D, 0x30}, {0x0E, 0x30}}, {{0x0F, 0x10}, {0x10, 0x10}}, {{0x10, 0x70}, {0x11, 0x70}},
    {{0x01, 0x10}, {0x02, 0x10}}, {{0x12, 0x50}, {0x13, 0x50}}, {{0x14, 0x30}, {0x15, 0x30}},
    {{0x16, 0x10}, {0x17, 0x10}}, {{0x17, 0x70}, {0x18, 0x70}}, {{0x19, 0x50}, {0x1A, 0x50}},
    {{0x1B, 0x30}, {0x1C, 0x30}},
};

// Highest block byte each message reads, plus one.
constexpr size_t kPartChannelReach = 67;
constexpr size_t kPartFirstReach = 77;
constexpr size_t kPartSecondReach = kGSPartBlockBytes - 1;  // k120 is the last one read

constexpr uint8_t kDrumParamAddress[2][4] = {{0x02, 0x06, 0x08, 0x0A}, {0x12, 0x16, 0x18, 0x1A}};
constexpr size_t kDrumFirstRecords = 37;
constexpr size_t kDrumLeadZeros = 54;
constexpr size_t kDrumTailZeros = 38;

std::vector<uint8_t> GSDT1(uint8_t a1, uint8_t a2, uint8_t a3, const uint8_t* data, size_t n) {
  return RolandDT1(kRolandModelGS, a1, a2, a3, data, n);
}

void AppendChannel(std::vector<uint8_t>& run, uint8_t status, std::initializer_list<int> data) {
  run.push_back(status);
  for (int d : data) run.push_back(Data7(d));
}

// RPN 0,rpn := msb (and lsb when given) on every channel, one flush each.
void PushRpnRuns(std::vector<SendFlush>& out, uint8_t rpn, uint8_t msb, bool withLsb) {
  for (int n = 0; n < 16; ++n) {
    const uint8_t cc = static_cast<uint8_t>(0xB0 | n);
    std::vector<uint8_t> run;
    AppendChannel(run, cc, {0x65, 0x00});
    AppendChannel(run, cc, {0x64, rpn});
    AppendChannel(run, cc, {0x06, msb});
    if (withLsb) AppendChannel(run, cc, {0x26, 0x00});
    PushFlush(out, std::move(run));
  }
}

// Program, volume, bend range and effect sends of one part on its channel.
std::vector<uint8_t> PartChannelRun(const uint8_t* k) {
  const uint8_t cc = static_cast<uint8_t>(0xB0 | k[2]);
  const uint8_t pc = static_cast<uint8_t>(0xC0 | k[2]);
  // The range is kept offset by 64; anything below would make a negative
  // data byte, so it is held at 0.
  const int bend = k[66] >= 64 ? k[66] - 64 : 0;
  std::vector<uint8_t> run;
  AppendChannel(run, cc, {0x00, k[0]});
  AppendChannel(run, cc, {0x20, 0x00});
  AppendChannel(run, pc, {k[1]});
  AppendChannel(run, cc, {0x07, k[25]});
  AppendChannel(run, cc, {0x65, 0x00});
  AppendChannel(run, cc, {0x64, 0x00});
  AppendChannel(run, cc, {0x06, bend});
  AppendChannel(run, cc, {0x26, 0x00});
  AppendChannel(run, cc, {0x5B, k[34]});
  AppendChannel(run, cc, {0x5D, k[33]});
  AppendChannel(run, cc, {0x0A, k[28]});
  return run;
}

void PushUniversalMaster(std::vector<SendFlush>& out, uint8_t which, uint8_t lsb, uint8_t msb) {
  PushFlush(out, {0xF0, 0x7F, 0x7F, 0x04, which, Data7(lsb), Data7(msb), 0xF7});
}

void PushMT32(std::vector<SendFlush>& out, uint8_t area, size_t offset, size_t length,
              const uint8_t* image, size_t size, size_t imageOffset) {
  if (!Holds(size, imageOffset, length)) return;  // short image: leave this block unsent
  PushFlush(out, RolandDT1(kRolandModelMT32, area, static_cast<uint8_t>((offset >> 7) & 0x7F),
                           static_cast<uint8_t>(offset & 0x7F), image + imageOffset, length));
}

}  // namespace

uint8_t RolandChecksum(const uint8_t* bytes, size_t n) {
  unsigned sum = 0;
  for (size_t i = 0; i < n; ++i) sum += bytes[i];
  return static_cast<uint8_t>((0u - sum) & 0x7F);
}

std::vector<uint8_t> RolandDT1(uint8_t model, uint8_t a1, uint8_t a2, uint8_t a3,
                               const uint8_t* data, size_t n) {
  std::vector<uint8_t> m = {0xF0, 0x41, 0x10, model, 0x12, Data7(a1), Data7(a2), Data7(a3)};
  m.reserve(m.size() + n + 2);
  for (size_t i = 0; i < n; ++i) m.push_back(Data7(data[i]));
  m.push_back(RolandChecksum(m.data() + 5, m.size() - 5));
  m.push_back(0xF7);
  return m;
}

std::vector<SendFlush> BuildGSReset() {
  std::vector<SendFlush> out;
  PushFlush(out, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  const uint8_t mode = 0x00;
  PushFlush(out, GSDT1(0x40, 0x00, 0x7F, &mode, 1));
  return out;
}

std::vector<SendFlush> BuildMT32Reset() {
  std::vector<SendFlush> out;
  const uint8_t zero = 0x00;
  PushFlush(out, RolandDT1(kRolandModelMT32, 0x7F, 0x00, 0x00, &zero, 1));
  return out;
}

std::vector<uint8_t> GSPartFirstData(const uint8_t* k) {
  PartPacker p{k, {}};
  p.out.reserve(128);
  p.N(k[0]);
  p.N(k[1]);
  p.S(10, 3, 4, 5);
  p.S(6, 7, 8, 18);
  p.S(17, 16, 15, 14);
  p.S(13, 12, 11, 9);
  p.N(k[2]);
  p.B((k[19] << 3) + (k[21] == 1 ? 3 : k[21] == 2 ? 5 : 0));
  p.B(k[20]);
  p.N(k[22]);
  p.B(k[23]);
  p.B(k[24]);
  p.N(k[25]);
  p.N(k[28]);
  p.N(k[26]);
  p.N(k[27]);
  p.N(k[29]);
  p.N(k[30]);
  p.N(k[33]);
  p.N(k[34]);
  p.NRange(35, 42);
  p.N(0);
  p.N(0);
  p.NRange(43, 54);
  p.N(k[31]);
  p.N(k[32]);
  p.NRange(55, 57);
  p.N(0);
  p.NRange(58, 68);
  p.N(0);
  p.NRange(69, 76);
  return std::move(p.out);
}

std::vector<uint8_t> GSPartSecondData(const uint8_t* k) {
  PartPacker p{k, {}};
  p.out.reserve(96);
  p.NRange(77, 79);
  p.N(64);
  p.NRange(80, 90);
  p.N(64);
  p.NRange(91, 101);
  p.N(0);
  p.NRange(102, 112);
  p.N(0);
  p.NRange(113, 120);
  return std::move(p.out);
}

std::vector<SendFlush> BuildGSSendAll(const uint8_t* image, size_t size) {
  std::vector<SendFlush> out;
  if (!image || size == 0) return out;

  // Master fine tuning back to centre on every channel.
  PushRpnRuns(out, 0x01, 0x40, true);

  if (Holds(size, 36, 1)) {
    PushFlush(out, GSDT1(0x40, 0x00, 0x04, image + 36, 1));
    PushUniversalMaster(out, 0x01, image[36], image[36]);
  }
  if (Holds(size, 37, 1)) PushRpnRuns(out, 0x02, image[37], false);
  if (Holds(size, 38, 1)) {
    PushFlush(out, GSDT1(0x40, 0x00, 0x06, image + 38, 1));
    PushUniversalMaster(out, 0x02, 0x00, image[38]);
  }

  // Voice reserve lists part 10 (the drum part) first.
  static constexpr int kReserveOrder[16] = {9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
  if (Holds(size, kGSPartBlockOffset, kGSPartBlockBytes * 16)) {
    uint8_t reserve[16];
    for (int i = 0; i < 16; ++i)
      reserve[i] = image[kGSPartBlockOffset + kGSPartBlockBytes * kReserveOrder[i] + 121];
    PushFlush(out, GSDT1(0x40, 0x01, 0x10, reserve, 16));
  }

  if (Holds(size, 39, 7)) PushFlush(out, GSDT1(0x40, 0x01, 0x30, image + 39, 7));
  if (Holds(size, 46, 8)) PushFlush(out, GSDT1(0x40, 0x01, 0x38, image + 46, 8));

  // Channel byte 16 marks a part that is off; any higher value is no channel
  // either and would spill into the next status nibble.
  for (size_t p = 0; p < 16; ++p) {
    const size_t base = kGSPartBlockOffset + kGSPartBlockBytes * p;
    if (!Holds(size, base, kPartChannelReach)) break;
    const uint8_t* k = image + base;
    if (k[2] >= 16) continue;
    PushFlush(out, PartChannelRun(k));
  }

  for (size_t p = 0; p < 16; ++p) {
    const size_t base = kGSPartBlockOffset + kGSPartBlockBytes * p;
    const uint8_t* k = image + base;
    if (Holds(size, base, kPartFirstReach)) {
      const std::vector<uint8_t> d = GSPartFirstData(k);
      PushFlush(out, GSDT1(0x48, kPartAddress[p][0][0], kPartAddress[p][0][1], d.data(), d.size()));
    }
    if (Holds(size, base, kPartSecondReach)) {
      const std::vector<uint8_t> d = GSPartSecondData(k);
      PushFlush(out, GSDT1(0x48, kPartAddress[p][1][0], kPartAddress[p][1][1], d.data(), d.size()));
    }
  }

  for (int set = 0; set < 2; ++set) {
    const size_t base = kGSDrumBlockOffsets[set];
    for (int lane = 0; lane < 4; ++lane) {
      const uint8_t a2 = kDrumParamAddress[set][lane];
      auto nibbles = [&](std::vector<uint8_t>& d, size_t from, size_t to) {
        for (size_t r = from; r < to; ++r) {
          const uint8_t x = image[base + r * 4 + lane];
          d.push_back(static_cast<uint8_t>(x >> 4));
          d.push_back(static_cast<uint8_t>(x & 0x0F));
        }
      };
      if (Holds(size, base, (kDrumFirstRecords - 1) * 4 + lane + 1)) {
        std::vector<uint8_t> d(kDrumLeadZeros, 0);
        nibbles(d, 0, kDrumFirstRecords);
        PushFlush(out, GSDT1(0x49, a2, 0x00, d.data(), d.size()));
      }
      if (Holds(size, base, (kGSDrumRecords - 1) * 4 + lane + 1)) {
        std::vector<uint8_t> d;
        nibbles(d, kDrumFirstRecords, kGSDrumRecords);
        d.insert(d.end(), kDrumTailZeros, 0);
        PushFlush(out, GSDT1(0x49, static_cast<uint8_t>(a2 + 1), 0x00, d.data(), d.size()));
      }
    }
  }
  return out;
}

MT32Sends BuildMT32SendAll(const uint8_t* image, size_t size) {
  MT32Sends s;
  if (!image || size == 0) return s;
  PushMT32(s.port, 0x10, 0, 23, image, size, 128);
  for (size_t i = 0; i < 64; ++i) PushMT32(s.port, 0x08, i * 256, 256, image, size, 3636 + i * 256);
  PushMT32(s.port, 0x03, 144, 256, image, size, 304);
  PushMT32(s.port, 0x03, 400, 84, image, size, 560);
  PushMT32(s.port, 0x03, 0, 128, image, size, 160);
  PushMT32(s.port, 0x03, 128, 16, image, size, 288);
  for (size_t i = 0; i < 8; ++i) PushMT32(s.port, 0x04, i * 246, 246, image, size, 644 + i * 246);
  for (size_t i = 0; i < 8; ++i) PushMT32(s.port, 0x05, i * 128, 128, image, size, 2612 + i * 128);

  PushMT32(s.laPort, 0x50, 0, 189, image, size, 20020);
  for (size_t i = 0; i < 16; ++i)
    PushMT32(s.laPort, 0x51, i * 152, 152, image, size, 20146 + i * 152);
  PushMT32(s.laPort, 0x52, 0, 17, image, size, 22578);
  return s;
}

std::vector<SendFlush> SplitSendBuffer(const uint8_t* bytes, size_t length) {
  std::vector<SendFlush> out;
  if (!bytes) return out;
  size_t i = 0;
  while (i < length) {
    const uint8_t b = bytes[i];
    if (b == 0xF0) {
      size_t end = i + 1;
      while (end < length && bytes[end] != 0xF7) ++end;
      // Without its F7 the module would wait for the rest: drop it. One too
      // long for the send buffer is dropped as well (PushFlush).
      if (end >= length) break;
      PushFlush(out, std::vector<uint8_t>(bytes + i, bytes + end + 1));
      i = end + 1;
      continue;
    }
    if (b >= 0x90 && b <= 0xEF) {
      const size_t n = ChannelDataBytes(b);
      size_t got = 0;
      while (got < n && i + 1 + got < length && bytes[i + 1 + got] < 0x80) ++got;
      if (got == n) {
        PushFlush(out, std::vector<uint8_t>(bytes + i, bytes + i + 1 + n));
        i += 1 + n;
      } else {
        // Cut off by the end or by the next status: that status starts over.
        i += 1 + got;
      }
      continue;
    }
    ++i;
  }
  return out;
}

std::vector<uint32_t> ShortMessagesOf(const SendFlush& f) {
  std::vector<uint32_t> msgs;
  const std::vector<uint8_t>& b = f.bytes;
  size_t i = 0;
  while (i < b.size() && IsChannelStatus(b[i])) {
    const size_t n = ChannelDataBytes(b[i]);
    if (n > b.size() - i - 1) break;
    uint32_t m = b[i];
    bool whole = true;
    for (size_t d = 0; d < n; ++d) {
      if (b[i + 1 + d] >= 0x80) whole = false;
      m |= static_cast<uint32_t>(b[i + 1 + d]) << (8 * (d + 1));
    }
    if (!whole) break;
    msgs.push_back(m);
    i += 1 + n;
  }
  return msgs;
}
