// Super MPU driver library: the calls the Super MPU engine makes. Every call
// is stdcall and returns a signed 16-bit result; negative results are the
// errors below. All calls but SMPUOpen, SMPUGetMpuVer, SMPUHms2TimeUnit and
// SMPUTimeUnit2Hms take the device handle (from SMPUOpen) first.
//
// Times are device units of 1/24 ms. Sequencer words are play-event words
// (include/zk/playdata.h); waits count ticks of 1/480 quarter note at the
// tempo of the last 0xE1 word.
#pragma once
#include <windows.h>
#include <stdint.h>

#ifdef RDSMPU32_BUILD
#define SMPUAPI extern "C" __declspec(dllexport)
#else
#define SMPUAPI extern "C" __declspec(dllimport)
#endif

typedef short SMPURESULT;

// Results.
#define SMPU_OK 0
#define SMPU_ERR_HANDLE (-1)     // no such open device
#define SMPU_ERR_PARAM (-2)      // argument out of range or null record
#define SMPU_ERR_DEVICE (-3)     // the Windows MIDI device is missing or failed
#define SMPU_ERR_INUSE (-4)      // the device is already open
#define SMPU_ERR_BUSY ((short)0xFFE8)  // output busy: try again

// Pending-event bits of SMPUGetEvent.
#define SMPU_EV_SEQSEND 0x0001    // the queue wants data (no send callback)
#define SMPU_EV_RECDATA 0x0002    // recorded words wait (no receive callback)
#define SMPU_EV_MONITOR 0x0008    // monitor words wait (SMPUGetMonBlock)
#define SMPU_EV_ENV 0x0010        // never raised
#define SMPU_EV_SEQSTATUS 0x0020  // the sequencer status changed
#define SMPU_EV_TIMEINFO 0x0040   // never raised
#define SMPU_EV_SPP 0x0080        // never raised
#define SMPU_EV_REPORT 0x0200     // a time report is due (SMPUSetReportInterval)
#define SMPU_EV_ERROR 0x0800      // an error was recorded (SMPUGetErrorInfo)
#define SMPU_EV_GATE 0x1000       // never raised
#define SMPU_EV_ACTIVE 0x2000     // sequencer play active changed
#define SMPU_EV_ALL 0x3FFF

// Sequencer status (SMPUGetSeqStatus).
#define SMPU_SEQ_STOPPED 0
#define SMPU_SEQ_PLAYING 1
#define SMPU_SEQ_ENDED 3   // an end word (0xEAFC, 0xEAFD) was played

// Callback the library calls from its clock thread with the device handle.
typedef int(WINAPI* SMPUCALLBACK)(int handle);

#pragma pack(push, 1)
// Open record. When events become pending the library posts message
// (wParam = handle, lParam = the newly pending bits) to window. The receive
// callback is called when recorded words wait, the send callback when the
// sequencer queue runs low while playing; an enable word of 0 turns one off
// (its event bit is raised instead).
typedef struct SMPUOPENPARAM {
  HWND window;
  UINT message;
  SMPUCALLBACK recvCallback;  // RSRCallBackMan
  WORD recvEnable;
  SMPUCALLBACK sendCallback;  // RSSCallBackMan
  WORD sendEnable;
} SMPUOPENPARAM;

// Sync record: mode (0 internal, 1 MIDI clock, 2 SMPTE, 3 off), a byte the
// engine sets to 15, the SMPTE frame type.
typedef struct SMPUSYNCMODE {
  BYTE mode;
  BYTE level;
  BYTE frameType;
} SMPUSYNCMODE;

// Time as SMPTE: frame type 0 = 24, 1 = 25, 2 = 30 drop (counted as 30),
// 3 = 30 frames a second; bits = part of a frame in 1/30000 frame.
typedef struct SMPUHMS {
  WORD hours;
  WORD minutes;
  WORD seconds;
  WORD frames;
  WORD bits;
  WORD frameType;
} SMPUHMS;

// Map and filter record: kind 0x81 channel thru (index = input channel 0-31,
// value1 = destination interface channel 0-31 or 0xFF none), 0x82 system
// thru (index = input 0 or 16, values 0xFF = not passed), 0x92 record filter
// (index = channel 0-31, value1 bits 1-6 drop note, key pressure, control,
// program, channel pressure, pitch bend).
typedef struct SMPUMAP {
  BYTE kind;
  BYTE index;
  BYTE value1;
  BYTE value2;
} SMPUMAP;

typedef struct SMPUMPUVER {
  BYTE major;   // 4
  BYTE minor;   // 20
  BYTE ports;   // output ports (A, B)
} SMPUMPUVER;

