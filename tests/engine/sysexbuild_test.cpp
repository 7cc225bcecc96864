#include "sysexbuild.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kGSSize = 2670;
constexpr size_t kMT32Size = 22602;

size_t PartBase(int p) { return 54 + 122 * static_cast<size_t>(p); }

// A GS control image with a different value in most bytes, the part channels
// set to 0-15 but part 4 (block 3) switched off with 16, and chosen packing
// fields in blocks 0 and 1.
Bytes MakeGSImage() {
  Bytes img(kGSSize);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<uint8_t>((i * 37 + 11) & 0x7F);
  img[36] = 0x64;
  img[37] = 0x3A;
  img[38] = 0x50;
  for (int p = 0; p < 16; ++p) {
    img[PartBase(p) + 2] = static_cast<uint8_t>(p);
    img[PartBase(p) + 121] = static_cast<uint8_t>(p + 1);  // voice reserve
    img[PartBase(p) + 66] = static_cast<uint8_t>(64 + p);  // bend range
  }
  img[PartBase(3) + 2] = 16;
  uint8_t* k = &img[PartBase(0)];
  k[10] = 1; k[3] = 2; k[4] = 5; k[5] = 9;
  k[6] = 3; k[7] = 7; k[8] = 0x0F; k[18] = 0x1F;
  k[19] = 0x12; k[21] = 1;
  k = &img[PartBase(1)];
  k[19] = 4; k[21] = 2;
  return img;
}

Bytes GSMessage(uint8_t a1, uint8_t a2, uint8_t a3, const Bytes& data) {
  return RolandDT1(kRolandModelGS, a1, a2, a3, data.data(), data.size());
}

Bytes Address(const SendFlush& f) { return Bytes(f.bytes.begin() + 5, f.bytes.begin() + 8); }
Bytes DataOf(const SendFlush& f) { return Bytes(f.bytes.begin() + 8, f.bytes.end() - 2); }

bool IsRoland(const SendFlush& f) {
  return f.bytes.size() >= 10 && f.bytes[0] == 0xF0 && f.bytes[1] == 0x41;
}

// Sum of address, data and checksum is 0 in seven bits, and no data byte
// has its top bit set.
void ExpectWellFormedDT1(const SendFlush& f) {
  ASSERT_TRUE(IsRoland(f));
  EXPECT_EQ(f.bytes.back(), 0xF7);
  unsigned sum = 0;
  for (size_t i = 5; i + 1 < f.bytes.size(); ++i) {
    EXPECT_LT(f.bytes[i], 0x80) << "byte " << i;
    sum += f.bytes[i];
  }
  EXPECT_EQ(sum & 0x7F, 0u);
}

Bytes Nib(uint8_t x) { return {static_cast<uint8_t>(x >> 4), static_cast<uint8_t>(x & 0x0F)}; }
Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

// ---- DT1 and resets ----

struct DT1Case {
  uint8_t model, a1, a2, a3;
  Bytes data;
  Bytes expected;
};

TEST(RolandDT1, KnownMessages) {
  const DT1Case cases[] = {
      {0x42, 0x40, 0x00, 0x7F, {0x00}, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
      {0x42, 0x40, 0x00, 0x04, {0x7F}, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x04, 0x7F, 0x3D, 0xF7}},
      {0x16, 0x7F, 0x00, 0x00, {0x00}, {0xF0, 0x41, 0x10, 0x16, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0xF7}},
      // Sum exactly 0x80: checksum 0.
      {0x42, 0x40, 0x01, 0x30, {0x0F}, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30, 0x0F, 0x00, 0xF7}},
      // A top-bit data byte goes out as 7 bits and is summed so.
      {0x42, 0x40, 0x00, 0x04, {0xFF}, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x04, 0x7F, 0x3D, 0xF7}},
  };
  for (const DT1Case& c : cases)
    EXPECT_EQ(RolandDT1(c.model, c.a1, c.a2, c.a3, c.data.data(), c.data.size()), c.expected);
}

