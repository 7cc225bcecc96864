// The engine's own copy of the song it plays: the header, the track headers
// and every event block, taken at play preparation so that editing the song
// never touches what plays.
#pragma once
#include <windows.h>

#include <vector>

#include <zk/song.h>

struct PlaySong {
  SongHeader header{};
  int trackCount = 0;
  std::vector<TrackHeader> tracks;                 // index track - 1
  std::vector<std::vector<StepEvent>> events;      // ends with an end event
};

// Copies the song a handle table names. Missing or short blocks give empty
// tracks; a missing header refuses (false).
bool CopyPlaySong(HGLOBAL handleTable, int trackCount, PlaySong& out);
// The same from plain memory, for callers that hold the song themselves.
void MakePlaySong(const SongHeader& header, const std::vector<TrackHeader>& tracks,
                  const std::vector<std::vector<StepEvent>>& events, PlaySong& out);
