// The load-time check of the Super MPU driver files' versions.
#pragma once

// True when a FileVersion text reads at least major.minor: the digits before
// the first non-digit are the major number, the digits after the next
// character the minor number ("4.20" is 4.20, "4.2" is 4.2, "4.01" is 4.1).
bool VersionTextAtLeast(const char* text, int major, int minor);

// True when the file (found by the system's search) has a version resource
// with a CompanyName and a FileVersion of at least 4.2.
bool DriverFilePasses(const char* fileName);

// Checks "rdsmpu32.dll", "rdsmpu95.drv" and "rdsmpu95.vxd" in turn, stopping
// at the first that fails.
bool DriverFilesPass();
