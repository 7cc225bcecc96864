// The rhythm table: 128 entries of name, key number and gate, built in and
// overridden by [Rhythm Section] of the settings.
#pragma once
#include <cstdint>

#include "zk/song.h"

struct RhythmEntry {
  char name[15];     // up to 14 characters
  uint8_t key;
  uint8_t gate;
};

constexpr int kRhythmEntries = 128;
extern RhythmEntry g_rhythmTable[kRhythmEntries];

// Restores the program's table to the built-in entries.
void ResetRhythmTable();
// Fills the header's 128 rhythm records from the settings (writing the table
// there first when the section is absent).
void LoadRhythmNames(SongHeader* header);
// Writes the program's table to [Rhythm Section].
void SaveRhythmNames();
// Copies records 0-31 of the open song's header into the program's table.
void LoadRhythmNamesFromSong();
