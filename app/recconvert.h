// Conversion of a recording into step events of the record tracks: the
// engine's record words (waits in ticks of 480 a quarter, channel messages)
// become notes and commands of one track, cut at its bar lines, placed in
// song steps from the song's start, ready for the record merge. Plain
// functions over word streams and event blocks; the open song is touched
// only by MergeConvertedTrack.
#pragma once
#include <cstdint>
#include <vector>

#include "zk/song.h"

// Two blocks of words read as one stream: a reader that reaches the end of
// the first goes on at the start of the second. Either may be absent.
struct WordStream {
  const uint16_t* first = nullptr;
  int firstCount = 0;
  const uint16_t* second = nullptr;
  int secondCount = 0;
};
// The engine's pair of record buffers.
WordStream RecordBufferStream(const uint16_t* bufferA, const uint16_t* bufferB);

// Values of ReadRecordWord: (first word << 16) | data word for a channel
// message and the other two-word events, word << 16 for one-word events.
constexpr uint32_t kRecordEndValue = 0xEAFC0000;
constexpr int kEveryChannel = 255;

// A reader over one stream. Waits add to its clock; every event read is
// stamped with the clock at that point (ticks from the recording's start).
class RecordWordReader {
 public:
  explicit RecordWordReader(const WordStream& stream) : stream_(stream) {}
  void Reset() {
    index_ = 0;
    clock_ = 0;
  }
  int64_t clock() const { return clock_; }
  // The next word, false at the stream's end (which the reader never
  // passes).
  bool NextWord(uint16_t& word);

 private:
  WordStream stream_;
  int index_ = 0;
  int64_t clock_ = 0;
  friend uint32_t ReadRecordWord(RecordWordReader& reader, int channelFilter);
};

// The next event whose channel passes the filter (kEveryChannel, or a
// channel 0-15; events without a channel count as channel 0; the marks 0xE2
// and 0xE8 pass any filter). Waits are added to the reader's clock; an end
// word, or the stream's end, gives kRecordEndValue. A System Exclusive run
// is skipped to the word holding 0xF7.
uint32_t ReadRecordWord(RecordWordReader& reader, int channelFilter);

// The length scan: the recording's length in ticks (every wait up to the
// end) and the number of channel messages.
struct RecordLength {
  int64_t ticks = 0;
  int messages = 0;
};
RecordLength ScanRecordLength(const WordStream& stream);

// The record tracks of a song (mode bit 0x02 or 0x04) with the channel each
// one takes: every channel when there is only one record track, else its own
// channel; with several, a track whose channel is off is left out. The thru
// channel is the channel byte of the last record track whose channel is on,
// -1 when there is none.
struct TrackRecordBytes {
  uint8_t channel;
  uint8_t mode;
};
struct RecordTrackEntry {
  int track;            // 1-based
  uint8_t channel;      // the track header's channel byte
  uint8_t mode;         // the track header's mode byte
  int channelFilter;    // kEveryChannel or 0-15
  bool convert;         // false: channel off beside other record tracks
};
struct RecordTrackList {
  std::vector<RecordTrackEntry> tracks;
  int thruChannel = -1;
};
constexpr uint8_t kRecordTrackBits = 0x06;
RecordTrackList BuildRecordTrackList(const TrackRecordBytes* tracks, int count);

// The track header's step shift byte as steps (a value above 128 is value -
// 256, 128 is +128) and key shift byte as semitones (128 and above: none; 64
// to 127: value - 128; then limited to -36..36).
int StepShiftOf(uint8_t byte);
int KeyShiftOf(uint8_t byte);

// The lengths in song steps of a track's measures as it plays: repeats
// unrolled (5 deep, a count of 0 plays 65,536 times), same-measure
// references followed (9 links), at most 32,000 measures; measures the
// track does not have are a bar of the song's meter.
constexpr int kMaxMeasureLengths = 32000;
class MeasureLengths {
 public:
  MeasureLengths(const StepEvent* events, int count, int timeBase, int beats, int beatUnit);
  // Length of measure m, counted from 0.
  int64_t Length(int64_t m) const {
    return m >= 0 && m < static_cast<int64_t>(lengths_.size()) ? lengths_[m] : bar_;
  }
  // Steps from the song's start to the start of measure m (from 0).
  int64_t StartOf(int64_t m) const;
  int trackMeasures() const { return static_cast<int>(lengths_.size()); }
  int64_t bar() const { return bar_; }

 private:
  std::vector<int64_t> lengths_;
  int64_t bar_;
};

// Chunks of the song's time: each measure cut into pieces of at most a whole
// note (4 x time base steps), in order from the song's start.
class ChunkClock {
 public:
  ChunkClock(const MeasureLengths& measures, int timeBase);
  int64_t start() const { return start_; }
  int64_t end() const { return end_; }
  // The chunk ends its measure (a bar line follows it).
  bool closesMeasure() const { return closes_; }
  void Next();

