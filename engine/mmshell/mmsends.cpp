// The GS reset on Windows devices, and the status poll they do not need.
#include "mmshell.h"
#include "sysexbuild.h"

extern "C" int WINAPI GSReset(int second) {
  int port = second ? 1 : 0;
  if (PortSlot(port) < 0) return 0;
  for (const auto& f : BuildGSReset()) FlushSend(port, f);
  return 0;
}

extern "C" int WINAPI ShowSeqStatus() { return 0; }