TEST(RolandDT1, NoDataOnlyAddressChecksum) {
  EXPECT_EQ(RolandDT1(0x42, 0x41, 0x00, 0x00, nullptr, 0),
            (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x41, 0x00, 0x00, 0x3F, 0xF7}));
}

TEST(SysExResets, GSResetIsGMOnThenGSReset) {
  const std::vector<SendFlush> f = BuildGSReset();
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(f[1].bytes, (Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
}

TEST(SysExResets, MT32Reset) {
  const std::vector<SendFlush> f = BuildMT32Reset();
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].bytes, (Bytes{0xF0, 0x41, 0x10, 0x16, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0xF7}));
}

// ---- GS bulk send ----

// Flush positions in a full send with one part switched off.
constexpr size_t kFineRuns = 0, kMasterVol = 16, kCoarseRuns = 18, kMasterPan = 34,
                 kReserve = 36, kReverb = 37, kChorus = 38, kPartRuns = 39, kPartBulk = 54,
                 kDrums = 86, kGSTotal = 102;

TEST(GSSendAll, OrderAndCount) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  for (size_t i = 0; i < f.size(); ++i) {
    SCOPED_TRACE(i);
    const bool channel = (i < kMasterVol) || (i >= kCoarseRuns && i < kMasterPan) ||
                         (i >= kPartRuns && i < kPartBulk);
    if (channel) {
      // Each run is whole channel messages, nothing left over.
      size_t bytes = 0;
      for (uint32_t m : ShortMessagesOf(f[i])) bytes += ((m & 0xE0) == 0xC0) ? 2 : 3;
      EXPECT_EQ(bytes, f[i].bytes.size());
    } else if (i == kMasterVol + 1 || i == kMasterPan + 1) {
      EXPECT_EQ(f[i].bytes[1], 0x7F);
    } else {
      ExpectWellFormedDT1(f[i]);
    }
  }
}

TEST(GSSendAll, RpnRunsPerChannel) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  for (uint8_t n = 0; n < 16; ++n) {
    const uint8_t b = 0xB0 | n;
    EXPECT_EQ(f[kFineRuns + n].bytes, (Bytes{b, 0x65, 0x00, b, 0x64, 0x01, b, 0x06, 0x40, b, 0x26, 0x00}));
    EXPECT_EQ(f[kCoarseRuns + n].bytes, (Bytes{b, 0x65, 0x00, b, 0x64, 0x02, b, 0x06, 0x3A}));
  }
  EXPECT_EQ(ShortMessagesOf(f[kFineRuns + 5]),
            (std::vector<uint32_t>{0x0065B5, 0x0164B5, 0x4006B5, 0x0026B5}));
}

TEST(GSSendAll, MasterVolumePanAndEffects) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  EXPECT_EQ(f[kMasterVol].bytes, GSMessage(0x40, 0x00, 0x04, {0x64}));
  EXPECT_EQ(f[kMasterVol + 1].bytes, (Bytes{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x64, 0x64, 0xF7}));
  EXPECT_EQ(f[kMasterPan].bytes, GSMessage(0x40, 0x00, 0x06, {0x50}));
  EXPECT_EQ(f[kMasterPan + 1].bytes, (Bytes{0xF0, 0x7F, 0x7F, 0x04, 0x02, 0x00, 0x50, 0xF7}));
  EXPECT_EQ(f[kReverb].bytes, GSMessage(0x40, 0x01, 0x30, Slice(img, 39, 7)));
  EXPECT_EQ(f[kChorus].bytes, GSMessage(0x40, 0x01, 0x38, Slice(img, 46, 8)));
}

TEST(GSSendAll, VoiceReserveDrumPartFirst) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  // Block p holds reserve p + 1.
  EXPECT_EQ(f[kReserve].bytes,
            GSMessage(0x40, 0x01, 0x10, {10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16}));
}