 private:
  void Open();
  const MeasureLengths& measures_;
  int64_t wholeNote_;
  int64_t measure_ = 0;
  int64_t measureLeft_ = 0;
  int64_t start_ = 0;
  int64_t end_ = 0;
  bool closes_ = false;
};

// What a conversion needs of the song and of the record start.
struct RecordTake {
  WordStream stream;
  int timeBase = 480;
  int beats = 4;              // song header: beats of a measure
  int beatUnit = 4;           // and the beat's note value
  int playStartMeasure = 1;
  int64_t punchInStep = 0;    // song steps from the play start (RecordStartPlan)
  uint32_t recordFilter = 0;  // RecordFilter bits
  int keyLow = 0;
  int keyHigh = 127;
};

// RecordFilter bits.
constexpr uint32_t kFilterPitchBend = 0x01;
constexpr uint32_t kFilterProgram = 0x02;
constexpr uint32_t kFilterHold = 0x04;
constexpr uint32_t kFilterVolume = 0x08;
constexpr uint32_t kFilterExpression = 0x10;
constexpr uint32_t kFilterModulation = 0x20;
constexpr uint32_t kFilterControl = 0x40;
constexpr uint32_t kFilterChannelPressure = 0x80;
constexpr uint32_t kFilterKeyPressure = 0x100;
constexpr uint32_t kFilterKeyRange = 0x200;

// Where one track's take lands, in song steps from the song's start: the
// recording's time 0 at the play-start measure moved back by the step shift
// (a track that plays late keeps its notes early), the merge window from the
// punch-in point to the take's end. Converted only when the take reaches the
// punch-in point.
struct TakePlacement {
  int64_t lead = 0;         // start of the play-start measure
  int64_t origin = 0;       // where recorded time 0 lands; may be below 0
  int64_t windowStart = 0;
  int64_t windowEnd = 0;
  bool reached = false;
};
TakePlacement PlaceTake(const MeasureLengths& measures, int playStartMeasure, int stepShift, int64_t punchInStep,
                        int64_t lengthSteps);

// Block sizes: the converted block holds at most this many events, its end
// event included.
constexpr int kConvertedEvents = 16372;
constexpr int kMaxRestMerge = 9999;  // a merged rest stays below this

// Keys moved by a key shift: above 127 lowered by octaves into 116-127,
// below 0 raised by octaves into 0-11. Notes and the key of key pressure.
void ApplyKeyShift(std::vector<StepEvent>& events, int keyShift);

enum class ConvertStatus {
  kConverted,
  kNotReached,  // the recording ended before the punch-in point: nothing to do
  kTooBig,      // more than the converted block holds: the track stays
};
struct ConvertedTrack {
  ConvertStatus status = ConvertStatus::kNotReached;
  std::vector<StepEvent> events;  // ends with the end event
  int64_t windowStart = 0;        // song steps
  int64_t windowEnd = 0;
  int recordBits = 0;             // mode & 0x06: how the merge combines
};

// Converts the take into one track. The reusable buffers live in the
// converter, so converting into many tracks allocates once.
class RecordConverter {
 public:
  explicit RecordConverter(const RecordTake& take);
  ConvertedTrack Convert(const TrackHeader& header, const StepEvent* events, int count, int channelFilter);
  const RecordLength& length() const { return length_; }

 private:
  struct Message {
    int64_t at;       // song steps
    int64_t gate;     // notes: steps to the next note-off (+1)
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
  };
  int Collect(int channelFilter, int64_t origin);
  void FindGates(int count, int64_t end);

  RecordTake take_;
  RecordLength length_;
  std::vector<Message> messages_;
  std::vector<int64_t> nextOff_;
};

ConvertedTrack ConvertRecordedTrack(const RecordTake& take, const TrackHeader& header, const StepEvent* events,
                                    int count, int channelFilter);

// Hands a converted track to the record merge of the open song. Returns the
// merge's result (kMergeOk; kMergeOverflow after it showed its message), or
// kConvertTooBig when the conversion did not fit (nothing shown: the caller
// tells the user) and kConvertNotReached when there was nothing to merge;
// the track is unchanged in both.
constexpr int kConvertTooBig = 3;
constexpr int kConvertNotReached = 4;
int MergeConvertedTrack(int track, const ConvertedTrack& converted);

// The whole conversion of a recording into the open song: every record
// track converted and merged in track order. The cursor, the boxes and the
// record buffers stay the caller's.
struct RecordTrackResult {
  int track;
  int result;  // as MergeConvertedTrack
};
struct RecordConversion {
  int thruChannel = -1;  // the new thru channel byte; -1: leave it
  bool tooBig = false;   // a conversion did not fit (message 1935 not yet shown)
  std::vector<RecordTrackResult> results;
};
// take gives the record settings (play-start measure, punch-in step, record
// filter and key range); its stream, time base and meter come from the
// buffers and the song.
RecordConversion ConvertRecordingIntoSong(const uint16_t* bufferA, const uint16_t* bufferB,
                                          const RecordTake& settings);
