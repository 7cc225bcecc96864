#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scorestaff.h"

namespace {

StaffTables Tables(uint32_t keySignature) {
  StaffTables t;
  BuildStaffTables(t, keySignature);
  return t;
}

TEST(ScoreStaff, SpellingOfKeysInSignatures) {
  struct Case {
    int row;
    int key;
    int position;
    uint8_t own;   // absoluteStaffTable
    uint8_t sign;  // signatureStaffTable
  } cases[] = {
      {0, 60, 36, kStaffNoSign, kStaffNoSign},  // middle C
      {0, 61, 36, kStaffSharp, kStaffSharp},
      {9, 70, 42, kStaffFlat, kStaffNoSign},    // B flat in F major
      {9, 71, 42, kStaffNoSign, kStaffNatural},
      {4, 60, 35, kStaffSharp, kStaffSharp},    // E major: B sharp
      {4, 59, 35, kStaffNoSign, kStaffNoSign},
      {14, 71, 43, kStaffFlat, kStaffNoSign},   // G flat major: C flat
      {14, 72, 43, kStaffNoSign, kStaffNatural},
      {7, 72, 42, kStaffSharp, kStaffNoSign},   // C sharp major: B sharp
      {6, 65, 38, kStaffSharp, kStaffNoSign},   // F sharp major: E sharp
      {6, 64, 38, kStaffNoSign, kStaffNatural},
      {15, 64, 39, kStaffFlat, kStaffNoSign},   // C flat major: F flat
      {8, 70, 42, kStaffFlat, kStaffFlat},      // C major of the flat family
      {0, 0, 1, kStaffNoSign, kStaffNoSign},
      {4, 0, 0, kStaffSharp, kStaffSharp},
      {0, 127, 75, kStaffNoSign, kStaffNoSign},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " key " << c.key);
    StaffTables t = Tables(c.row);
    EXPECT_EQ(c.position, StaffEntryPosition(t.absoluteStaffTable[c.key]));
    EXPECT_EQ(c.position, StaffEntryPosition(t.signatureStaffTable[c.key]));
    EXPECT_EQ(c.own, StaffEntryAccidental(t.absoluteStaffTable[c.key]));
    EXPECT_EQ(c.sign, StaffEntryAccidental(t.signatureStaffTable[c.key]));
    EXPECT_EQ(c.position, StaffPositionOf(t, c.key));
    EXPECT_EQ(static_cast<uint32_t>(c.row), t.currentStaffKey);
  }
}

TEST(ScoreStaff, BuildersWriteTheirTablesAndBarFollowsTheLast) {
  StaffTables t;
  BuildStaffTable(t, 9);
  EXPECT_EQ(0, std::memcmp(t.barStaffTable, t.absoluteStaffTable, sizeof t.barStaffTable));
  EXPECT_EQ(kStaffFlat, BarAccidental(t, 70));
  BuildStaffTable2(t, 9);
  EXPECT_EQ(0, std::memcmp(t.barStaffTable, t.signatureStaffTable, sizeof t.barStaffTable));
  EXPECT_EQ(kStaffNoSign, BarAccidental(t, 70));
  // Only bits 0-3 name the signature (KeyIndex 20 is a minor key of row 4).
  StaffTables minor = Tables(20);
  StaffTables major = Tables(4);
  EXPECT_EQ(4u, minor.currentStaffKey);
  EXPECT_EQ(0, std::memcmp(&minor, &major, sizeof minor));
}