TEST(GSSendAll, PartChannelRuns) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  // Blocks 0, 1, 2, 4, ... 15: block 3 (channel 16) has no run.
  const int blocks[15] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 15; ++i) {
    const int p = blocks[i];
    SCOPED_TRACE(p);
    const uint8_t* k = &img[PartBase(p)];
    const uint8_t b = 0xB0 | p, c = 0xC0 | p;
    const Bytes expected = {b, 0x00, k[0],  b, 0x20, 0x00,  c, k[1],  b, 0x07, k[25],
                            b, 0x65, 0x00,  b, 0x64, 0x00,  b, 0x06, static_cast<uint8_t>(p),
                            b, 0x26, 0x00,  b, 0x5B, k[34], b, 0x5D, k[33], b, 0x0A, k[28]};
    EXPECT_EQ(f[kPartRuns + i].bytes, expected);
    EXPECT_EQ(ShortMessagesOf(f[kPartRuns + i]).size(), 11u);
  }
}

TEST(GSSendAll, SwitchedOffPartKeepsBulkMessages) {
  Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  for (size_t i = kPartRuns; i < kPartBulk; ++i) EXPECT_NE(f[i].bytes[0] & 0x0F, 3) << i;
  EXPECT_EQ(Address(f[kPartBulk + 6]), (Bytes{0x48, 0x08, 0x10}));
  EXPECT_EQ(Address(f[kPartBulk + 7]), (Bytes{0x48, 0x09, 0x10}));
  EXPECT_EQ(Slice(DataOf(f[kPartBulk + 6]), 8, 2), Nib(16));

  // Switching it on adds its run between blocks 2 and 4.
  img[PartBase(3) + 2] = 3;
  const std::vector<SendFlush> on = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(on.size(), kGSTotal + 1);
  EXPECT_EQ(on[kPartRuns + 3].bytes[0], 0xB3);
}

TEST(GSSendAll, ChannelAboveSixteenIsNoChannel) {
  Bytes img = MakeGSImage();
  img[PartBase(5) + 2] = 17;  // would make B0 | 17 = B1 otherwise
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal - 1);
  for (size_t i = kPartRuns; i < kPartBulk - 1; ++i) EXPECT_NE(f[i].bytes[0] & 0x0F, 5) << i;
}

TEST(GSSendAll, BendRangeBelowOffsetHeldAtZero) {
  Bytes img = MakeGSImage();
  img[PartBase(0) + 66] = 10;
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  EXPECT_EQ(Slice(f[kPartRuns].bytes, 17, 3), (Bytes{0xB0, 0x06, 0x00}));
}

TEST(GSSendAll, PartBulkAddresses) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  const uint8_t first[16][2] = {{0x02, 0x70}, {0x04, 0x50}, {0x06, 0x30}, {0x08, 0x10},
                                {0x09, 0x70}, {0x0B, 0x50}, {0x0D, 0x30}, {0x0F, 0x10},
                                {0x10, 0x70}, {0x01, 0x10}, {0x12, 0x50}, {0x14, 0x30},
                                {0x16, 0x10}, {0x17, 0x70}, {0x19, 0x50}, {0x1B, 0x30}};
  for (int p = 0; p < 16; ++p) {
    SCOPED_TRACE(p);
    const SendFlush& a = f[kPartBulk + 2 * p];
    const SendFlush& b = f[kPartBulk + 2 * p + 1];
    EXPECT_EQ(Address(a), (Bytes{0x48, first[p][0], first[p][1]}));
    EXPECT_EQ(Address(b), (Bytes{0x48, static_cast<uint8_t>(first[p][0] + 1), first[p][1]}));
    EXPECT_EQ(DataOf(a).size(), 128u);
    EXPECT_EQ(DataOf(b).size(), 96u);
  }
}

