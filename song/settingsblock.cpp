#include "settingsblock.h"

#include <cstdio>
#include <cstring>

#include "csvfield.h"
#include "inifile.h"

HGLOBAL g_settingsBlock = nullptr;

namespace {

constexpr const char* kSection = "DeskTop";
constexpr int kEntryTextSize = 120;
// Thirteen numbers of up to 11 characters and their commas, then the face.

// Arrays of a track's entry in value order; arrays 1-4 are not stored.
constexpr int kTrackArrays[kTrackEntryValues] = {0, 6, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15};

}  // namespace

// The frame comes first and the Track%d entries follow it (see the loaders).
const WindowEntry kWindowEntries[] = {
    {"Frame", "-1", EntryShape::Frame, kSbFrame, 10, nullptr, PaletteRule::None, 0},
    {"TrkViewCWidth", "-1, -1, -1, -1, -1, -1, -1, -1, -1", EntryShape::Plain, kSbTrkViewCWidth, 9,
     nullptr, PaletteRule::None, 0},
    {"PlayPallet", "", EntryShape::Plain, kSbPlayPallet, 3, nullptr, PaletteRule::Screen, 1},
    {"NotePallet", "", EntryShape::Plain, kSbNotePallet, 2, nullptr, PaletteRule::ScreenNote, 0},
    {"PianoPallet", ",,,,50", EntryShape::Plain, kSbPianoPallet, 5, nullptr, PaletteRule::Screen, 1},
    {"ErrLog", "128,-1", EntryShape::Window, kSbErrLog, 11, "ErrLogFont", PaletteRule::None, 0},
    {"SearchLog", "128,-1", EntryShape::Window, kSbSearchLog, 11, "SearchLogFont", PaletteRule::None, 0},
    {"Namelist", "1,-1", EntryShape::Window, kSbNamelist, 11, "NameListFont", PaletteRule::None, 0},
    {"Conductor", "1,-1", EntryShape::Window, kSbConductor, 11, "ConductorFont", PaletteRule::None, 0},
    {"TrkSet", "1,-1", EntryShape::WindowX, kSbTrkSet, 11, nullptr, PaletteRule::None, 0},
    {"TrkView", "1,-1", EntryShape::WindowX, kSbTrkView, 11, "TrkSetFont", PaletteRule::None, 0},
    {"UserExclusive", "1,-1", EntryShape::Window, kSbUserExclusive, 11, "UserExclusiveFont",
     PaletteRule::None, 0},
};
const int kWindowEntryCount = static_cast<int>(sizeof kWindowEntries / sizeof kWindowEntries[0]);

bool AllocSettingsBlock() {
  if (g_settingsBlock) return true;
  g_settingsBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kSettingsBlockBytes);
  return g_settingsBlock != nullptr;
}

void FreeSettingsBlock() {
  if (g_settingsBlock) GlobalFree(g_settingsBlock);
  g_settingsBlock = nullptr;
}

int32_t* LockSettingsBlock() {
  return g_settingsBlock ? static_cast<int32_t*>(GlobalLock(g_settingsBlock)) : nullptr;
}

void UnlockSettingsBlock() {
  if (g_settingsBlock) GlobalUnlock(g_settingsBlock);
}

int EntryFieldMap(const WindowEntry& entry, int fields[kMaxEntryValues]) {
  int count = entry.values > kMaxEntryValues ? kMaxEntryValues : entry.values;
  for (int i = 0; i < count; ++i) {
    int field = i;
    switch (entry.shape) {
      case EntryShape::Frame:
        if (i < 2) field = 1 - i;
        break;
      case EntryShape::Window:
        if (i == 1 || i == 2) field = 3 - i;
        break;
      case EntryShape::WindowX:
        // The eleven values map as for Window onto every field but the second.
        if (i == 1 || i == 2) field = 3 - i;
        if (field >= 1) ++field;
        break;
      case EntryShape::Plain:
        break;
    }
    fields[i] = entry.base + field;
  }
  return count;
}

int TrackEntryFieldMap(int track, int fields[kMaxEntryValues]) {
  for (int i = 0; i < kTrackEntryValues; ++i) fields[i] = SbTrackField(kTrackArrays[i], track);
  return kTrackEntryValues;
}

void ParseEntry(const char* text, const int* fields, int count, int32_t* block) {
  for (int i = 0; i < count; ++i) block[fields[i]] = CsvFieldToLong(text, i);
}

std::string FormatEntry(const int32_t* block, const int* fields, int count) {
  std::string text;
  char number[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(number, sizeof number, i ? ",%d" : "%d", static_cast<int>(block[fields[i]]));
    text += number;
  }
  return text;
}

void PullPaletteOnScreen(int32_t& left, int32_t& top, int screenWidth, int screenHeight,
                         bool noteRule) {
  auto offRight = [&](int32_t x) {
    return noteRule ? x + 25 >= screenWidth : x + 25 > screenWidth;
  };
  while (offRight(left)) {
    left -= 50;
    if (left < 0) {
      left = 0;
      break;
    }
  }
  while (top + 25 > screenHeight) {
    top -= 50;
    if (top < 0) {
      top = 0;
      break;
    }
  }
}

