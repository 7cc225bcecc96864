// MIDI devices by product name: the settings name the output ports A-D and the
// two input ports by the device's name, not its number, so that they survive
// a change in the order of installed devices.
#pragma once
#include <functional>
#include <string>

constexpr int kPortNone = -1;       // the port is named "None"
constexpr int kPortNotFound = -2;   // no device has that name
constexpr const char* kPortNoneName = "None";

// Reads device n's product name; false when its capabilities cannot be read.
using DeviceNameSource = std::function<bool(int device, std::string& name)>;

// kPortNone for "None"; otherwise the first of devices 0 .. count - 1 whose
// product name begins with the given name. kPortNotFound for an empty name,
// for a name no device has, and when a device's name cannot be read (the
// walk ends there).
int FindDeviceByName(const char* name, int count, const DeviceNameSource& source);

int FindMidiOutDevice(const char* name);
int FindMidiInDevice(const char* name);

// Product name of a device; false when the device cannot be queried.
bool MidiOutDeviceName(int device, std::string& name);
bool MidiInDeviceName(int device, std::string& name);