TEST(GSSendAll, FirstPartMessagePacking) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  const uint8_t* k = &img[PartBase(0)];
  const Bytes d = DataOf(f[kPartBulk]);
  ASSERT_EQ(d.size(), 128u);
  EXPECT_EQ(Slice(d, 0, 2), Nib(k[0]));
  EXPECT_EQ(Slice(d, 2, 2), Nib(k[1]));
  // S(1, 2, 5, 9) = ((1 << 1 | 2) << 1 | 5) << 1 | 9 = (5 << 1) | 9 = 11;
  // S(3, 7, 15, 31) = ((1 << 1 | 3) << 1 | 7) << 1 | 15 = 15.
  EXPECT_EQ(d[4], 11);
  EXPECT_EQ(d[5], 15);
  EXPECT_EQ(Slice(d, 8, 2), Nib(0));  // channel byte
  EXPECT_EQ(d[10], (0x12 << 3 | 3) & 0x7F);
  EXPECT_EQ(d[11], k[20] & 0x7F);
  EXPECT_EQ(Slice(d, 12, 2), Nib(k[22]));
  EXPECT_EQ(d[14], k[23]);
  EXPECT_EQ(d[15], k[24]);
  const struct { size_t at; int k; } nibs[] = {
      {16, 25}, {18, 28}, {20, 26}, {22, 27}, {24, 29}, {26, 30}, {28, 33}, {30, 34},
      {32, 35}, {46, 42}, {48, -1}, {50, -1}, {52, 43}, {74, 54}, {76, 31}, {78, 32},
      {80, 55}, {84, 57}, {86, -1}, {88, 58}, {108, 68}, {110, -1}, {112, 69}, {126, 76}};
  for (const auto& n : nibs)
    EXPECT_EQ(Slice(d, n.at, 2), Nib(n.k < 0 ? 0 : k[n.k])) << "at " << n.at;

  // Block 1: k21 = 2 adds 5.
  EXPECT_EQ(DataOf(f[kPartBulk + 2])[10], 4 << 3 | 5);
}

TEST(GSSendAll, SecondPartMessagePacking) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  const int p = 9;
  const uint8_t* k = &img[PartBase(p)];
  const SendFlush& m = f[kPartBulk + 2 * p + 1];
  EXPECT_EQ(Address(m), (Bytes{0x48, 0x02, 0x10}));
  const Bytes d = DataOf(m);
  ASSERT_EQ(d.size(), 96u);
  const struct { size_t at; int k; } nibs[] = {
      {0, 77}, {4, 79}, {6, 1064}, {8, 80}, {28, 90}, {30, 1064}, {32, 91}, {52, 101},
      {54, -1}, {56, 102}, {76, 112}, {78, -1}, {80, 113}, {94, 120}};
  for (const auto& n : nibs) {
    const uint8_t v = n.k < 0 ? 0 : n.k == 1064 ? 64 : k[n.k];
    EXPECT_EQ(Slice(d, n.at, 2), Nib(v)) << "at " << n.at;
  }
}

TEST(GSSendAll, DrumSetupLanes) {
  const Bytes img = MakeGSImage();
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal);
  const uint8_t addr[2][4] = {{0x02, 0x06, 0x08, 0x0A}, {0x12, 0x16, 0x18, 0x1A}};
  const size_t base[2] = {2006, 2338};
  for (int set = 0; set < 2; ++set) {
    for (int lane = 0; lane < 4; ++lane) {
      SCOPED_TRACE(set * 4 + lane);
      const SendFlush& a = f[kDrums + set * 8 + lane * 2];
      const SendFlush& b = f[kDrums + set * 8 + lane * 2 + 1];
      EXPECT_EQ(Address(a), (Bytes{0x49, addr[set][lane], 0x00}));
      EXPECT_EQ(Address(b), (Bytes{0x49, static_cast<uint8_t>(addr[set][lane] + 1), 0x00}));
      Bytes ea(54, 0), eb;
      for (size_t r = 0; r < 37; ++r) {
        const Bytes n = Nib(img[base[set] + r * 4 + lane]);
        ea.insert(ea.end(), n.begin(), n.end());
      }
      for (size_t r = 37; r < 82; ++r) {
        const Bytes n = Nib(img[base[set] + r * 4 + lane]);
        eb.insert(eb.end(), n.begin(), n.end());
      }
      eb.insert(eb.end(), 38, 0);
      EXPECT_EQ(DataOf(a), ea);
      EXPECT_EQ(DataOf(b), eb);
    }
  }
}

