// The stream engine's state: one record per process, in the library's data.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "enginesettings.h"
#include "midiinput.h"
#include "playbuilder.h"
#include "playrings.h"
#include "playsong.h"
#include "recorder.h"

using EndCallback = void(CALLBACK*)();

constexpr int kPorts = 4;
constexpr DWORD kNoDevice = 0xFFFFFFFEu;   // not the mapper's id (-1)
constexpr UINT kResultBadNumber = 1025;
constexpr UINT kResultAlreadyOpen = 1026;

// One output stream and its two blocks of stream events. Events wait in a
// queue until a block is free, so a step that produces more than a block
// holds is never cut.
struct StreamSlot {
  HMIDISTRM stream = nullptr;
  HGLOBAL blockMem[2] = {};
  MIDIHDR* header[2] = {};
  BYTE* block[2] = {};
  DWORD blockBytes = 0;
  std::atomic<bool> queued[2] = {false, false};
  std::vector<uint32_t> waiting;     // stream events not yet in a block
  size_t waitingRead = 0;
  uint32_t pendingDelta = 0;         // steps not yet attached to an event
  size_t WaitingWords() const { return waiting.size() - waitingRead; }
};

struct PolyEngine {
  EngineSettings settings;
  HWND window = nullptr;
  EndCallback endCallback = nullptr;
  void* play2 = nullptr;
  void* monitorCallback = nullptr;

  DWORD portDevice[kPorts] = {kNoDevice, kNoDevice, kNoDevice, kNoDevice};
  int portSlot[kPorts] = {-1, -1, -1, -1};
  StreamSlot slots[kPorts];
  int users = 0;

  // Everything the builder and the blocks share between the host's thread
  // and the stream thread is touched under this lock; the stream callback
  // only ever tries it, so it never waits on the host.
  std::mutex lock;
  std::atomic<int> refillWanted{0};
  std::atomic<bool> playing{false};
  std::atomic<bool> paused{false};
  std::atomic<bool> held{false};
  std::atomic<bool> ended{false};
  std::atomic<bool> chasing{false};
  std::atomic<bool> stopping{false};
  std::atomic<bool> sendBusy{false};
  std::atomic<bool> monitorDirty{false};
  std::atomic<int> monitorPosition{-1};
  std::atomic<int> lastMonitorMark{-1};
  bool prepared = false;
  bool dataEnded = false;

  // The play.
  HGLOBAL songTable = nullptr;
  PlaySong song;
  PlayBuilder builder;
  PlayRings rings;
  BuilderOptions options;
  int recordMode = 0;
  int punchInSteps = 0, punchOutSteps = 0;
  int punchInMeasure = 0, punchOutMeasure = 0;
  bool monitorTracks = false;
  int chasedSixteenths = 0;
  std::atomic<int> tempo{120};

  // Play time.
  DWORD startTime = 0;
  DWORD frozenTime = 0;

  // Input.
  MidiInput input;
  Recorder recorder;
  HMIDIIN inHandle[2] = {};
  HGLOBAL keyTable = nullptr;
  uint8_t* keyTablePtr = nullptr;
  HGLOBAL recBuf[2] = {};
  HWND inputWindow = nullptr;
  DWORD lastExclSend = 0;
};

extern PolyEngine g_poly;

// Settings file and section this library reads.
const char* EngineIniPath();
constexpr const char* kSection = "zkpoly";

// Port helpers (ports.cpp).
HMIDISTRM PortStream(int port);
// Sends a short message now on a port's stream, retrying while the driver
// refuses it (tries, pause ms apart).
void SendShortNow(int port, DWORD message, int tries = 500, DWORD pauseMs = 2);
// The ports whose stream no lower port shares: one message per device.
int PortsWithOwnStream(int ports[kPorts]);
void SendToEveryPort(DWORD message);
void ResetEveryPort();
void CloseEveryStream();

// Stream output (streamout.cpp).
extern "C" void CALLBACK StreamCallback(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2);
PlayEmitter* StreamOutput();
bool AllocateBlocks();
void FreeBlocks();
void ClearQueues();
// Runs the builder until some port has PreGet words waiting or the data
// ends. The lock must be held.
void RefillLocked();
// Fills the blocks and starts the streams (unless stayPaused).
void FillAndStart(bool stayPaused);
// Stops every stream and waits until the device has given back every block.
bool StopStreamsAndWait();
// Works what stream callbacks could not (the lock was busy).
void WorkPending();
// Sends one System Exclusive message on a port's stream as a block of its
// own and waits for it (sends.cpp).
void SendExclusiveBlock(int port, const uint8_t* bytes, size_t length);

// Input devices (midiin.cpp).
void CloseInputs();

// Play control (play.cpp).
void ReleasePlay();
// Frees what play holds; the handle table handed to play too when asked.
void ReleasePlay(bool freeTable);
bool PreparePlay(HGLOBAL table, int trackCount, bool headerTempoOnly);
int ChaseTo(int passes);
void PostToHost(UINT msg, WPARAM w, LPARAM l);
