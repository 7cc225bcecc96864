// Real Standard MIDI Files (the list in SMFREAL_LIST, one Windows path a
// line): each imports, exports in both formats and imports again to the same
// notes. The exports go to SMFREAL_OUT for the readers run after this
// program (run.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "export_roundtrip.h"

namespace {

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::string> ListedFiles() {
  std::vector<std::string> files;
  const char* list = std::getenv("SMFREAL_LIST");
  if (!list) return files;
  std::ifstream in(list);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (!line.empty()) files.push_back(line);
  }
  return files;
}

// The first place where two note lists part, for the failure message.
std::string FirstDifference(const std::vector<roundtrip::Note>& a, const std::vector<roundtrip::Note>& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  auto show = [](const std::vector<roundtrip::Note>& v, size_t i) {
    if (i >= v.size()) return std::string("(none)");
    const auto& [tick, channel, key, velocity] = v[i];
    return "tick " + std::to_string(tick) + " channel " + std::to_string(channel + 1) + " key " +
           std::to_string(key) + " velocity " + std::to_string(velocity);
  };
  if (i == a.size() && i == b.size()) return "";
  return std::to_string(a.size()) + " vs " + std::to_string(b.size()) + " notes; at " + std::to_string(i) +
         ": " + show(a, i) + " / " + show(b, i);
}

// Format 0 puts every track of a channel into one song track: strikes of one
// key at one moment from different tracks become one note, and overlapping
// notes of one key end together, as a synthesizer plays them. So format 0
// is held to the moments at which keys are struck; format 1, which keeps
// the tracks apart, to every note with its velocity and end.
std::vector<roundtrip::Note> Strikes(const std::vector<roundtrip::Note>& notes) {
  std::vector<roundtrip::Note> out;
  for (const auto& [tick, channel, key, velocity] : notes)
    if (velocity) out.emplace_back(tick, channel, key, 1);
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::string BaseName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("\\/") + 1);
  return name.substr(0, name.find_last_of('.'));
}

}  // namespace

TEST(SmfRealFiles, ImportExportImportKeepsTheNotes) {
  std::vector<std::string> files = ListedFiles();
  const char* outEnv = std::getenv("SMFREAL_OUT");
  ASSERT_NE(outEnv, nullptr) << "SMFREAL_OUT is not set (run through run.sh)";
  ASSERT_GE(files.size(), 50u) << "the list of real files is missing or short";
  std::string out = std::string(outEnv) + "\\";
  int index = 0;
  size_t withNotes = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path);
    std::vector<uint8_t> image = ReadFileBytes(path);
    ASSERT_FALSE(image.empty());
    SmfImportResult first = roundtrip::Import(image);
    ASSERT_EQ(first.status, SmfImportStatus::kOk);
    EXPECT_FALSE(first.report.Damaged());
    PlaySong song = roundtrip::SongOf(first);
    auto notes = roundtrip::NotesOf(song);
    withNotes += !notes.empty();
    // Names may repeat across folders: a running number keeps them apart.
    std::string stem = out + std::to_string(++index) + "_" + BaseName(path);
    for (int format : {0, 1}) {
      SCOPED_TRACE(format);
      std::vector<uint8_t> exported = roundtrip::Export(song, format);
      ASSERT_TRUE(smfread::Read(exported).ok);
      SmfImportResult again = roundtrip::Import(exported);
      ASSERT_EQ(again.status, SmfImportStatus::kOk);
      EXPECT_FALSE(again.report.Damaged());
      auto notesAgain = roundtrip::NotesOf(roundtrip::SongOf(again));
      if (format == 1) {
        EXPECT_EQ(FirstDifference(notesAgain, notes), "");
      } else {
        EXPECT_EQ(FirstDifference(Strikes(notesAgain), Strikes(notes)), "");
      }
      EXPECT_EQ(again.tempo, first.tempo);
      EXPECT_EQ(again.beatNum, first.beatNum);
      EXPECT_EQ(again.beatDen, first.beatDen);
      EXPECT_EQ(again.key, first.key);
      ASSERT_TRUE(WriteFileBytes(stem + ".f" + std::to_string(format) + ".mid", exported));
    }
    // The original beside its exports, for the rendering comparison.
    ASSERT_TRUE(WriteFileBytes(stem + ".orig.mid", image));
  }
  // A few are style files without notes; most are music.
  EXPECT_GE(withNotes, files.size() * 3 / 4);
}
