// The play engines the interface set-up offers, and whether a chosen engine
// can play with the chosen output devices. Plain functions: the libraries
// are described through a function the caller hands in.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Type bits of GetAppletType (ordinal 2048).
constexpr int kEngineTypeTimer = 0x01;
constexpr int kEngineTypeStream = 0x02;
constexpr int kEngineTypeSmpu = 0x04;

// [Play] Applet1 .. Applet30.
constexpr int kEngineChoiceCount = 30;
// An engine is listed from this version value on.
constexpr int kEngineListedVersion = 2;

// What GetAppletType says of a library.
struct EngineDescription {
  std::string title;
  std::string version;
  int type = 0;
};
// Loads file, asks GetAppletType (texts only when wantTexts), frees it;
// false when the library does not load or has no ordinal 2048.
using EngineDescriber = std::function<bool(const std::string& file, bool wantTexts, EngineDescription& out)>;
bool DescribeEngineLibrary(const std::string& file, bool wantTexts, EngineDescription& out);

// The integer value of a version text's leading digits (0 without any).
int EngineVersionValue(const std::string& version);

struct EngineCandidate {
  std::string title;
  std::string file;
};
struct EngineCandidateList {
  std::vector<EngineCandidate> entries;
  // Entry of the current engine: the number of entries listed before it was
  // met (so an unlisted current engine points past itself); -1 when it is
  // not among the choices.
  int selection = -1;
};
struct EngineCandidateQuery {
  std::vector<std::string> choices;  // Applet1 .. Applet30, "" where none
  std::string current;               // [Play] Applet
  std::string smpuEngine;            // [zkrds] Applet
  bool driverFound = false;          // the Super MPU driver library loads
};
// Every non-empty choice that describes itself with a version of 2 or more,
// in order; the Super MPU engine only when its driver is there.
EngineCandidateList ListEngineCandidates(const EngineCandidateQuery& query, const EngineDescriber& describe);

// Applet1-3 from the settings in memory (with their defaults), Applet4-30
// from the settings file.
std::vector<std::string> ReadEngineChoices();

// Which list of the dialog was closed when the choice is checked.
enum class ClosedList { OutputPort, Engine };

struct EngineChoice {
  int engineType = 0;           // type of the chosen engine, 0 when none
  ClosedList closed = ClosedList::Engine;
  // The engine list was last closed on an engine refused on this system: the
  // refusal holds until another engine is chosen.
  bool engineRefused = false;
  bool windowsNt = false;
  bool driverFound = false;
  int outputEntries[4] = {0, 0, 0, 0};  // entry of each output list (0 "使わない", -1 none)
};
// 0 when the choice can play, else the id of the message that says why
// (6300 stream engine on Windows NT, 6302 a port that is no Super MPU port,
// 6301 no Super MPU driver). smpuPortTest(device) is nonzero for a Super
// MPU output port.
UINT CheckEngineChoice(const EngineChoice& choice, const std::function<int(int device)>& smpuPortTest);

// True for a GetVersion word of Windows NT.
bool IsWindowsNtVersion(DWORD version);