TEST(GSSendAll, ShortImagesSendWhatTheyHold) {
  const Bytes full = MakeGSImage();
  const struct { size_t size, count; } cases[] = {
      {1, 16},             // fine tuning needs no image byte
      {36, 16},   {37, 18}, {38, 34}, {39, 36},
      {45, 36},   {46, 37}, {53, 37}, {54, 38},
      {120, 38},  {121, 39},  // block 0's run reads up to k66
      {130, 39},  {131, 40},  // first bulk message up to k76
      {174, 40},  {175, 41},  // second up to k120
      {2005, 85}, {2006, 86}, // voice reserve needs block 15's k121
      {2150, 86}, {2151, 87}, // first drum message of lane 0
      {2665, 101}, {2666, 102}, {kGSSize, 102},
  };
  for (const auto& c : cases) {
    // An exact-size copy: anything past it is not the image.
    const Bytes img(full.begin(), full.begin() + c.size);
    EXPECT_EQ(BuildGSSendAll(img.data(), img.size()).size(), c.count) << "size " << c.size;
  }
  EXPECT_TRUE(BuildGSSendAll(nullptr, kGSSize).empty());
  EXPECT_TRUE(BuildGSSendAll(full.data(), 0).empty());
}

TEST(GSSendAll, ShortImageKeepsOrderOfWhatIsSent) {
  const Bytes full = MakeGSImage();
  const Bytes img(full.begin(), full.begin() + 175);
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), 41u);
  EXPECT_EQ(Address(f[36]), (Bytes{0x40, 0x01, 0x30}));  // no voice reserve before reverb
  EXPECT_EQ(f[38].bytes[0], 0xB0);
  EXPECT_EQ(Address(f[39]), (Bytes{0x48, 0x02, 0x70}));
  EXPECT_EQ(Address(f[40]), (Bytes{0x48, 0x03, 0x70}));
}

TEST(GSSendAll, TopBitImageBytesStayData) {
  // A damaged image: every byte with its top bit set but the part channels.
  Bytes img = MakeGSImage();
  for (uint8_t& b : img) b |= 0x80;
  for (int p = 0; p < 16; ++p) img[PartBase(p) + 2] = static_cast<uint8_t>(p);
  const std::vector<SendFlush> f = BuildGSSendAll(img.data(), img.size());
  ASSERT_EQ(f.size(), kGSTotal + 1);
  for (size_t i = 0; i < f.size(); ++i) {
    SCOPED_TRACE(i);
    const Bytes& b = f[i].bytes;
    if (b[0] == 0xF0) {
      EXPECT_EQ(b.back(), 0xF7);
      for (size_t j = 1; j + 1 < b.size(); ++j) EXPECT_LT(b[j], 0x80) << "byte " << j;
      if (IsRoland(f[i])) ExpectWellFormedDT1(f[i]);
    } else {
      size_t bytes = 0;
      for (uint32_t m : ShortMessagesOf(f[i])) bytes += ((m & 0xE0) == 0xC0) ? 2 : 3;
      EXPECT_EQ(bytes, b.size());
    }
  }
}

// ---- MT-32 bulk send ----

Bytes MakeMT32Image(size_t size = kMT32Size) {
  Bytes img(size);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<uint8_t>((i * 13 + 5) & 0x7F);
  return img;
}

