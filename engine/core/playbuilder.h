// The song event walker and the play buffer builder: turn the step events of
// every track into timed output through a PlayEmitter, one step of time at a
// time, and write the monitor and text rings on the way.
#pragma once
#include <cstdint>
#include <vector>

#include "playemitter.h"
#include "playrings.h"
#include "playsong.h"
#include "tempomap.h"

// Classes of events the host can keep from playing.
enum PlayFilterBits : uint32_t {
  kFilterBend = 0x0001,
  kFilterProgram = 0x0002,
  kFilterControl = 0x0040,
  kFilterChannelPressure = 0x0080,
  kFilterKeyPressure = 0x0100,
  kFilterExclusive = 0x0400,
  kFilterCommandLine = 0x4000,
  kFilterMci = 0x8000,
};

constexpr int kNoteSlots = 16;
constexpr int kLoopDepth = 5;
constexpr int kSameMeasureChain = 9;

struct NoteOffSlot {
  uint8_t key = 0x80;  // 0x80: free
  int32_t remaining = 0;
};

struct LoopFrame {
  uint32_t counter = 0;
  int startIndex = 0;
  int measure = 0, position = 0, nextMeasure = 0, measureReturn = 0, measureStart = 0;
};

struct TrackPlayState {
  const StepEvent* events = nullptr;
  int eventCount = 0;
  int bend = 8192;
  LoopFrame loops[kLoopDepth];
  int loopDepth = 0;
  int keyShift = 0;
  bool noTranspose = false;
  uint16_t playFlags = 0;       // nonzero while active; bit 0 output
  uint16_t savedFlags = 0;
  int recordTarget = 0;
  int stepDelay = 0;
  int64_t countdown = 0;
  int channelWord = 0;
  int held = 0;
  int lastVelocity2 = 0;
  int program = -1, bank = -1, channelPressure = -1, expression = -1, modulation = -1,
      volume = -1, pan = 64, hold = 0;
  int next = 0, current = 0;
  int measure = 1, position = 1, shownMeasure = 0, shownPosition = 1;
  int nextMeasure = 0, measureReturn = 0, measureStart = 0;
  uint8_t rolandAddr[2] = {0x00, 0x10};
  uint8_t rolandDevice = 16, rolandModel = 22;
  uint8_t yamahaAddr[2] = {0, 0};
  uint8_t yamahaDevice = 16, yamahaModel = 76;
  NoteOffSlot slots[kNoteSlots];
  uint8_t keys[16] = {};
  bool touched = false;        // ran or sent a note-off in this step
  bool textPending = false;
  int textOffset = 0;

  bool Active() const { return playFlags != 0; }
  bool Output() const { return (playFlags & 1) != 0; }
  bool ChannelOn() const { return (channelWord & 0xFF) < 0xF0; }
};

struct BuilderOptions {
  uint32_t filter = 0;
  bool monitorTracks = false;   // SetPlayMonMode
  bool headerTempoOnly = false;
  bool recording = false;       // punch silencing applies
  int punchInMeasure = 0;
  int punchOutMeasure = 0;
};

class PlayBuilder {
 public:
  // Prepares play of song (which must outlive the builder's use).
  void Prepare(const PlaySong& song, const BuilderOptions& options, PlayRings* rings);
  // The track states alone, without tempo map or rings.
  void PrepareTracks(const PlaySong& song, const BuilderOptions& options);
  void SetEmitter(PlayEmitter* e) { out_ = e; }
  // One builder step; false once the data has ended (the end was emitted).
  bool Step();
  // True while a track is active or a note still sounds.
  bool DataRemains() const;
  bool Ended() const { return ended_; }

  // Chase: while set, notes are not started.
  void SetChasing(bool c) { chasing_ = c; }
  // Moves every track and the tempo map on by steps without the note timing
  // (one chase pass); runs the walker on every track then due.
  void ChasePass(uint32_t steps);
  bool AnyTrackActive() const;
  void SoloTrack(int track);  // 1-based; ends every other track

  // Current tempo in quarter notes per minute.
  int CurrentTempo() const { return tempo_; }
  const std::vector<TempoEntry>& TempoMap() const { return map_; }
  const TempoScale& Scale() const { return scale_; }
  int TimeBase() const { return scale_.timeBase; }
  TrackPlayState& Track(int index) { return tracks_[index]; }
  int TrackCount() const { return static_cast<int>(tracks_.size()); }
  int MonitorIndex() const { return rings_ ? rings_->MonitorWriteIndex() : 0; }

  // Steps of a track from its start to the start of the measure that holds
  // event eventIndex (1-based track), loops and same-measure references
  // followed; -1 when the measure is never reached.
  static int64_t StepsToMeasureOf(const PlaySong& song, int track, int eventIndex);
  // Steps played so far.
  int64_t Now() const { return now_; }

 private:
  friend std::vector<TempoEntry> BuildTempoMap(const PlaySong& song, bool headerTempoOnly);
  // Walking without output: only tempo events count.
  struct Scan {
    TempoMapBuilder* tempo;
  };
  template <typename F>
  void RunScan(F advance);
  void TakeTempoUnit();

  void InitTrack(int index);
  void SetUpMeasure(TrackPlayState& t);
  void Walk(int index);
  void Command(int index, const StepEvent& e);
  void StartNote(int index, int key, int velocity, int gate);
  void NoteOff(TrackPlayState& t, int slot);
  void AllNotesOff(TrackPlayState& t);
  void SendChannel(TrackPlayState& t, uint8_t status, int d1, int d2);
  void ExternalCommand(int index, const StepEvent& e);
  void TrackExclusive(int index);
  void CommentText(int index);
  void Exclusive(TrackPlayState& t, const uint8_t* bytes, size_t n);
  int TransposeKey(const TrackPlayState& t, int key, bool foldOctaves) const;
  bool TakeTempoEntry();
  void WriteRecords();

  const PlaySong* song_ = nullptr;
  BuilderOptions opt_;
  PlayEmitter* out_ = nullptr;
  PlayRings* rings_ = nullptr;
  TempoScale scale_;
  std::vector<TrackPlayState> tracks_;
  std::vector<TempoEntry> map_;
  std::vector<TempoEntry> units_;  // the map as the builder takes it
  size_t unitNext_ = 0;
  int64_t tempoIn_ = 0;            // steps until the next unit is taken
  int64_t now_ = 0;
  Scan* scan_ = nullptr;
  int scanTarget_ = -1;        // measure start looked for
  int scanEvent_ = -1;         // event that must be reached in it
  int64_t scanMeasureAt_ = -1; // latest time that measure started
  int64_t scanFoundAt_ = -1;
  int64_t scanEvents_ = 0;     // events walked by a scan
  int tempo_ = 120;
  int tempo10_ = 1200;
  int lastAnnouncedTempo10_ = -1;
  bool tempoPending_ = false;
  int playBias_ = 0;
  bool chasing_ = false;
  bool ended_ = false;
};

// Builds the tempo map of a song: tempo events of every track at their time,
// or the header tempo alone.
std::vector<TempoEntry> BuildTempoMap(const PlaySong& song, bool headerTempoOnly);
