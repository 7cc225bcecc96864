// The one routine through which the program sends a single short MIDI
// message at once.
#pragma once
#include <windows.h>

// channelAndPort: channel in bits 0-3, output port in bits 4-5. Sends nothing
// and returns the nonzero unavailable flag while another program holds the
// ports; 0 without an engine; else what the engine returns.
int CALLBACK SendMidiNow(int status, int channelAndPort, int data1, int data2);
