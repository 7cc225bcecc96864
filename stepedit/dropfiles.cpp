#include "dropfiles.h"

#include <windows.h>

#include <cstring>

#include "lineindex.h"
#include "memoevents.h"
#include "partblock.h"
#include "stepclip.h"
#include "zk/cmdcodes.h"
#include "zk/lebytes.h"

namespace {

constexpr char kPartMark[] = "Q31PR";
constexpr const char* kPartExtensions[] = {"prt", "grt"};
constexpr char kSongExtension[] = "g36";
constexpr DWORD kProfileValueBytes = 1024;

// Lead bytes of code page 932: the byte after one may be a backslash or a
// letter and is never folded or taken for a separator.
bool IsLeadByte(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Index of the last path separator, npos for none.
size_t LastSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<uint8_t>(path[i]))) {
      ++i;
    } else if (IsSeparator(path[i])) {
      last = i;
    }
  }
  return last;
}

// Folders equal without regard to the case of ASCII letters; the two
// separators count as one.
bool SameFolder(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(static_cast<uint8_t>(a[i]))) {
      if (i + 1 >= a.size() || a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (IsSeparator(a[i]) ? !IsSeparator(b[i]) : LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// The extension of the file name, lower case, without the dot; empty for
// none.
std::string Extension(const char* path) {
  if (!path) return {};
  const std::string_view p(path);
  const size_t sep = LastSeparator(p);
  const std::string_view name = sep == std::string_view::npos ? p : p.substr(sep + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(name.substr(dot + 1));
  for (size_t i = 0; i < ext.size(); ++i) {
    if (IsLeadByte(static_cast<uint8_t>(ext[i]))) ++i;
    else ext[i] = LowerAscii(ext[i]);
  }
  return ext;
}

bool IsSongFile(const std::string& ext) { return ext == kSongExtension; }

std::string Profile(const char* section, const char* key) {
  char value[kProfileValueBytes] = {};
  GetProfileStringA(section, key, "", value, sizeof value);
  return value;
}

// A name with a blank in it is one argument only when quoted.
std::string QuotedName(const char* path, const char* lastDirectory) {
  const std::string name = StoredDropName(path, lastDirectory);
  return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

bool IsProgramExtension(const std::string& ext) {
  const std::string programs = Profile("windows", "Programs");
  size_t i = 0;
  while (i < programs.size()) {
    while (i < programs.size() && (programs[i] == ' ' || programs[i] == '\t')) ++i;
    size_t end = i;
    while (end < programs.size() && programs[end] != ' ' && programs[end] != '\t') ++end;
    if (end > i) {
      std::string word = programs.substr(i, end - i);
      if (word[0] == '.') word.erase(0, 1);
      for (char& c : word) c = LowerAscii(c);
      if (word == ext) return true;
    }
    i = end;
  }
  return false;
}

}  // namespace

bool IsPartFileName(const char* path) {
  const std::string ext = Extension(path);
  if (ext.size() < 3) return false;
  for (const char* part : kPartExtensions) {
    if (ext.compare(0, 3, part) == 0) return true;
  }
  return false;
}

std::string StoredDropName(const char* path, const char* lastDirectory) {
  if (!path) return {};
  const std::string_view p(path);
  const size_t sep = LastSeparator(p);
  if (sep == std::string_view::npos || !lastDirectory || !*lastDirectory) return std::string(p);
  std::string_view last(lastDirectory);
  // "C:\" and "C:" name the same folder, as "C:\dir\" and "C:\dir" do.
  if (LastSeparator(last) == last.size() - 1) last.remove_suffix(1);
  return SameFolder(p.substr(0, sep), last) ? std::string(p.substr(sep + 1)) : std::string(p);
}

bool MciCommandFor(const char* path, std::string* out, const char* lastDirectory) {
  const std::string ext = Extension(path);
  if (ext.empty() || IsSongFile(ext)) return false;
  if (Profile("mci extensions", ext.c_str()).empty()) return false;
  if (out) *out = "play " + QuotedName(path, lastDirectory);
  return true;
}

bool ProgramCommandFor(const char* path, std::string* out, const char* lastDirectory) {
  const std::string ext = Extension(path);
  if (ext.empty() || IsSongFile(ext)) return false;
  if (IsProgramExtension(ext)) {
    if (out) *out = QuotedName(path, lastDirectory);
    return true;
  }
  const std::string entry = Profile("Extensions", ext.c_str());
  const std::string program = entry.substr(0, entry.find(' '));
  if (program.empty()) return false;
  if (out) *out = program + " " + QuotedName(path, lastDirectory);
  return true;
}

std::vector<uint8_t> BuildExternalCommandBlock(int kind, std::string_view text, int* count) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  std::vector<StepEvent> events;
  events.push_back(StepEvent{kCodeExternal, 0, 0, static_cast<uint16_t>(kind)});
  // The text ends at its zero: the last event holds what is left of it.
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  PackContinuations(bytes.data(), bytes.size(), &events);
  *count = static_cast<int>(events.size());
  events.push_back(EndEvent());
  std::vector<uint8_t> block(kDropBlockHeadBytes + events.size() * sizeof(StepEvent), 0);
  for (size_t i = 0; i < events.size(); ++i) {
    PutStepEventBytes(block.data() + kDropBlockHeadBytes + i * sizeof(StepEvent), events[i]);
  }
  return block;
}

bool BuildDropCommandBlock(const char* path, const char* lastDirectory, std::vector<uint8_t>* block, int* count) {
  block->clear();
  *count = 0;
  std::string text;
  int kind;
  if (MciCommandFor(path, &text, lastDirectory)) kind = kCommandMci;
  else if (ProgramCommandFor(path, &text, lastDirectory)) kind = kCommandLine;
  else return false;
  *block = BuildExternalCommandBlock(kind, text, count);
  return true;
}

int PartImageEventCount(const uint8_t* image, size_t size) {
  if (!image || size < kDropBlockHeadBytes + 4 || std::memcmp(image, kPartMark, 5) != 0) return -1;
  const uint32_t count = U32At(image + 8) / sizeof(StepEvent);
  return count > static_cast<uint32_t>(kTrackSlots) ? -1 : static_cast<int>(count);
}

EditResult InsertDropEvents(StepEditModel& m, StepSongContext& ctx, const uint8_t* block, size_t size, int count,
                            const DropPlace& place) {
  const int mode = ctx.settings.dragDropEdit;
  if (mode < 1 || mode > 3 || !block || size < kDropBlockHeadBytes || count < 0) return RefusedResult();
  const size_t start = kDropBlockHeadBytes + U16At(block + 6);
  if (start > size || static_cast<size_t>(count) > (size - start) / sizeof(StepEvent)) return RefusedResult();
  if (!MakeContiguous(m, ctx)) return RefusedResult();
  if (!FitsTrack(m, static_cast<int64_t>(count) + 1)) return TrackFullResult();

  int32_t at;
  if (mode == 3 || !place.inClient || place.iconic) {
    at = m.eventCount;
  } else if (mode == 2) {
    at = LineEvent(m, DropPointLine(m, place.x, place.y, place.charWidth, place.charHeight));
  } else {
    at = LineEvent(m, CaretLine(m));
  }
  if (at < 0) return RefusedResult();

  std::vector<StepEvent> events(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) events[i] = StepEventFromBytes(block + start + i * sizeof(StepEvent));
  return InsertStepsAt(m, ctx, at, events.data(), count, 1);
}
