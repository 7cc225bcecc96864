#include "rhythm.h"

#include <cstdio>
#include <cstring>

#include "inifile.h"
#include "songmodel.h"

namespace {

constexpr const char* kSection = "Rhythm Section";

struct Builtin {
  const char* name;
  uint8_t key;
};

// Group 1; groups 2-4 repeat it except where kOverrides says otherwise.
constexpr Builtin kGroup[32] = {
    {"HandClap", 39},     {"MuteHighConga", 62},  {"OpenHighConga", 63}, {"LowConga", 64},
    {"CrashCymbal1", 49}, {"RideCymbal1", 51},    {"PedalHi-hat", 44},   {"OpenHi-hat", 46},
    {"ClosedHi-hat", 42}, {"HighTom2", 48},       {"MidTom2", 45},       {"LowTom2", 41},
    {"SideStick", 37},    {"SnareDrum2", 40},     {"SnareDrum1", 38},    {"KickDrum1", 36},
    {"HighTimbale", 65},  {"LowTimbale", 66},     {"Cowbell", 56},       {"HighBongo", 60},
    {"LowBongo", 61},     {"HighAgogo", 67},      {"LowAgogo", 68},      {"Tambourine", 54},
    {"Claves", 75},       {"Maracas", 70},        {"LongLowWhistle", 72}, {"ShortHiWhistle", 71},
    {"Cabasa", 69},       {"ShortGuiro", 73},     {"MuteTriangle", 80},  {"OpenTriangle", 81},
};

struct Override {
  int index;
  Builtin entry;
};

constexpr Override kOverrides[] = {
    {41, {"RoomHighTom2", 48}},   {42, {"RoomMidTom2", 45}},    {43, {"RoomLowTom2", 41}},
    {46, {"Gated SD", 38}},       {47, {"MONDO Kick", 36}},     {65, {"808HighConga", 62}},
    {66, {"808MidConga", 63}},    {67, {"808LowConga", 64}},    {68, {"808Cymbal", 49}},
    {70, {"SplashCymbal", 55}},   {71, {"808OHH", 46}},         {72, {"808CHH", 42}},
    {73, {"808HighTom2", 48}},    {74, {"808MidTom2", 45}},     {75, {"808LowTom2", 41}},
    {76, {"808RimShot", 37}},     {78, {"808SnareDrum", 38}},   {79, {"808BassDrum", 36}},
    {82, {"808Cowbell", 56}},     {88, {"808Claves", 75}},      {89, {"808Maracas", 70}},
    {96, {"Timpani F", 41}},      {97, {"Timpani F#", 42}},     {98, {"Timpani G", 43}},
    {99, {"Timpani G#", 44}},     {100, {"Timpani A", 45}},     {101, {"Timpani A#", 46}},
    {102, {"Timpani B", 47}},     {103, {"Timpani c", 48}},     {104, {"Timpani c#", 49}},
    {105, {"Timpani d", 50}},     {106, {"Timpani d#", 51}},    {107, {"Timpani e", 52}},
    {108, {"Timpani f", 53}},     {109, {"ConcertSD", 38}},     {110, {"ConcertBD2", 35}},
    {111, {"ConcertBD1", 36}},    {112, {"ConcertCymbal2", 57}}, {113, {"ConcertCymbal1", 59}},
};

void SetEntry(RhythmEntry& e, const Builtin& b) {
  std::snprintf(e.name, sizeof e.name, "%.14s", b.name);
  e.key = b.key;
  e.gate = 1;
}

struct BuiltinInit {
  BuiltinInit() { ResetRhythmTable(); }
};

}  // namespace

RhythmEntry g_rhythmTable[kRhythmEntries];
static BuiltinInit g_builtinInit;

void ResetRhythmTable() {
  for (int i = 0; i < kRhythmEntries; ++i) SetEntry(g_rhythmTable[i], kGroup[i % 32]);
  for (const Override& o : kOverrides) SetEntry(g_rhythmTable[o.index], o.entry);
}

void SaveRhythmNames() {
  char key[32];
  for (int i = 0; i < kRhythmEntries; ++i) {
    const RhythmEntry& e = g_rhythmTable[i];
    std::snprintf(key, sizeof key, "RhythmName%d", i);
    IniWriteString(kSection, key, e.name);
    std::snprintf(key, sizeof key, "RhythmKeyNo%d", i);
    IniWriteInt(kSection, key, e.key);
    std::snprintf(key, sizeof key, "RhythmGT%d", i);
    IniWriteInt(kSection, key, e.gate);
  }
}

void LoadRhythmNames(SongHeader* header) {
  if (IniGetInt(kSection, "RhythmKeyNo0", -1) == -1) SaveRhythmNames();
  char key[32];
  for (int i = 0; i < kRhythmEntries; ++i) {
    const RhythmEntry& e = g_rhythmTable[i];
    RhythmRecord& r = header->rhythm[i];
    char name[31 + 14];
    std::snprintf(key, sizeof key, "RhythmName%d", i);
    int n = IniGetString(kSection, key, e.name, name, 31);
    std::memset(name + n, ' ', 14);   // blank-pad to at least 14
    std::memcpy(r.name, name, sizeof r.name);
    std::snprintf(key, sizeof key, "RhythmKeyNo%d", i);
    r.key = static_cast<uint8_t>(IniGetInt(kSection, key, e.key));
    std::snprintf(key, sizeof key, "RhythmGT%d", i);
    r.gate = static_cast<uint8_t>(IniGetInt(kSection, key, e.gate));
  }
}

void LoadRhythmNamesFromSong() {
  HGLOBAL h = SongEntry(kHeaderEntry);
  if (!h) return;
  auto* header = static_cast<const SongHeader*>(GlobalLock(h));
  if (!header) return;
  for (int i = 0; i < 32; ++i) {
    const RhythmRecord& r = header->rhythm[i];
    RhythmEntry& e = g_rhythmTable[i];
    int len = sizeof r.name;
    while (len > 0 && r.name[len - 1] == ' ') --len;   // the table keeps names unpadded
    std::memcpy(e.name, r.name, len);
    e.name[len] = '\0';
    e.key = r.key;
    e.gate = r.gate;
  }
  GlobalUnlock(h);
}
