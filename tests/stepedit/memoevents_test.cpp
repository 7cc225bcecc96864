#include "memoevents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editmodel.h"
#include "lineindex.h"
#include "modelfixture.h"

namespace {

using namespace modelfixture;

// The five text bytes an event carries, in stored order.
std::string FiveBytes(const StepEvent& e) {
  const char b[5] = {static_cast<char>(e.vel), static_cast<char>(e.step & 0xFF), static_cast<char>(e.step >> 8),
                     static_cast<char>(e.gate & 0xFF), static_cast<char>(e.gate >> 8)};
  return std::string(b, 5);
}

// The text bytes of events [from, to).
std::string TextBytes(const Events& e, size_t from, size_t to) {
  std::string s;
  for (size_t i = from; i < to; ++i) s += FiveBytes(e[i]);
  return s;
}

// Events carrying 5 x n bytes (zeros after the text): the first with code,
// the others 0xF7.
Events Carrying(uint8_t code, const std::string& text, size_t n) {
  std::string bytes = text;
  bytes.resize(5 * n, '\0');
  Events e;
  for (size_t k = 0; k < n; ++k) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + 5 * k);
    e.push_back(Ev(k == 0 ? code : 0xF7, p[0], static_cast<uint16_t>(p[1] | p[2] << 8),
                   static_cast<uint16_t>(p[3] | p[4] << 8)));
  }
  return e;
}

// A memo of 25 bytes exactly as stored.
Events StoredMemo(const std::string& bytes25) { return Carrying(0xF6, bytes25, 5); }

Events Join(std::initializer_list<Events> parts) {
  Events all;
  for (const Events& p : parts) all.insert(all.end(), p.begin(), p.end());
  all.push_back(EndEvent());
  return all;
}

// Notes filling the track up to `used` events after the given ones.
Events FilledTo(const Events& head, int used) {
  Events e = head;
  while (static_cast<int>(e.size()) < used) e.push_back(Note(60, 120));
  e.push_back(EndEvent());
  return e;
}

void CaretOnLine(StepEditModel& m, int32_t line) {
  m.topLine = 0;
  m.caretRow = static_cast<int16_t>(line + 1);
}

TEST(MemoEvents, MemoOf21CharactersIsStoredPaddedAndReadsBackTheSame) {
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  const std::string typed = "Intro: soft piano 123";  // 21 characters
  ASSERT_EQ(typed.size(), 21u);

  const EditResult r = WriteMemoAtCaret(m, song.ctx, typed);
  EXPECT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(r.stateBits, kStateModified | kStateTiming);  // five events more
  EXPECT_TRUE(r.indexRebuilt);
  // One filling blank to 22, then three.
  const Events expected = Join({StoredMemo(typed + "    "), {Note(60, 120)}});
  EXPECT_TRUE(SameBytes(song.Read(1), expected));
  EXPECT_EQ(song.Read(1)[0].code, 0xF6);
  EXPECT_EQ(TextBytes(song.Read(1), 0, 5), typed + "    ");
  EXPECT_EQ(m.lineCount, 3);  // memo, note, end

  char text[kMemoBufferBytes];
  EXPECT_EQ(CaretMemoText(m, text), 21);
  EXPECT_EQ(std::string(text), typed);
}

TEST(MemoEvents, AllTwentyFiveBytesAreReadAndTerminated) {
  const Events memo = Join({StoredMemo("ABCDEFGHIJKLMNOPQRSTUVWXY")});
  char out[kMemoBufferBytes + 1];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(UnpackMemo(memo.data(), static_cast<int>(memo.size()), 0, out), 25);
  EXPECT_EQ(std::string(out), "ABCDEFGHIJKLMNOPQRSTUVWXY");
  EXPECT_EQ(out[25], '\0');
  EXPECT_EQ(out[26], '#');  // nothing past the buffer

  // A memo cut short by the block reads what is there; blanks at the end go.
  const Events shortMemo = Join({Carrying(0xF6, "ab   cd  ", 2)});
  EXPECT_EQ(UnpackMemo(shortMemo.data(), 2, 0, out), 7);
  EXPECT_EQ(std::string(out), "ab   cd");
  // Only continuations belong to it.
  const Events broken = Join({Carrying(0xF6, "abcde", 1), {Ev(0xF7, 'f', 0x2020, 0x2020)}, {Note(60, 1)},
                              Carrying(0xF7, "zzzzz", 1)});
  EXPECT_EQ(UnpackMemo(broken.data(), static_cast<int>(broken.size()), 0, out), 6);
  EXPECT_EQ(std::string(out), "abcdef");

  const Events note = Track({Note(60, 120)});
  EXPECT_EQ(UnpackMemo(note.data(), 2, 0, out), -1);
  EXPECT_EQ(out[0], '\0');
}

