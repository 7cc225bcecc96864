#include "programstate.h"

#include "appglobals.h"

ProgramState g_prog;
volatile LONG g_playEnded = 0;

void CALLBACK CallBackPlayEnd() {
  InterlockedExchange(&g_playEnded, 1);
  // GetMessage would otherwise sleep until some other message arrives.
  if (g_app.frame) PostMessageA(g_app.frame, WM_NULL, 0, 0);
}

bool TakePlayEnded() { return InterlockedExchange(&g_playEnded, 0) != 0; }
