// What the engines that play through Windows MIDI output devices add to the
// shell: port opening, play start, pause and hold on their output.
#pragma once
#include <zk/messages.h>

#include "engineshell.h"

// Supplied by each of these engines.
UINT OutOpenPort(int slot, UINT device);       // 0 or the multimedia error
void OutClosePorts();                           // every slot, play released
void OutReset(int slot);
void OutStart(bool stayPaused);                 // fill and start
void OutPause();
void OutResume();
void OutHold();                                 // stop, reopen, keep ready

// Start after preparation and any chase: recording armed (with the notice
// when asked), Start or Continue, output started unless recording waits for
// its first note.
void StartPlay(bool fromPoint, int leadIn, bool notice);