TEST(MemoEvents, PackingCutsTo22CharactersAndPadsWithBlanks) {
  struct Case {
    const char* what;
    std::string text;
    std::string stored;  // 25 bytes
  };
  const std::string k22 = "0123456789012345678901";
  const Case cases[] = {
      {"empty", "", std::string(25, ' ')},
      {"short", "abc", "abc" + std::string(22, ' ')},
      {"22 characters", k22, k22 + "   "},
      {"longer text is cut", k22 + "XYZ", k22 + "   "},
      // A double-byte character across the 22nd byte is left out whole.
      {"double-byte at the cut", k22.substr(0, 21) + "\x82\xa0", k22.substr(0, 21) + "    "},
      {"double-byte that fits", k22.substr(0, 20) + "\x82\xa0", k22.substr(0, 20) + "\x82\xa0   "},
      {"text ends at a zero", std::string("ab\0cd", 5), "ab" + std::string(23, ' ')},
  };
  for (const Case& c : cases) {
    StepEvent out[kMemoEvents];
    PackMemo(c.text, out);
    const Events packed(out, out + kMemoEvents);
    EXPECT_EQ(TextBytes(packed, 0, 5), c.stored) << c.what;
    EXPECT_EQ(packed[0].code, 0xF6) << c.what;
    for (int k = 1; k < kMemoEvents; ++k) EXPECT_EQ(packed[k].code, 0xF7) << c.what;
  }
}

TEST(MemoEvents, MemoReplacesTheCaretMemoAndGoesBeforeAnyOtherEvent) {
  const Events old = StoredMemo("old memo" + std::string(17, ' '));
  const Events fresh = StoredMemo("new" + std::string(22, ' '));
  const Events start = Join({{Note(60, 120)}, old, {Note(62, 120), MeasureEnd()}});
  struct Case {
    const char* what;
    int32_t line;
    Events after;
    uint32_t bits;
  };
  const Case cases[] = {
      {"over the memo", 1, Join({{Note(60, 120)}, fresh, {Note(62, 120), MeasureEnd()}}), kStateModified},
      {"before a note", 2, Join({{Note(60, 120)}, old, fresh, {Note(62, 120), MeasureEnd()}}),
       kStateModified | kStateTiming},
      {"before the end event", 4, Join({{Note(60, 120)}, old, {Note(62, 120), MeasureEnd()}, fresh}),
       kStateModified | kStateTiming},
  };
  for (const Case& c : cases) {
    ModelSong song;
    song.SetTrack(1, start);
    StepEditModel& m = song.Open(1);
    CaretOnLine(m, c.line);
    m.selFrom = 0;
    m.selTo = 3;
    const EditResult r = WriteMemoAtCaret(m, song.ctx, "new");
    EXPECT_EQ(r.status, EditStatus::Ok) << c.what;
    EXPECT_EQ(r.stateBits, c.bits) << c.what;
    EXPECT_TRUE(r.selectionChanged) << c.what;
    EXPECT_EQ(m.selFrom, -1) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), c.after)) << c.what;
    char text[kMemoBufferBytes];
    EXPECT_EQ(CaretMemoText(m, text), 3) << c.what;
    EXPECT_STREQ(text, "new") << c.what;
  }
}

TEST(MemoEvents, MemoOnAFullTrackIsRefusedAndTheOldMemoKept) {
  const Events old = StoredMemo("keep me" + std::string(18, ' '));
  struct Case {
    const char* what;
    int used;
    int32_t line;   // 0 the old memo, 1 the note after it
    EditStatus status;
  };
  const Case cases[] = {
      {"over the memo of a full track", kMaxTrackEvents, 0, EditStatus::TrackFull},
      {"over the memo one below the limit", kMaxTrackEvents - 1, 0, EditStatus::Ok},
      {"five more reach the limit", kMaxTrackEvents - 5, 1, EditStatus::TrackFull},
      {"five more stay below it", kMaxTrackEvents - 6, 1, EditStatus::Ok},
  };
  for (const Case& c : cases) {
    ModelSong song;
    const Events before = FilledTo(old, c.used);
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    CaretOnLine(m, c.line);
    const EditResult r = WriteMemoAtCaret(m, song.ctx, "new");
    EXPECT_EQ(r.status, c.status) << c.what;
    if (c.status == EditStatus::TrackFull) {
      EXPECT_EQ(r.messageId, kTrackFullMessageId) << c.what;
      EXPECT_TRUE(r.messageStyle & MB_ICONEXCLAMATION) << c.what;
      EXPECT_EQ(r.stateBits, 0u) << c.what;
      EXPECT_TRUE(SameBytes(song.Read(1), before)) << c.what;
      EXPECT_EQ(m.eventCount, c.used) << c.what;
    } else {
      EXPECT_EQ(m.eventCount, c.line == 0 ? c.used : c.used + 5) << c.what;
    }
  }
}

