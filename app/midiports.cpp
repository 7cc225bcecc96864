#include "midiports.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

int FindDeviceByName(const char* name, int count, const DeviceNameSource& source) {
  if (!name) return kPortNotFound;
  if (std::strcmp(name, kPortNoneName) == 0) return kPortNone;
  size_t length = std::strlen(name);
  if (length == 0) return kPortNotFound;
  for (int device = 0; device < count; ++device) {
    std::string product;
    if (!source(device, product)) return kPortNotFound;
    if (product.compare(0, length, name) == 0) return device;
  }
  return kPortNotFound;
}

bool MidiOutDeviceName(int device, std::string& name) {
  if (device < 0) return false;
  MIDIOUTCAPSA caps{};
  if (midiOutGetDevCapsA(static_cast<UINT_PTR>(device), &caps, sizeof caps) != MMSYSERR_NOERROR)
    return false;
  name.assign(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
  return true;
}

bool MidiInDeviceName(int device, std::string& name) {
  if (device < 0) return false;
  MIDIINCAPSA caps{};
  if (midiInGetDevCapsA(static_cast<UINT_PTR>(device), &caps, sizeof caps) != MMSYSERR_NOERROR)
    return false;
  name.assign(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
  return true;
}

int FindMidiOutDevice(const char* name) {
  return FindDeviceByName(name, static_cast<int>(midiOutGetNumDevs()), MidiOutDeviceName);
}

int FindMidiInDevice(const char* name) {
  return FindDeviceByName(name, static_cast<int>(midiInGetNumDevs()), MidiInDeviceName);
}

PortDevice ResolvePortDevice(int configured, int count) {
  if (configured == kPortNone) return {kPortNone, false};
  if (configured < 0 || configured >= count) return {kPortNone, true};
  return {configured, false};
}

int PortDeviceFromSettings(const char* name, int found, int storedNumber) {
  if (found != kPortNotFound) return found;
  return name && *name ? kPortNotFound : storedNumber;
}
