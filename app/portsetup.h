// MIDI port set-up: the ports named in the settings are opened through the
// bound engine, after claiming them in the engine's flag shared between
// processes. A program that finds them held runs without ports.
#pragma once
#include <windows.h>
#include <cstdint>

// One flag per output port A-D, set when its device is a Super MPU port.
extern int32_t g_smpuPortFlags[4];

// Bit 0-3 when the output device's name begins (first 16 characters) with
// "S-MPU MIDI Out A" .. "D"; 0 while the ports are unavailable, for -1 and
// when the device cannot be queried.
int SmpuPortTest(int device);

// Runs while the ports are available: Super MPU flags; when another program
// holds the ports, message 1946 once, g_app.portsUnavailable set and
// g_settings.outPorts[4] = 0xFFFE; otherwise claims them (SetShareFlag(3)),
// opens the inputs and outputs by their device numbers (message 1946 for a
// port that fails), tells the plug-ins the port mask and the engine, and
// calls OpenMIDIPort and OpenMIDIInPort(frame).
void SetUpPorts();

// True while this program holds the ports (it claimed them and has not
// released them).
bool PortsTakenByUs();

// At exit (and before the engine is replaced): when this program took the
// ports, closes them and clears the shared flag. A program that never took
// them leaves the flag alone, so the program that holds them keeps them.
void ReleasePorts();

// While the ports are unavailable, the flag's value; otherwise
// CloseMIDIInPort() (0 without that entry).
int CloseMidiInput();