TEST(MT32SendAll, MessageList) {
  const Bytes img = MakeMT32Image();
  const MT32Sends s = BuildMT32SendAll(img.data(), img.size());
  ASSERT_EQ(s.port.size(), 85u);
  ASSERT_EQ(s.laPort.size(), 18u);
  struct Expect { size_t index; Bytes addr; size_t length, from; };
  const Expect port[] = {
      {0, {0x10, 0x00, 0x00}, 23, 128},
      {1, {0x08, 0x00, 0x00}, 256, 3636},
      {2, {0x08, 0x02, 0x00}, 256, 3892},
      {64, {0x08, 0x7E, 0x00}, 256, 3636 + 63 * 256},
      {65, {0x03, 0x01, 0x10}, 256, 304},
      {66, {0x03, 0x03, 0x10}, 84, 560},
      {67, {0x03, 0x00, 0x00}, 128, 160},
      {68, {0x03, 0x01, 0x00}, 16, 288},
      {69, {0x04, 0x00, 0x00}, 246, 644},
      {72, {0x04, 0x05, 0x62}, 246, 644 + 3 * 246},
      {76, {0x04, 0x0D, 0x3A}, 246, 644 + 7 * 246},
      {77, {0x05, 0x00, 0x00}, 128, 2612},
      {84, {0x05, 0x07, 0x00}, 128, 2612 + 7 * 128},
  };
  const Expect la[] = {
      {0, {0x50, 0x00, 0x00}, 189, 20020},
      {2, {0x51, 0x01, 0x18}, 152, 20146 + 152},
      {16, {0x51, 0x11, 0x68}, 152, 20146 + 15 * 152},
      {17, {0x52, 0x00, 0x00}, 17, 22578},
  };
  auto check = [&](const std::vector<SendFlush>& list, const Expect& e) {
    SCOPED_TRACE(e.index);
    const SendFlush& f = list[e.index];
    ExpectWellFormedDT1(f);
    EXPECT_EQ(f.bytes[3], 0x16);
    EXPECT_EQ(Address(f), e.addr);
    EXPECT_EQ(DataOf(f), Slice(img, e.from, e.length));
  };
  for (const Expect& e : port) check(s.port, e);
  for (const Expect& e : la) check(s.laPort, e);
  for (const SendFlush& f : s.port) ExpectWellFormedDT1(f);
  for (const SendFlush& f : s.laPort) ExpectWellFormedDT1(f);
}

TEST(MT32SendAll, ShortImages) {
  const struct { size_t size, port, la; } cases[] = {
      {0, 0, 0},
      {150, 0, 0},
      {151, 1, 0},            // system area only
      {3891, 21, 0},          // everything but timbre memory
      {3892, 22, 0},          // first timbre memory
      {20208, 85, 0},
      {20209, 85, 1},
      {22594, 85, 17},        // last PCM block cut by one byte
      {22595, 85, 18},
  };
  for (const auto& c : cases) {
    const Bytes img = MakeMT32Image(c.size);
    const MT32Sends s = BuildMT32SendAll(img.data(), img.size());
    EXPECT_EQ(s.port.size(), c.port) << "size " << c.size;
    EXPECT_EQ(s.laPort.size(), c.la) << "size " << c.size;
  }
  EXPECT_TRUE(BuildMT32SendAll(nullptr, kMT32Size).port.empty());
}

TEST(MT32SendAll, TopBitImageBytesStayData) {
  Bytes img = MakeMT32Image();
  for (uint8_t& b : img) b |= 0x80;
  const MT32Sends s = BuildMT32SendAll(img.data(), img.size());
  ASSERT_EQ(s.port.size(), 85u);
  ASSERT_EQ(s.laPort.size(), 18u);
  for (const SendFlush& f : s.port) ExpectWellFormedDT1(f);
  for (const SendFlush& f : s.laPort) ExpectWellFormedDT1(f);
}