TEST(MemoEvents, CommandPackingHoldsTheTextAndItsZero) {
  struct Case {
    std::string text;
    size_t continuations;  // floor((n + 6) / 5)
  };
  const Case cases[] = {{"a", 1}, {"abcd", 2}, {"abcdefgh", 2}, {"abcdefghi", 3}, {"play abc.wav", 3},
                        {std::string(32767, 'x'), 6554}};
  for (int kind : {kCommandMci, kCommandLine}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text.size());
      const Events e = PackExternalCommand(kind, c.text);
      ASSERT_EQ(e.size(), c.continuations + 1);
      EXPECT_EQ(ExternalCommandContinuations(c.text.size()), static_cast<int64_t>(c.continuations));
      EXPECT_EQ(e[0].code, 0x99);
      EXPECT_EQ(e[0].vel, 0);
      EXPECT_EQ(e[0].step, 0);
      EXPECT_EQ(e[0].gate, kind);
      EXPECT_EQ(ExternalCommandKind(e[0]), kind);
      for (size_t i = 1; i < e.size(); ++i) EXPECT_EQ(e[i].code, 0xF7);
      const std::string bytes = TextBytes(e, 1, e.size());
      EXPECT_EQ(bytes.substr(0, c.text.size() + 1), c.text + std::string(1, '\0'));

      Events track = e;
      track.push_back(EndEvent());
      std::vector<char> out(kCommandBufferBytes);
      EXPECT_EQ(UnpackExternalCommand(track.data(), static_cast<int>(track.size()), 0, out.data(), out.size()),
                static_cast<int>(c.text.size()));
      EXPECT_EQ(std::string(out.data()), c.text);
    }
  }
}

TEST(MemoEvents, CommandTextStopsAtTheBufferAndIsTerminated) {
  std::string text(33100, ' ');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  Events track = PackExternalCommand(kCommandLine, text);
  track.push_back(EndEvent());
  const int count = static_cast<int>(track.size());

  std::vector<char> out(kCommandBufferBytes + 16, '#');
  EXPECT_EQ(UnpackExternalCommand(track.data(), count, 0, out.data(), kCommandBufferBytes),
            static_cast<int>(kCommandBufferBytes - 1));
  EXPECT_EQ(out[kCommandBufferBytes - 1], '\0');
  EXPECT_EQ(std::string(out.data()), text.substr(0, kCommandBufferBytes - 1));
  for (size_t i = kCommandBufferBytes; i < out.size(); ++i) ASSERT_EQ(out[i], '#') << i;

  char small[8];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(UnpackExternalCommand(track.data(), count, 0, small, 1), 0);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(small[1], '#');
  EXPECT_EQ(UnpackExternalCommand(track.data(), count, 0, small, 7), 6);
  EXPECT_STREQ(small, "abcdef");

  // A text without its zero ends with its last continuation.
  const Events unended = Join({{Ev(0x99, 0, 0, 1)}, Carrying(0xF7, "abcde", 1), {Note(60, 1)}});
  EXPECT_EQ(UnpackExternalCommand(unended.data(), static_cast<int>(unended.size()), 0, out.data(), out.size()), 5);
  EXPECT_STREQ(out.data(), "abcde");
  EXPECT_EQ(UnpackExternalCommand(unended.data(), static_cast<int>(unended.size()), 2, out.data(), out.size()), -1);
  EXPECT_STREQ(out.data(), "");
}

