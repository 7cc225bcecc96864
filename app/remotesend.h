// System Exclusive and short messages that the display remote sends through
// the frame (messages 2301 and 2302).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// Length of the message at the start of a block: through its first 0xF7,
// searched only within the block; 0 when the block holds none.
size_t SysExLengthInBlock(const uint8_t* block, size_t size);
// Ports 0-3 whose output port has a device (table entry not -1).
bool RemotePortAccepted(WPARAM port, const int32_t* outPorts);

// 2301: lParam is a file-mapping handle duplicated into this process; the
// message is sent whole to the port when both are acceptable. The handle is
// always closed.
void SendRemoteSysEx(WPARAM port, LPARAM mapping);
// 2302: one short message packed as status << 24 | channel << 16 | data1 << 8
// | data2, sent at once unless the ports are unavailable.
void SendRemoteShort(WPARAM packed);