bool ParseFontEntry(const char* text, LOGFONTA* font) {
  if (!text || !*text || !font) return false;
  font->lfHeight = CsvFieldToLong(text, 0);
  font->lfWidth = CsvFieldToLong(text, 1);
  font->lfEscapement = CsvFieldToLong(text, 2);
  font->lfOrientation = CsvFieldToLong(text, 3);
  font->lfWeight = CsvFieldToLong(text, 4);
  font->lfItalic = static_cast<BYTE>(CsvFieldToLong(text, 5));
  font->lfUnderline = static_cast<BYTE>(CsvFieldToLong(text, 6));
  font->lfStrikeOut = static_cast<BYTE>(CsvFieldToLong(text, 7));
  font->lfCharSet = static_cast<BYTE>(CsvFieldToLong(text, 8));
  font->lfOutPrecision = static_cast<BYTE>(CsvFieldToLong(text, 9));
  font->lfClipPrecision = static_cast<BYTE>(CsvFieldToLong(text, 10));
  font->lfQuality = static_cast<BYTE>(CsvFieldToLong(text, 11));
  font->lfPitchAndFamily = static_cast<BYTE>(CsvFieldToLong(text, 12));
  CopyCsvField(text, 13, font->lfFaceName, LF_FACESIZE);
  return true;
}

std::string FormatFontEntry(const LOGFONTA& f) {
  char text[kFontTextSize];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%.*s",
                static_cast<int>(f.lfHeight), static_cast<int>(f.lfWidth),
                static_cast<int>(f.lfEscapement), static_cast<int>(f.lfOrientation),
                static_cast<int>(f.lfWeight), f.lfItalic, f.lfUnderline, f.lfStrikeOut,
                f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision, f.lfQuality,
                f.lfPitchAndFamily, LF_FACESIZE - 1, f.lfFaceName);
  return text;
}

namespace {

void LoadEntry(int32_t* block, const WindowEntry& entry, int screenWidth, int screenHeight) {
  char text[kEntryTextSize];
  IniGetString(kSection, entry.key, entry.def, text, sizeof text);
  int fields[kMaxEntryValues];
  int count = EntryFieldMap(entry, fields);
  ParseEntry(text, fields, count, block);
  if (entry.palette != PaletteRule::None) {
    int32_t& left = block[fields[entry.leftValue]];
    int32_t& top = block[fields[entry.leftValue + 1]];
    PullPaletteOnScreen(left, top, screenWidth, screenHeight,
                        entry.palette == PaletteRule::ScreenNote);
  }
}

void SaveFont(const char* fontKey, const WindowFontQuery& fonts) {
  LOGFONTA font{};
  if (!fontKey || !fonts || !fonts(fontKey, font)) return;
  IniWriteString(kSection, fontKey, FormatFontEntry(font).c_str());
}

void SaveEntry(const int32_t* block, const WindowEntry& entry, const WindowFontQuery& fonts) {
  int fields[kMaxEntryValues];
  int count = EntryFieldMap(entry, fields);
  IniWriteString(kSection, entry.key, FormatEntry(block, fields, count).c_str());
  SaveFont(entry.fontKey, fonts);
}

int BoundTracks(int tracks) {
  return tracks < 0 ? 0 : tracks > kSbTrackSlots ? kSbTrackSlots : tracks;
}

}  // namespace

void LoadWindowEntries(int32_t* block, int trackEntries, int screenWidth, int screenHeight) {
  LoadEntry(block, kWindowEntries[0], screenWidth, screenHeight);
  // Tracks past the count read keep no stale or zero placement: a zero show
  // command would count as a saved, hidden window.
  trackEntries = BoundTracks(trackEntries);
  char key[16];
  char text[kEntryTextSize];
  for (int track = 1; track <= kSbTrackSlots; ++track) {
    std::strcpy(text, kTrackEntryDefault);
    if (track <= trackEntries) {
      std::snprintf(key, sizeof key, "Track%d", track);
      IniGetString(kSection, key, kTrackEntryDefault, text, sizeof text);
    }
    int fields[kMaxEntryValues];
    int count = TrackEntryFieldMap(track, fields);
    ParseEntry(text, fields, count, block);
  }
  for (int i = 1; i < kWindowEntryCount; ++i)
    LoadEntry(block, kWindowEntries[i], screenWidth, screenHeight);
}

void SaveWindowEntries(const int32_t* block, int trackEntries, const WindowFontQuery& fonts) {
  SaveEntry(block, kWindowEntries[0], fonts);
  trackEntries = BoundTracks(trackEntries);
  char key[24];
  for (int track = 1; track <= trackEntries; ++track) {
    int fields[kMaxEntryValues];
    int count = TrackEntryFieldMap(track, fields);
    std::snprintf(key, sizeof key, "Track%d", track);
    IniWriteString(kSection, key, FormatEntry(block, fields, count).c_str());
    std::snprintf(key, sizeof key, "Track%dFont", track);
    SaveFont(key, fonts);
  }
  for (int i = 1; i < kWindowEntryCount; ++i) SaveEntry(block, kWindowEntries[i], fonts);
}
