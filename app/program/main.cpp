// zkfw32: the sequencer's main program.
#include <windows.h>

#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  return RunProgram(instance, previous, commandLine, show);
}
