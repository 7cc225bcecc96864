// Memo events and external-command events (MCI strings and command lines):
// their packing into step events and back, and writing them at the caret.
//
// Both kinds carry their text in 0xF7 continuation events of five bytes
// each: byte 1, then the step field and the gate field, low byte first.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "editmodel.h"
#include "stepblocks.h"

// The memo input pads its text to 22 characters; three blanks follow.
constexpr int kMemoChars = 22;
// All 25 memo bytes and a terminator.
constexpr size_t kMemoBufferBytes = kMemoTextBytes + 1;
// The command input's buffer (its field takes 32,767 characters).
constexpr size_t kCommandBufferBytes = 33000;

// Kinds of an external command, as its painter shows them.
constexpr int kCommandMci = 0;    // "MCI:"
constexpr int kCommandLine = 1;   // "RUN:"

// Packs n bytes into 0xF7 events, five to an event, zeros after the last
// byte; appends ceil(n / 5) events to *out.
void PackContinuations(const uint8_t* bytes, size_t n, std::vector<StepEvent>* out);

// The five memo events of a text: its first 22 bytes (a double-byte
// character that would be split there is left out), blanks to 22 and three
// more; the text ends at a zero byte.
void PackMemo(std::string_view text, StepEvent out[kMemoEvents]);

// Reads the memo at events[index] (a 0xF6 event and the 0xF7 events that
// follow it within count, at most four) into out: all 25 bytes, terminated,
// trailing blanks cut. Returns its length; -1, out empty, when the event is
// not a memo.
int UnpackMemo(const StepEvent* events, int count, int index, char out[kMemoBufferBytes]);

// The memo of the caret line's event, as UnpackMemo.
int CaretMemoText(const StepEditModel& m, char out[kMemoBufferBytes]);

// Writes the memo text at the caret: over the caret line's memo (its 0xF6
// event and continuations) when the caret event is one, otherwise before the
// caret event. Full, track unchanged, when the track would reach 16,371
// events with the old memo gone and the new one in. Clears the selection;
// state bit 0, and bit 1 when the event count changed.
EditResult WriteMemoAtCaret(StepEditModel& m, StepSongContext& ctx, std::string_view text);

// The kind an external-command event names: byte 1 x 256 + gate.
inline int ExternalCommandKind(const StepEvent& e) { return e.vel * 256 + e.gate; }

// Continuations of an external command of `length` characters.
inline int64_t ExternalCommandContinuations(size_t length) {
  return (static_cast<int64_t>(length) + 6) / 5;
}

// The events of an external command: 0x99 (byte 1 = (kind >> 7) & 127, step
// 0, gate = kind & 127), then ExternalCommandContinuations(length) 0xF7
// events holding the text and its zero. The text ends at a zero byte.
std::vector<StepEvent> PackExternalCommand(int kind, std::string_view text);

// Reads the text of the external command at events[index] from the 0xF7
// events that follow it (within count) up to its zero, taking at most
// outSize - 1 bytes; out is always terminated (outSize > 0). Returns the
// length; -1, out empty, when the event is not an external command.
int UnpackExternalCommand(const StepEvent* events, int count, int index, char* out, size_t outSize);

// The command text of the caret line's event, as UnpackExternalCommand;
// *kind (when given) receives its kind.
int CaretCommandText(const StepEditModel& m, char* out, size_t outSize, int* kind = nullptr);

// Writes an external command of kind 0 (MCI string) or 1 (command line) at
// the caret: over the caret event when it is an external command of the same
// kind (with its continuations), otherwise before the caret event. An empty
// text or another kind is refused. Full, track unchanged, when the track
// would reach 16,371 events with the old command gone and the new one in.
// Clears the selection; state bit 0, and bit 1 when the event count changed.
EditResult InsertExternalCommand(StepEditModel& m, StepSongContext& ctx, int kind, std::string_view text);