TEST(MemoEvents, CommandReplacesOnlyACommandOfItsOwnKind) {
  const Events mci = PackExternalCommand(kCommandMci, "play old.wav");
  const Events run = PackExternalCommand(kCommandLine, "notepad.exe");
  const Events fresh = PackExternalCommand(kCommandMci, "play new.mid");
  struct Case {
    const char* what;
    Events at;       // the caret event's events, after a note
    Events after;
    uint32_t bits;
  };
  const Case cases[] = {
      {"MCI over MCI", mci, Join({{Note(60, 120)}, fresh, {Note(62, 120)}}), kStateModified},
      {"MCI over a command line", run, Join({{Note(60, 120)}, fresh, run, {Note(62, 120)}}),
       kStateModified | kStateTiming},
      {"MCI over a note", {Note(64, 0)}, Join({{Note(60, 120)}, fresh, {Note(64, 0)}, {Note(62, 120)}}),
       kStateModified | kStateTiming},
  };
  for (const Case& c : cases) {
    ModelSong song;
    song.SetTrack(1, Join({{Note(60, 120)}, c.at, {Note(62, 120)}}));
    StepEditModel& m = song.Open(1);
    CaretOnLine(m, 1);
    const EditResult r = InsertExternalCommand(m, song.ctx, kCommandMci, "play new.mid");
    EXPECT_EQ(r.status, EditStatus::Ok) << c.what;
    EXPECT_EQ(r.stateBits, c.bits) << c.what;
    EXPECT_TRUE(SameBytes(song.Read(1), c.after)) << c.what;
    char text[64];
    int kind = -1;
    EXPECT_EQ(CaretCommandText(m, text, sizeof text, &kind), 12) << c.what;
    EXPECT_STREQ(text, "play new.mid") << c.what;
    EXPECT_EQ(kind, kCommandMci) << c.what;
  }

  // A shorter text over a longer command takes its place exactly.
  ModelSong song;
  song.SetTrack(1, Join({run, {Note(62, 120)}}));
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(InsertExternalCommand(m, song.ctx, kCommandLine, "ed").status, EditStatus::Ok);
  EXPECT_TRUE(SameBytes(song.Read(1), Join({PackExternalCommand(kCommandLine, "ed"), {Note(62, 120)}})));
}

TEST(MemoEvents, EmptyCommandOrUnknownKindChangesNothing) {
  ModelSong song;
  const Events before = Join({PackExternalCommand(kCommandMci, "play a.wav"), {Note(62, 120)}});
  song.SetTrack(1, before);
  StepEditModel& m = song.Open(1);
  EXPECT_EQ(InsertExternalCommand(m, song.ctx, kCommandMci, "").status, EditStatus::Refused);
  EXPECT_EQ(InsertExternalCommand(m, song.ctx, kCommandMci, std::string_view("\0x", 2)).status,
            EditStatus::Refused);
  EXPECT_EQ(InsertExternalCommand(m, song.ctx, 2, "play b.wav").status, EditStatus::Refused);
  EXPECT_TRUE(SameBytes(song.Read(1), before));
}

TEST(MemoEvents, CommandOnAFullTrackKeepsTheOldOne) {
  const Events old = PackExternalCommand(kCommandMci, "play old.wav");  // four events
  struct Case {
    const char* what;
    int used;
    std::string text;
    EditStatus status;
  };
  const Case cases[] = {
      // Six events for four: two more than the track holds.
      {"longer text, one below the limit", kMaxTrackEvents - 1, "play a-longer-name.wav", EditStatus::TrackFull},
      {"longer text with room for it", kMaxTrackEvents - 3, "play a-longer-name.wav", EditStatus::Ok},
      {"same size, one below the limit", kMaxTrackEvents - 1, "play new.wav", EditStatus::Ok},
      {"same size on a full track", kMaxTrackEvents, "play new.wav", EditStatus::TrackFull},
  };
  for (const Case& c : cases) {
    ModelSong song;
    const Events before = FilledTo(old, c.used);
    song.SetTrack(1, before);
    StepEditModel& m = song.Open(1);
    const EditResult r = InsertExternalCommand(m, song.ctx, kCommandMci, c.text);
    EXPECT_EQ(r.status, c.status) << c.what;
    if (c.status == EditStatus::TrackFull) {
      EXPECT_EQ(r.messageId, kTrackFullMessageId) << c.what;
      EXPECT_TRUE(SameBytes(song.Read(1), before)) << c.what;
    } else {
      char text[64];
      EXPECT_EQ(CaretCommandText(m, text, sizeof text), static_cast<int>(c.text.size())) << c.what;
      EXPECT_EQ(std::string(text), c.text) << c.what;
    }
  }
}

TEST(MemoEvents, LongestCommandTheInputTakesFitsAnEmptyTrack) {
  // 32,767 characters need 6,555 events, far fewer than one per character.
  ModelSong song;
  song.SetTrack(1, Track({Note(60, 120)}));
  StepEditModel& m = song.Open(1);
  const std::string text(32767, 'r');
  const EditResult r = InsertExternalCommand(m, song.ctx, kCommandLine, text);
  ASSERT_EQ(r.status, EditStatus::Ok);
  EXPECT_EQ(m.eventCount, 1 + 6555);
  std::vector<char> out(kCommandBufferBytes);
  EXPECT_EQ(CaretCommandText(m, out.data(), out.size()), 32767);
  EXPECT_EQ(std::string(out.data()), text);
  EXPECT_EQ(m.lineCount, 3);  // the command, the note, the end
}

}  // namespace
