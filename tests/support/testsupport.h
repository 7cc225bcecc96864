// Helpers shared by the test programs.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "zk/song.h"

#include "msgbox.h"

// Points the settings code at a fresh, empty file for its lifetime, so no
// test ever reads or writes the real one or another test's.
class TempSettingsFile {
 public:
  TempSettingsFile();
  ~TempSettingsFile();
  const std::string& path() const { return path_; }
  // Raw text of the file (empty when it does not exist).
  std::string Contents() const;
  void Write(const std::string& text) const;

 private:
  std::string path_;
  std::string previous_;
};

// Answers message boxes instead of a person and records each one.
struct RecordedBox {
  UINT stringId;
  std::string text;
  std::string caption;
  UINT style;
  int answer;
};
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  // Answers given in order; IDOK once they run out.
  std::deque<int> answers;
  std::vector<RecordedBox> boxes;

 private:
  static int Hook(const MessageBoxCall& call);
};

// A top-level window with the frame's data word and a song record on it,
// standing in as the frame (g_app.frame) for the song model.
class TestFrame {
 public:
  TestFrame();
  ~TestFrame();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A fresh empty folder under the temporary directory, removed with its files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Gives track n of the open song (on g_app.frame) a new event block holding
// events as given (end event included by the caller) and one spare slot.
void ReplaceTrackEvents(int n, const std::vector<StepEvent>& events);
// Clears the state words of the open song's tracks: edits made by a test
// leave nothing for the program to ask about when it closes.
void ClearSongModified();

// Events as text, one "code velocity step gate" item each (code in hex),
// separated by " | ": what a failed comparison shows.
std::string ShowEvents(const std::vector<StepEvent>& events);

// The events of track n of the open song before its end event.
std::vector<StepEvent> TrackEventsOf(int n);

std::string ReadFileBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Runs sharedflag_probe.exe (beside this program) with args in a process of
// its own: it reads (get) or writes (set N) an engine's shared flag. Its exit
// code, or 0xFFFFFFFF when it could not run.
DWORD RunSharedFlagProbe(const std::string& args);
