// Attaching a track of the open song to a step editor's record, freeing the
// record's buffers, and keeping every open editor in step with the song.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "stepeditdata.h"

// Window caption of a track editor: "Tr.%2d   " and the 36 comment bytes.
std::string FormatTrackCaption(int n, const char comment[36]);

// Attaches track n of the open song to the record (window may be null) and
// records the window in the song's track window table. Returns the last line
// index, or -1 for a track the song does not have or when memory ran out.
int32_t AttachTrackToEditor(StepEditorData* ed, HWND window, int n);

// Frees the line table, the undo copy, the measure table, the work block and
// the track block itself. The event block belongs to the song.
void FreeTrackViewBuffers(StepEditorData* ed);

// Scroll limit of an editor: lines beyond what the window shows.
int32_t EditorScrollLimit(const StepEditorData& ed);

// Scroll ranges and positions from the editor's lines, then a repaint.
void ApplyEditorScrollBars(HWND window, const StepEditorData& ed);

// After a file read: re-attaches every editor of the song's tracks.
void RefreshTrackEditors(HWND frame);
// Before a song is replaced: frees every editor's buffers and the song, and
// destroys the editors of tracks the next song will not have.
void CloseSongWindows(HWND frame);
