// The export options dialog (resource 145) over the export options the
// library keeps in memory.
#pragma once
#include <windows.h>

struct OptionsDialogSong {
  int timeBase = 480;   // the song's own
  int trackCount = 0;
};

// Sets the export time base to the song's, then runs the dialog; 1 for OK
// (the options changed), 0 for Cancel.
int RunExportOptionsDialog(HINSTANCE instance, HWND parent, const OptionsDialogSong& song);