typedef struct SMPUENVINFO {
  WORD queueSize;    // sequencer queue capacity in words
  WORD queued;       // words waiting in it
  WORD recorded;     // recorded words waiting
  WORD outDevice;    // Windows output device id of port A
  WORD inDevice;     // Windows input device id, 0xFFFF none
} SMPUENVINFO;

// One channel line (0-31 interface channels, 32 the system line).
typedef struct SMPUCHLINEINFO {
  BYTE line;
  BYTE monitor;      // 1 when the line's messages reach the monitor
  BYTE thru;         // thru destination, 0xFF none
  BYTE recFilter;
} SMPUCHLINEINFO;
#pragma pack(pop)

// Connection.
SMPUAPI SMPURESULT WINAPI SMPUOpen(const SMPUOPENPARAM* open);
SMPUAPI SMPURESULT WINAPI SMPUClose(short handle);
SMPUAPI SMPURESULT WINAPI SMPUInit(short handle);
SMPUAPI SMPURESULT WINAPI SMPUGetMpuVer(short device, SMPUMPUVER* ver);
SMPUAPI SMPURESULT WINAPI SMPUGetEnvInfo(short handle, SMPUENVINFO* info);

// Switches: a get call returns the value (0 or more), a set call SMPU_OK.
SMPUAPI SMPURESULT WINAPI SMPUGetSyncMode(short handle, SMPUSYNCMODE* sync);
SMPUAPI SMPURESULT WINAPI SMPUSetSyncMode(short handle, const SMPUSYNCMODE* sync);
SMPUAPI SMPURESULT WINAPI SMPUGetClkReso(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetClkReso(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetRecSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetRecSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetRecPortSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetRecPortSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetTempoRecSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetTempoRecSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetLinkSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetLinkSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetMonSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetMonSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetThruSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetThruSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetSendMidiRT(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetSendMidiRT(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetMidiOptionSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetMidiOptionSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetChaseSw(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetChaseSw(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetMidiSyncPort(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetMidiSyncPort(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUGetRecBufMargin(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetRecBufMargin(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUChkActiveSeqPlay(short handle);
SMPUAPI SMPURESULT WINAPI SMPUSetActiveSeqPlay(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUSetMonFilter(short handle, short value);
SMPUAPI SMPURESULT WINAPI SMPUSetMonFilterAllCc(short handle, short value);
// Report of the current time every interval ms while b1 is nonzero
// (interval = b2 x 10 + b3); off with (0, 0, 0).
SMPUAPI SMPURESULT WINAPI SMPUSetReportInterval(short handle, short b1, short b2, short b3);
SMPUAPI SMPURESULT WINAPI SMPUGetChLineInfo(short handle, short line, SMPUCHLINEINFO* info);
SMPUAPI SMPURESULT WINAPI SMPUSetChLineMonSw(short handle, short line, short value);

// Maps and filters: the get calls take the index from the record and fill
// in kind and values.
SMPUAPI SMPURESULT WINAPI SMPUGetSysMessThruMap(short handle, SMPUMAP* map);
SMPUAPI SMPURESULT WINAPI SMPUGetChMessThruMap(short handle, SMPUMAP* map);
SMPUAPI SMPURESULT WINAPI SMPUGetChMessRecFilter(short handle, SMPUMAP* map);
SMPUAPI SMPURESULT WINAPI SMPUSetMap(short handle, const SMPUMAP* map);
SMPUAPI SMPURESULT WINAPI SMPUSetFilter(short handle, const SMPUMAP* map);

// Sequencer. SMPUPutSeqBlock returns the words taken (the queue may take
// fewer than count); SMPUGetSeqBlock the recorded words copied.
SMPUAPI SMPURESULT WINAPI SMPUPutSeqBlock(short handle, const WORD* words, short count);
SMPUAPI SMPURESULT WINAPI SMPUGetSeqBlock(short handle, WORD* buffer, short max);
// mode 0: from the top (time 0, queue position kept); 1: continue.
SMPUAPI SMPURESULT WINAPI SMPUSeqQStart(short handle, short mode);
// Stops the clock; flag 0 keeps the queued words, 1 drops them.
SMPUAPI SMPURESULT WINAPI SMPUSeqStop(short handle, short flag);
// Stops the clock and drops the queued words.
SMPUAPI SMPURESULT WINAPI SMPUSeqSuspend(short handle);
// Plays on from the queue; with flag nonzero the time becomes position.
SMPUAPI SMPURESULT WINAPI SMPUSeqRStart(short handle, short flag, DWORD position);
SMPUAPI SMPURESULT WINAPI SMPUGetSeqStatus(short handle);
SMPUAPI SMPURESULT WINAPI SMPUPanic(short handle);

// Time.
SMPUAPI SMPURESULT WINAPI SMPUGetCurTime(short handle, DWORD* time);
// The frame type is read from hms->frameType.
SMPUAPI SMPURESULT WINAPI SMPUTimeUnit2Hms(DWORD time, SMPUHMS* hms);
// SMPU_HMS_CONVERTED, or the SMPU_HMS_* bits of every field the interface
// cannot count (time unchanged); SMPU_ERR_PARAM for a null record or time,
// an unknown frame type or bits of 30000 or more.
SMPUAPI SMPURESULT WINAPI SMPUHms2TimeUnit(const SMPUHMS* hms, DWORD* time);
#define SMPU_HMS_CONVERTED 0x01
#define SMPU_HMS_HOURS 0x02     // hours above 23
#define SMPU_HMS_MINUTES 0x04   // minutes above 59
#define SMPU_HMS_SECONDS 0x08   // seconds above 59
#define SMPU_HMS_FRAMES 0x10    // no such frame at this frame type
#define SMPU_HMS_DROPPED 0x20   // a frame drop-frame counting skips
// Sets the sequencer time, and the time code generator's.
SMPUAPI SMPURESULT WINAPI SMPUSetTC(short handle, const SMPUHMS* hms);
// The time code generator: from the current time, the device time runs
// (SMPUGetCurTime follows it while the sequencer does not play) and MIDI
// time code quarter frames (0xF1) go out on port A until SMPUTCStop, which
// leaves the time where the generator was.
SMPUAPI SMPURESULT WINAPI SMPUTCStart(short handle);
SMPUAPI SMPURESULT WINAPI SMPUTCStop(short handle);
// Song position (sixteenths) to ticks of 1/480 quarter.
SMPUAPI SMPURESULT WINAPI SMPUSpp2Clock(short handle, WORD spp, DWORD* clock);

// Events. SMPUGetEvent returns the pending bits within mask and clears them.
SMPUAPI SMPURESULT WINAPI SMPUGetEvent(short handle, WORD mask);
// Monitor words: each played 0xE3nn mark with its value, while the monitor
// switch is on.
SMPUAPI SMPURESULT WINAPI SMPUGetMonBlock(short handle, WORD* buffer, short max);
// 1 with an item, 0 when none (this library has none).
SMPUAPI SMPURESULT WINAPI SMPUGetTimeInfo(short handle, BYTE* code, DWORD* time);
SMPUAPI SMPURESULT WINAPI SMPUGetSPPSSL(short handle, BYTE* kind, WORD* value);
// Five bytes: hours, minutes, seconds, frames of the current time, frame type.
SMPUAPI SMPURESULT WINAPI SMPUGetReportInfo(short handle, BYTE* report);
SMPUAPI SMPURESULT WINAPI SMPUGetGateEv(short handle);
// The last error code (a negative result of the clock thread), 0 none; clears it.
SMPUAPI SMPURESULT WINAPI SMPUGetErrorInfo(short handle);

// Output. word1 = status x 256 + interface channel (0xF2: + port), word2 =
// data1 x 256 + data2. SMPU_ERR_BUSY when the device is not ready.
SMPUAPI SMPURESULT WINAPI SMPUPutLineMesDWord(short handle, WORD word1, WORD word2);
// System Exclusive: 0xF0 x 256 + port selector (0x00 A, 0x10 B), then the
// bytes two a word up to the word holding 0xF7; several messages may follow
// each other.
SMPUAPI SMPURESULT WINAPI SMPUPutLineMesBlock(short handle, const WORD* words, short count);

// Call log kept for tests: one line per call, "Name arg arg ...".
SMPUAPI int WINAPI RdsCallLogCount(void);
// Copies entry index into buf (size bytes with the terminator); returns its
// length, or -1 when there is no such entry.
SMPUAPI int WINAPI RdsCallLogEntry(int index, char* buf, int size);
SMPUAPI void WINAPI RdsCallLogClear(void);
// The next count calls of SMPUPutSeqBlock fail with SMPU_ERR_DEVICE and take
// nothing (for tests of a caller's retry).
SMPUAPI void WINAPI RdsFailSeqPuts(int count);
// The next SMPUPutSeqBlock that takes words queues them, sets reached and
// waits for release (at most 10 s) before it returns: a caller slow to hear
// what the device took (for tests of what the caller does meanwhile). Null
// handles cancel it.
SMPUAPI void WINAPI RdsHoldSeqPut(HANDLE reached, HANDLE release);
