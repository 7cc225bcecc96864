// The MT-32 and GS control-file images a song names, and their loading and
// sending after a song file is read.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

enum ControlFileKind { kControlMT32 = 0, kControlGS = 1 };
extern HGLOBAL g_controlImages[2];
// Set for an image loaded by the current read, which then sends it.
extern bool g_controlImageMarked[2];
void FreeControlFileImages();

constexpr DWORD kMT32ImageSize = 22602;
constexpr DWORD kGSImageSize = 2670;
constexpr DWORD kControlHeadSize = 64;

// A controller plug-in's information record (ordinal 101), 172 bytes in the
// 32-bit build; the block handle is pointer-sized.
#pragma pack(push, 1)
struct ControllerInfo {
  uint16_t size;            // 172, set by the host
  uint16_t pad;
  uint32_t controlBytes;    // bytes of a control file the plug-in takes
  uint32_t flags;
  uint32_t progressSteps;   // progress steps its sending needs
  HGLOBAL controlBlock;     // block (the plug-in's) the file is read into
  uint8_t rest[152];
};
#pragma pack(pop)
static_assert(sizeof(ControllerInfo) == 168 + sizeof(HGLOBAL));
static_assert(sizeof(void*) != 4 || sizeof(ControllerInfo) == 172);

// True when head (at least size bytes) starts with the kind's signature.
bool HasControlSignature(ControlFileKind kind, const void* head, size_t size);

// The file a header name stands for: the song's drive and directory, the
// name without any directory of its own and trailing blanks, the default
// extension when it has none. Empty when the name is empty.
std::string ControlFilePath(const char* songPath, const char name[16], ControlFileKind kind);

// Loads the two control files the header names (MT-32 first), offering each
// to the controller plug-ins first. Remembers which plug-ins took one.
void LoadControlFiles(const char* songPath, const char mt32Name[16], const char gsName[16]);

// Sends what the last LoadControlFiles loaded: the plug-ins' control data,
// then the marked MT-32 and GS images, under one progress dialog.
void SendControlData(HWND frame);
