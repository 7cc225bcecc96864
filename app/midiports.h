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

// The device a port opens: its configured device when that device is there
// (0 .. count - 1), else kPortNone; missing is set for a device that is not
// there (not found by name, or a number past the installed devices).
struct PortDevice {
  int device;
  bool missing;
};
PortDevice ResolvePortDevice(int configured, int count);

// The device number a port takes from the settings: the device found by the
// name; for an empty name (settings from before names were kept) the stored
// number; a name that no device has stays kPortNotFound, so that another
// device never stands in for it.
int PortDeviceFromSettings(const char* name, int found, int storedNumber);