// ---- Raw bytes ----

struct SplitCase {
  const char* name;
  Bytes in;
  std::vector<Bytes> out;
};

TEST(SplitSendBuffer, Cases) {
  const SplitCase cases[] = {
      {"note-off passed over", {0x90, 0x3C, 0x64, 0x80, 0x3C, 0x00}, {{0x90, 0x3C, 0x64}}},
      {"sysex then program", {0xF0, 0x41, 0x10, 0xF7, 0xC0, 0x05}, {{0xF0, 0x41, 0x10, 0xF7}, {0xC0, 0x05}}},
      {"one data byte for D0", {0xD0, 0x10, 0x20}, {{0xD0, 0x10}}},
      {"bend", {0xE3, 0x00, 0x40}, {{0xE3, 0x00, 0x40}}},
      {"system bytes passed over", {0xF8, 0x3C, 0xFE, 0x90, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}}},
      {"unterminated sysex dropped", {0x90, 0x3C, 0x64, 0xF0, 0x41, 0x10}, {{0x90, 0x3C, 0x64}}},
      {"lone F0", {0xF0}, {}},
      {"cut-off at end", {0xB0, 0x07}, {}},
      {"cut by next status", {0x90, 0x3C, 0x91, 0x40, 0x50}, {{0x91, 0x40, 0x50}}},
      {"stray F7 passed over", {0xF7, 0xC1, 0x02}, {{0xC1, 0x02}}},
      {"empty", {}, {}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<SendFlush> f = SplitSendBuffer(c.in.data(), c.in.size());
    ASSERT_EQ(f.size(), c.out.size());
    for (size_t i = 0; i < f.size(); ++i) EXPECT_EQ(f[i].bytes, c.out[i]);
  }
}

TEST(SplitSendBuffer, LengthBoundsTheWalk) {
  const Bytes in = {0x90, 0x3C, 0x64, 0xC0, 0x05};
  EXPECT_EQ(SplitSendBuffer(in.data(), 4).size(), 1u);
  EXPECT_EQ(SplitSendBuffer(in.data(), 2).size(), 0u);
  EXPECT_TRUE(SplitSendBuffer(nullptr, 10).empty());
}

TEST(SplitSendBuffer, SysExLongerThanStreamBufferDropped) {
  auto sysex = [](size_t total) {
    Bytes b(total, 0x11);
    b.front() = 0xF0;
    b.back() = 0xF7;
    return b;
  };
  Bytes fits = sysex(kMaxFlushBytes);
  fits.insert(fits.end(), {0xC0, 0x01});
  std::vector<SendFlush> f = SplitSendBuffer(fits.data(), fits.size());
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].bytes.size(), 32756u);

  Bytes over = sysex(kMaxFlushBytes + 1);
  over.insert(over.end(), {0xC0, 0x01});
  f = SplitSendBuffer(over.data(), over.size());
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].bytes, (Bytes{0xC0, 0x01}));
}

TEST(ShortMessagesOf, Packing) {
  const struct { Bytes in; std::vector<uint32_t> out; } cases[] = {
      {{0xB0, 0x07, 0x64, 0xC0, 0x05}, {0x6407B0, 0x05C0}},
      {{0x90, 0x3C, 0x64, 0xF7, 0xB0, 0x0A, 0x40}, {0x643C90}},  // stops at F7
      {{0xB0, 0x07, 0x64, 0xB0, 0x0A}, {0x6407B0}},              // cut-off message
      {{0xB0, 0x07, 0x64, 0x0A, 0x40}, {0x6407B0}},              // no status
      {{0xB0, 0x07, 0x90, 0x3C, 0x64}, {}},                      // status in data
      {{0xF0, 0x41, 0xF7}, {}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortMessagesOf(SendFlush{c.in}), c.out);
}

}  // namespace
