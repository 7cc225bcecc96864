// The number fields of the step editor's dialogs: limits by control id,
// stepping by the private key codes the spin buttons send, Enter/Esc/Tab
// navigation.
#pragma once
#include <windows.h>

#include <string>

// Private key codes: step the field's number up / down.
constexpr WPARAM kKeyStepUp = 0x911;    // 2321
constexpr WPARAM kKeyStepDown = 0x912;  // 2322

struct FieldLimits {
  int min;
  int max;
};

// What the limits depend on besides the control id.
struct FieldLimitContext {
  int timeBase = 480;      // the song's, 0 read as 480
  int trackCount = 1;
  int maxTrack = 99;
  int rangeValueKind = 0;  // see StepSharedState
  int strokeTotal = 0;
};
FieldLimits DlgFieldLimits(int controlId, const FieldLimitContext& context);
// The same for the open song and the current dialog state.
FieldLimits DlgFieldLimits(int controlId);

// The amount one up or down key steps a number field: 1, 10 with Shift;
// the pitch-bend Top and End fields 128, 1,024 with Shift.
int FieldStepAmount(int controlId, bool shift, int rangeValueKind);
// value + delta clamped to [min, max].
int SteppedFieldValue(long long value, long long delta, int min, int max);

// Pitch names of a key field: the pitch class 0..11 of the text ("C", "D#",
// "Eb", "F+", "B-"; "Cb" is 11, "B#" 0), or -1 when the text is not one.
int PitchClassOfName(const char* text);
// The two-character name of a pitch class (wrapped into 0..11).
const char* PitchClassName(int pitchClass);
// A pitch-name field's text stepped by delta semitones ("B " + 1 is "C "),
// or the text unchanged when it is no pitch name.
std::string SteppedPitchName(const std::string& text, int delta);

// What Enter or Esc does in a field: move to the next / previous control,
// or end the dialog (OK for Enter, Cancel for Esc). With ESCRET set, and
// always in dialog 152, they end it; otherwise only in the fields where a
// dialog's entry ends.
enum class FieldKeyAction { MoveFocus, Ok, Cancel };
FieldKeyAction EnterEscAction(int dialogId, int controlId, bool enter, bool escRet);

// Reads the dialog's field as a signed number, adds delta, clamps and writes
// it back with "%d".
void StepDlgItemNumber(HWND field, int controlId, int delta, int max, int min);
// Steps a pitch-name field; a field that holds no pitch name stays.
void StepDlgItemKeyName(HWND field, int controlId, int delta);

// Enter and Esc in a field: move the focus to the next / previous control
// unless the field ends the dialog there (or [KEY] ESCRET is set). Nonzero
// when the focus moved.
int EditNotifyNext(HWND field);
int EditNotifyPrev(HWND field);

// Exported by name: other modules subclass their fields with it.
extern "C" LRESULT CALLBACK DeleteDlgEditWndProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
// Installs DeleteDlgEditWndProc on a dialog's field.
void SubclassDlgEdit(HWND dialog, int controlId);
// The key fields (Low, High) of the search, erase and slide filter dialogs:
// 0..127, key stepping and Enter/Esc/Tab as above, but Esc writes no field
// and the middle button does not step.
extern "C" LRESULT CALLBACK SetEraseSWDlgEditWndProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
void SubclassKeyRangeEdit(HWND dialog, int controlId);
// UDN_DELTAPOS from a spin button: its buddy field gets the step-up key for
// a negative delta, the step-down key otherwise. Nonzero when handled (the
// spin's own position must not change).
BOOL ForwardSpinDelta(HWND dialog, LPARAM notify);

// OK and Cancel of a small number dialog: OK runs onOk (which ends the
// dialog), Cancel ends it with 0. TRUE when the command was one of them.
BOOL StepDialogOkCancel(HWND dialog, WPARAM wParam, void (*onOk)(HWND dialog));

// A check box or radio button of a dialog.
inline bool BoxChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline void SetBoxCheck(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}
