#include "tuning.h"

void SendTuningTone() {}
void OpenTuningDialog(HINSTANCE, HWND) {}
void MidiResetWait(HWND) {}
