// Recording of MIDI input into the first record buffer: channel messages
// with their timing as play-event words, lead-in, punch-in and punch-out,
// and the start at the first note-on. Called from the MIDI input thread
// (OnMessage) while the host thread calls the other members.
#pragma once
#include <cstdint>
#include <mutex>

#include <windows.h>

#include "enginenotify.h"

// lParam values of WM_ZK_PLAYNOTIFY posted by the recorder.
constexpr LPARAM kRecNotifyFirstNote = 8;
constexpr LPARAM kRecNotifyBufferFull = 16;
constexpr LPARAM kRecNotifyNewData = 256;

// Words are written only while the index is at most this; an index of this
// or more ends the recording (buffer full).
constexpr int kRecordLastWriteIndex = 32500;

class Recorder {
 public:
  // SetRecBuf: both buffers (kRecordBufferWords words each) are filled with
  // the end word and the index returns to 0. A null buffer counts as
  // dropped; recording needs both.
  void SetBuffers(uint16_t* a, uint16_t* b);
  // Forgets the buffers without touching their content or the index (for
  // the engine before the host frees them).
  void ReleaseBuffers();

  // SetPlayMode: record mode (0 play only; bit 1 start at the first
  // note-on), punch-in and punch-out in steps from the play start (0: none).
  // Ends any active recording.
  void Configure(int mode, int32_t punchInSteps, int32_t punchOutSteps);
  // Play start: recording becomes active when the mode is nonzero; the
  // message clock restarts at 0. leadInSteps are skipped before anything
  // is recorded.
  void Arm(int32_t leadInSteps);
  // Play stop. Once this returns, no write touches the buffers.
  void Disarm();
  // The engine restarted the input devices, so their time stamps count
  // from 0 again (RecStartKeyon).
  void RestartClock();

  // One short message from an input device: shortMsg as the driver gives
  // it (status in the low byte), timeMs its time stamp, tempo the current
  // tempo in quarter notes per minute.
  void OnMessage(DWORD shortMsg, DWORD timeMs, int tempo, EngineNotify& notify);

  // Play-event words an interface recorded by itself (waits in steps at
  // 480 per quarter note): lead-in, punch-out, punch-in and the first
  // note-on apply to them as to messages; then they are stored as they are.
  void OnDeviceWords(const uint16_t* words, size_t count, EngineNotify& notify);

  // Words written into the first buffer.
  uint16_t Index() const;
  // The next word written posts one new-data notice.
  void ArmNotice();
  // GetRecBytes: the index, with the notice armed.
  uint16_t GetRecBytes();

  int Mode() const;
  bool Active() const;
  // Recording runs (active, and the first note-on arrived when the mode
  // waits for it).
  bool Started() const;
  // Active, waiting for the first note-on: the engine leaves the output
  // stopped until the host calls RecStartKeyon.
  bool IsWaitingForFirstNote() const;

 private:
  struct Posts;
  void WriteWord(uint16_t word);
  void WriteWait(int64_t steps);
  void CheckFull(Posts& posts);
  void TakeNotice(Posts& posts);

  mutable std::mutex mu_;
  uint16_t* bufA_ = nullptr;
  uint16_t* bufB_ = nullptr;
  int index_ = 0;
  int mode_ = 0;
  int32_t punchInSteps_ = 0;
  int32_t punchOutSteps_ = 0;
  bool active_ = false;
  bool started_ = false;
  bool noticeArmed_ = false;
  int64_t lastTime_ = 0;
  int64_t leadIn_ = 0;
  bool punchInActive_ = false;
  int64_t punchIn_ = 0;
  bool punchOutActive_ = false;
  int64_t punchOut_ = 0;
};
