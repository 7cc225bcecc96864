// List play: the frame's command 2379 loads the next song of the playlist
// being played and starts it with the Play command; the end of its play
// brings 2379 back.
#pragma once
#include <windows.h>

// Loads the next song of g_playlist and posts Play (2350) to the frame. A
// song that cannot be read is counted and 2379 is posted again; WM_CLOSE is
// posted when the list has ended. Does nothing while the engine plays, while
// a list song is being loaded, or when no playlist is being played.
void PlayNextListSong(HWND frame);

// True when the file at path is a playlist (its first line says so).
bool IsPlaylistFile(const char* path);
