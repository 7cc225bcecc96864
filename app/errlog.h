// The error log and the search log: MDI children ("ErrLog", "SearchLog")
// each holding a read-only edit control of text lines that point at step
// events.
#pragma once
#include <windows.h>
#include <string>

struct LogWindows {
  HWND errLog = nullptr;
  HWND searchLog = nullptr;
};
extern LogWindows g_logs;

LRESULT CALLBACK MPErrLogWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MPSearchLogWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the log window, or shows and raises it.
void ShowErrLog();
void ShowSearchLog();

// A log takes a new line only while its text is shorter than this.
constexpr int kLogTextLimit = 24000;

// Lines of the error log for a command of a text event (kind 0 MCI string,
// 1 command line). A failure: code is the MCI error or the program-start
// result. Every command that ran is logged as well, since a song file can
// come from anywhere.
std::string FormatCommandFailure(int code, int kind, int track, int measure, int step,
                                 int eventIndex, const std::string& reason);
std::string FormatCommandRun(int kind, int track, int measure, int step, int eventIndex,
                             const std::string& text);
void AddMciErrLogEntry(int code, int kind, int track, int measure, int step, int eventIndex);
void AddCommandRunLogEntry(int kind, int track, int measure, int step, int eventIndex,
                           const char* text);
// An error reported by message (string id, track counted from 1, event index):
// the line names the event's measure and step and shows its text.
std::string FormatErrLogEntry(const std::string& message, int track, int eventIndex);
void AddErrLogEntry(int stringId, int track, int eventIndex);
// Appends a finished line when the log is below its limit; false when dropped.
bool AppendErrLogLine(const std::string& line);
// Empties the error log (not while a song plays).
void ClearErrLog();
// The error log's whole text (empty without a window).
std::string ErrLogText();

// The search's hits collect in a block of 32,760 bytes before they are
// shown. A hit line names the event and shows its text (with its overlap
// mark); 0 when the block already holds 24,000 characters, so the search
// can stop.
std::string FormatSearchLogEntry(int track, int measure, int step, int eventIndex);
int AddSearchLogEntry(int track, int measure, int step, int eventIndex);
// 1: the block's text goes into the search log (opened first) and the block
// is freed; 0: any old block is freed and an empty one started.
void SearchLogText(int show);
// Empties the search log and its block (not while a song plays).
void ClearSearchLog();
std::string SearchLogWindowText();

// The event index (the number after the first "(") and the track (the
// number after the first ":") of a log line, read from at most its first
// 127 characters. False when either number is missing.
bool ParseLogLine(const std::string& line, int* track, int* eventIndex);
// Opens the editor of the line's track at its event; nothing while a song
// plays, for a line without both numbers or for a track beyond the song.
void JumpToErrLogLine(int line);
void JumpToSearchLogLine(int line);
// The same from the line of the log's caret (commands 6111 and 6116).
void JumpFromErrLogCaret();
void JumpFromSearchLogCaret();

void SaveErrLogPlacement();
void SaveSearchLogPlacement();
void RestoreErrLogPlacement(int show);
void RestoreSearchLogPlacement(int show);
