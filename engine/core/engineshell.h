// What every engine shares around the builder: the port table, the play
// state, play control, play time, input, sends and the host's messages. The
// exports built on it are defined once here; each engine library supplies
// its identity and its output side (the Out* functions below). The play
// control of the engines on Windows devices is in engine/mmshell/.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <mutex>

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

// How one engine differs in what the shared exports do.
struct EngineIdentity {
  const char* section;        // its settings section
  const char* fileName;       // "zkpoly.dll"
  short appletType;
  bool sendWhilePlaying;      // SendBuffer is not refused while playing
  bool noticeAtPlay;          // Play posts 2260/256 in a record mode
};

struct EngineShell {
  EngineSettings settings;
  HWND window = nullptr;
  EndCallback endCallback = nullptr;
  void* play2 = nullptr;
  void* monitorCallback = nullptr;

  DWORD portDevice[kPorts] = {kNoDevice, kNoDevice, kNoDevice, kNoDevice};
  int portSlot[kPorts] = {-1, -1, -1, -1};
  int users = 0;

  // The builder and the output queues are touched under this lock by the
  // host's thread and the output callbacks; a callback only ever tries it,
  // so it never waits on the host.
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

  DWORD startTime = 0;
  DWORD frozenTime = 0;

  MidiInput input;
  Recorder recorder;
  HMIDIIN inHandle[2] = {};
  HGLOBAL keyTable = nullptr;
  uint8_t* keyTablePtr = nullptr;
  HGLOBAL recBuf[2] = {};
  HWND inputWindow = nullptr;
  DWORD lastExclSend = 0;
};

extern EngineShell g_shell;

// Supplied by each engine library.
extern const EngineIdentity kEngineIdentity;
// The port flag SetShareFlag writes: shared between processes or not, as
// the engine keeps it.
extern volatile LONG g_shareFlag;
HINSTANCE EngineInstance();
bool OutHasPort(int slot);
MMRESULT OutShortMsg(int slot, DWORD message);
// One System Exclusive message now, waiting until the device is done.
void OutSendExclusive(int slot, const uint8_t* bytes, size_t length);
PlayEmitter* OutEmitter();
void OutPreparePlay();                          // lock held
// Stops the output and waits until the device gave everything back; frees
// it too unless keep.
void OutStop(bool keep);
void OutAfterStep();                            // after the host's GetBuffer

// The settings file the engines read.
const char* EngineIniPath();

// Shared helpers.
int PortSlot(int port);                         // -1 when not in use
void SendShortNow(int port, DWORD message, int tries = 500, DWORD pauseMs = 2);
int PortsWithOwnSlot(int ports[kPorts]);
void SendToEveryPort(DWORD message);
void ReleasePlay(bool freeTable);
bool PreparePlay(HGLOBAL table, int trackCount, bool headerTempoOnly);
// The prepared song's walker back at its start (seek and relocation).
void RewindPlay();
int ChaseTo(int passes);
void PostToHost(UINT msg, WPARAM w, LPARAM l);
void AnnounceEnd();
// Mark kind and value reached by the output: posts 2262 as the marks say.
void MarkReached(int kind, int value);
void CloseInputs();
void LoadShellSettings();
int SixteenthSteps();                           // song steps of a sixteenth
DWORD ChasedMs();                               // play time the chase reached
DWORD SongPositionMessage(int sixteenths);
void UnlockRecordBuffers();
// Sends one message list of the System Exclusive builders to a port.
struct SendFlush;
void FlushSend(int port, const SendFlush& f);
// Input: one short message from an input device (thru, step input, key
// table, and recording into recorder); opening the assigned devices with
// the engine's callback.
void OnInputMessage(DWORD message, DWORD timeMs, Recorder& recorder);
int OpenInputs(HWND window, DWORD_PTR callback);