// A key prints a sign against the signature exactly when its own spelling
// alters the letter differently from the signature; sharps enter in the order
// F C G D A E B, flats in the order B E A D G C F.
TEST(ScoreStaff, RelativeSpellingAgreesWithTheSignature) {
  const int sharpOrder[7] = {4, 1, 5, 2, 6, 3, 7};  // letters 1-7 = C D E F G A B
  const int flatOrder[7] = {7, 3, 6, 2, 5, 1, 4};
  for (int row = 0; row < kStaffKeyRows; ++row) {
    int altered[8] = {};
    if (row >= 1 && row <= 7) {
      for (int i = 0; i < row; ++i) altered[sharpOrder[i]] = kStaffSharp;
    } else if (row >= 9) {
      for (int i = 0; i < row - 8; ++i) altered[flatOrder[i]] = kStaffFlat;
    }
    for (int pc = 0; pc < 12; ++pc) {
      SCOPED_TRACE(testing::Message() << "row " << row << " pitch class " << pc);
      const uint8_t own = StaffSpellingAbsolute[row][pc];
      const uint8_t rel = StaffSpellingRelative[row][pc];
      const int letter = own >> 4;
      const int plain = letter == 0 ? 7 : letter == 8 ? 1 : letter;
      const int ownSign = own & 0x0F;
      const int expected = altered[plain] == ownSign ? kStaffNoSign : ownSign != 0 ? ownSign : kStaffNatural;
      EXPECT_EQ(letter, rel >> 4);
      EXPECT_EQ(expected, rel & 0x0F);
    }
  }
}

TEST(ScoreStaff, PositionsClimbOneLetterAtATime) {
  for (int row = 0; row < kStaffKeyRows; ++row) {
    StaffTables t = Tables(row);
    for (int key = 1; key < kStaffKeys; ++key) {
      const int step = StaffPositionOf(t, key) - StaffPositionOf(t, key - 1);
      EXPECT_TRUE(step == 0 || step == 1) << "row " << row << " key " << key;
    }
    // The octave is seven positions.
    EXPECT_EQ(StaffPositionOf(t, 60) + 7, StaffPositionOf(t, 72)) << "row " << row;
  }
}

TEST(ScoreStaff, CurrentStaffKeyFromLineOrSong) {
  EXPECT_EQ(4u, CurrentStaffKey(4, 0));
  EXPECT_EQ(5u, CurrentStaffKey(21, 0));  // B major's minor, G sharp minor
  EXPECT_EQ(0u, CurrentStaffKey(0, 14));  // the line's C major wins
  EXPECT_EQ(10u, CurrentStaffKey(-1, 26));  // no line: the song's G minor
}

TEST(ScoreStaff, VerticalPlacement) {
  const int32_t c = 300;
  const int32_t s = 6;
  // Middle C is centred on its line; the staff lines lie a spacing apart.
  EXPECT_EQ(c - 3, StaffNoteTop(c, 36, s));
  struct Case {
    int position;
    int32_t y;
  } lines[] = {{36, c}, {38, c - s}, {46, c - 5 * s}, {34, c + s}, {26, c + 5 * s}, {35, c + 3}, {50, c - 7 * s}};
  for (const Case& l : lines) EXPECT_EQ(l.y, StaffLineY(c, l.position, s)) << l.position;

  StaffTables t = Tables(0);
  // Key 127 is position 75, key 0 position 1.
  EXPECT_EQ((75 - 1) * s / 2, StaffRangePixels(t, s));
  EXPECT_EQ(75 * s / 2 + 400 / 2 - 50 - 18 * s, StaffCentreY(t, s, 400, 50));
  // E major spells key 0 as B sharp, one position lower.
  EXPECT_EQ(75 * s / 2, StaffRangePixels(Tables(4), s));
}

