// What every set-up dialog shares: the opener records the dialog's id for the
// number fields and runs it modally over the frame; the dialog centres itself
// over the frame, subclasses its number fields and forwards its spins
// (ForwardSpinDelta, dlgedit.h); OK stores and ends with 1, Cancel ends
// with 0.
#pragma once
#include <windows.h>

// Records dialogId as the current dialog (the previous one comes back when
// it ends) and runs it over owner, or the frame when owner is null. Returns
// the dialog's end value, 0 when it could not be made.
INT_PTR RunSetupDialog(int dialogId, DLGPROC proc, LPARAM param = 0, HWND owner = nullptr);

// WM_INITDIALOG: centres the dialog over the frame and subclasses the given
// number fields.
void InitSetupDialog(HWND dialog, const int* numberFields, int count);
inline void InitSetupDialog(HWND dialog) { InitSetupDialog(dialog, nullptr, 0); }
// An array of fields must reach this one: with a defaulted count the pointer
// form above would win the overload and subclass nothing.
template <int N>
void InitSetupDialog(HWND dialog, const int (&numberFields)[N]) {
  InitSetupDialog(dialog, numberFields, N);
}

// A number field's value clamped to [min, max] (what was typed past the
// limits comes back inside them); fallback when the text is no number.
int ClampedDlgItemInt(HWND dialog, int id, int min, int max, int fallback);
