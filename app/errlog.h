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

void SaveErrLogPlacement();
void SaveSearchLogPlacement();
void RestoreErrLogPlacement(int show);
void RestoreSearchLogPlacement(int show);
