// The sound-module set-up without its window: which module library each of
// the four controller positions uses ([Plugin] Module0-15 and Controlor0-3),
// and which reset messages the after-open sequence ([SoundModule]
// InitAfterFileOpen) holds.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kModuleSlots = 16;
constexpr int kModulePositions = 4;
constexpr char kPluginSection[] = "Plugin";

// "Module%d" and "Controlor%d".
std::string ModuleKey(int slot);
std::string ControllerKey(int position);

// Library names compared as the file system does, letters without regard to
// case; the second byte of a double-byte character is never folded.
bool SameModuleName(const std::string& a, const std::string& b);

// A position's selection: 0 for none, slot + 1 for the last of the slots
// (names by slot number) that holds the stored name. An empty name, or one
// that no slot holds, is none.
uint16_t SelectionForController(const std::string& controller, const std::vector<std::string>& modules);
// What a position stores for a selection: the library of its slot, empty for
// none or a slot past the list.
std::string ControllerValueFor(uint16_t selection, const std::vector<std::string>& modules);

// One line of a position's list: its text and the selection it stands for.
// Lines are tied to their slots, so a slot that shows nothing (empty, not
// loadable or nameless) leaves the later lines where they belong.
struct ModuleListLine {
  std::string text;
  uint16_t selection;
};
// The lines for the display names by slot (empty: the slot shows nothing),
// after the line of none.
std::vector<ModuleListLine> ModuleListLines(const std::string& noneText, const std::vector<std::string>& names);
// The line that shows a selection, -1 when none does.
int ModuleListIndex(const std::vector<ModuleListLine>& lines, uint16_t selection);

// The four resets, in the order the after-open text lists them: GM, GS,
// CM64/MT32, XG.
enum ResetKind { kResetGM, kResetGS, kResetCM64, kResetXG, kResetKinds };
struct ResetInfo {
  int boxId;          // check box of the dialog
  UINT stringId;      // the message as text
  const char* separator;  // the pause written after it
};
const std::array<ResetInfo, kResetKinds>& ResetTable();
using ResetTexts = std::array<std::string, kResetKinds>;
using ResetChecks = std::array<bool, kResetKinds>;
// The four messages from the string table of this instance.
ResetTexts LoadResetTexts(HINSTANCE instance);

// Which messages the text holds, each as a whole message (between commas or
// the text's ends).
ResetChecks ResetChecksFromInit(const std::string& init, const ResetTexts& texts);
// The text the boxes give: each checked message with its pause, in table
// order, then whatever else the current text held (messages of the user's
// own, in their order with their pauses), cut at whole messages to at most
// maxLength characters.
std::string InitFromResetChecks(const ResetChecks& checks, const ResetTexts& texts, const std::string& current,
                                size_t maxLength);
