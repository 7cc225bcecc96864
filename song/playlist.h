// Playlists: a text file of song paths that the program plays one song after
// another. The first line begins with "; LoopcastFiles" (any case); a line
// "; repeat no" or "; repeat yes" turns repeating off or on (on by default);
// other lines beginning with ";" are comments; every other line is a song.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr int kPlaylistEntrySize = 260;     // characters of an entry, terminator included
constexpr int kPlaylistCapacity = 1024;     // entries, the first line included
constexpr size_t kPlaylistMaxFile = 4u << 20;

struct PlaylistEntry {
  char text[kPlaylistEntrySize];
  bool tooLong;                 // the line did not fit; never played
};

// The list being played. entries[0] is the file's first line; total is the
// index of the last entry (0 when the list holds nothing after it).
struct PlaylistState {
  std::string path;             // the playlist file; relative songs are taken from its folder
  std::vector<PlaylistEntry> entries;
  int total = 0;
  int current = 0;              // the entry looked at next
  bool repeat = true;
  bool busy = false;            // a list song is being loaded
  // The pass now running: songs handed out, and how many of them could not
  // be read.
  int passSongs = 0;
  int failures = 0;
};
extern PlaylistState g_playlist;

// Reads the playlist at path into g_playlist and starts the list from its
// top. True when the file is a playlist with at least one entry after its
// first line.
bool ReadPlaylist(const char* path);
// The same over a file image already in memory.
bool ParsePlaylist(const char* data, size_t size);

enum class ListAction { kPlay, kClose };
struct ListStep {
  ListAction action;
  std::string song;             // kPlay: the entry as written in the list
};
// The next song of the list, passing over comments. kClose when the list has
// ended: repeating is off and the last entry was handed out, every song of
// the pass just finished failed, or the list has no songs.
ListStep NextListSong();
// What became of the song NextListSong handed out last.
void ReportListSong(bool read);

// A list entry as a path to open: relative entries are taken from the
// playlist's folder.
std::string ListSongPath(const std::string& entry);
// Makes the drive and the folder of path current.
void SetDirFromPath(const char* path);
