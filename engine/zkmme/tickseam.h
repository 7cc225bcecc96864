// Points of the timer callback where a test build of the library can hold a
// tick: on entry, and between the tick's count and its check of the play
// state. Nothing in the shipped library.
#pragma once

enum TickSeamPoint { kTickSeamEntry = 0, kTickSeamBetween = 1 };

#ifdef ZKMME_TICK_SEAM
void TickSeam(int point);
#else
inline void TickSeam(int) {}
#endif