TEST(ScoreStaff, LedgerLines) {
  StaffTables t = Tables(0);
  struct Case {
    int key;
    int low;
    int count;
  } cases[] = {
      {84, 48, 2},  // C two octaves above middle C, position 50
      {83, 48, 1},  // position 49
      {81, 48, 1},  // position 48
      {79, 0, 0},   // position 47, on the staff
      {60, 36, 1},  // middle C's own line
      {62, 0, 0},
      {59, 0, 0},
      {41, 0, 0},   // position 25, below the bass staff's bottom line
      {40, 24, 1},  // position 24
      {38, 24, 1},  // position 23
      {36, 22, 2},  // position 22
      {0, 2, 12},   // position 1: lines 2 up to 24
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const int p = StaffPositionOf(t, c.key);
    LedgerLines l = LedgerLinesFor(p);
    EXPECT_EQ(c.count, l.Count());
    if (c.count == 0) continue;
    EXPECT_EQ(c.low, l.low);
    EXPECT_EQ(0, l.low % 2);
    EXPECT_EQ(0, l.high % 2);
    EXPECT_TRUE(p > 47 ? l.high == (p & ~1) && l.low == 48 : p < 25 ? l.high == 24 : l.high == 36);
  }
}

// The signs a run of keys prints in one bar (a bar line is -1).
std::vector<int> Signs(uint32_t keySignature, std::vector<int> keys) {
  StaffTables t = Tables(keySignature);
  std::vector<int> out;
  for (int key : keys) {
    if (key < 0) {
      ResetBarStaffTable(t);
      continue;
    }
    out.push_back(TakeBarAccidental(t, key));
  }
  return out;
}

TEST(ScoreStaff, AccidentalsOfABar) {
  const int bar = -1;
  const int n = kStaffNoSign, sharp = kStaffSharp, flat = kStaffFlat, nat = kStaffNatural;
  struct Case {
    const char* what;
    uint32_t key;
    std::vector<int> keys;
    std::vector<int> signs;
  } cases[] = {
      {"two F sharps print one sign, again after the bar line", 0, {66, 66, bar, 66}, {sharp, n, sharp}},
      {"F natural after F sharp", 0, {66, 65, 65, 66, 65}, {sharp, nat, n, sharp, nat}},
      {"F natural alone needs nothing", 0, {65, 65}, {n, n}},
      {"an octave apart signs stand alone", 0, {66, 78, 66}, {sharp, sharp, n}},
      {"B flat then B", 0, {70, 71, 70}, {flat, nat, flat}},
      {"G major: F natural once, then F sharp", 1, {65, 65, 66, 66, 65}, {nat, n, sharp, n, nat}},
      {"F major: B natural, then B flat", 9, {71, 71, 70, 71, bar, 71}, {nat, n, flat, nat, nat}},
      {"E major: B sharp, then B", 4, {60, 59, 60}, {sharp, nat, sharp}},
      {"G flat major: C, then C flat", 14, {72, 71, 72}, {nat, flat, nat}},
      {"neighbours on other lines stay", 0, {66, 67, 64, 65}, {sharp, n, n, nat}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.signs, Signs(c.key, c.keys)) << c.what;
}

TEST(ScoreStaff, KeysWithoutSignLeaveTheBarAlone) {
  StaffTables t = Tables(2);
  StaffTables before = t;
  for (int key : {61, 62, 66, 2, 127}) EXPECT_EQ(kStaffNoSign, TakeBarAccidental(t, key)) << key;
  EXPECT_EQ(0, std::memcmp(&before, &t, sizeof t));
  // Outside the keyboard nothing is read or written.
  EXPECT_EQ(kStaffNoSign, TakeBarAccidental(t, -1));
  EXPECT_EQ(kStaffNoSign, TakeBarAccidental(t, 128));
  EXPECT_EQ(0, std::memcmp(&before, &t, sizeof t));
}

TEST(ScoreStaff, EdgeKeysTakeTheirSigns) {
  StaffTables t = Tables(4);
  EXPECT_EQ(kStaffSharp, TakeBarAccidental(t, 0));  // B sharp at position 0
  EXPECT_EQ(kStaffNoSign, TakeBarAccidental(t, 0));
  StaffTables c = Tables(0);
  EXPECT_EQ(kStaffSharp, TakeBarAccidental(c, 126));  // F sharp below key 127's G
  EXPECT_EQ(kStaffNoSign, BarAccidental(c, 127));
  EXPECT_EQ(kStaffNatural, BarAccidental(c, 125));
}

}  // namespace
