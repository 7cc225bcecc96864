#include "pathname.h"
#include "controlfiles.h"

#include <cstring>

#include "appglobals.h"
#include "engine.h"
#include "msgbox.h"
#include "plugins.h"
#include "progressdlg.h"
#include "resource.h"
#include "settings.h"
#include "wholefile.h"

HGLOBAL g_controlImages[2];
bool g_controlImageMarked[2];

namespace {

// Plug-ins that took a control file in the current read, with their steps.
bool g_pluginTook[kControllerPluginSlots];
uint32_t g_pluginSteps[kControllerPluginSlots];

const char kMaker[] = "HALVERSTROMMA";

const char* DefaultExtension(ControlFileKind kind) { return kind == kControlMT32 ? ".cm6" : ".gsd"; }
DWORD ImageSize(ControlFileKind kind) { return kind == kControlMT32 ? kMT32ImageSize : kGSImageSize; }

// The plug-in that takes the file, or -1. knownBy is set when any plug-in
// recognised it.
int OfferToPlugins(HGLOBAL head, bool& knownBy) {
  knownBy = false;
  int taker = -1;
  for (int i = 0; i < kControllerPluginSlots; ++i) {
    ControllerPlugin& p = g_plugins[i];
    if (p.id == 0 || !p.knowsControlFile) continue;
    if (p.knowsControlFile(p.id, head, 0) == 0) continue;
    knownBy = true;
    if (taker < 0 && !g_pluginTook[i] && p.information) taker = i;
  }
  return taker;
}

// Reads the file into the block the plug-in names and hands it over.
bool GiveToPlugin(int slot, HANDLE file, const std::string& path) {
  ControllerPlugin& p = g_plugins[slot];
  ControllerInfo info{};
  info.size = sizeof info;
  if (!p.information(p.id, &info) || !info.controlBlock) return false;
  ReadFileIntoBlock(file, info.controlBytes, info.controlBlock);
  if (p.songData && p.songData != info.controlBlock) GlobalFree(p.songData);
  p.songData = info.controlBlock;
  if (p.setSongData) p.setSongData(p.id, p.songData, path.c_str());
  g_pluginTook[slot] = true;
  g_pluginSteps[slot] = info.progressSteps;
  return true;
}

void LoadControlFile(const char* songPath, const char name[16], ControlFileKind kind) {
  std::string path = ControlFilePath(songPath, name, kind);
  if (path.empty()) return;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessageById(nullptr, MB_OK | MB_ICONEXCLAMATION, IDS_CANNOT_OPEN, path.c_str());
    return;
  }
  HGLOBAL head = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, kControlHeadSize);
  DWORD headBytes = head ? ReadFileIntoBlock(file, kControlHeadSize, head) : 0;
  bool knownBy = false;
  int taker = head ? OfferToPlugins(head, knownBy) : -1;
  bool taken = taker >= 0 && GiveToPlugin(taker, file, path);
  if (!taken) {
    const void* bytes = head ? GlobalLock(head) : nullptr;
    bool signature = bytes && HasControlSignature(kind, bytes, headBytes);
    if (head) GlobalUnlock(head);
    bool loaded = false;
    if (signature) {
      // A file shorter than its image is refused rather than sent half empty.
      HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, ImageSize(kind));
      if (image && ReadFileIntoBlock(file, ImageSize(kind), image) == ImageSize(kind)) {
        if (g_controlImages[kind]) GlobalFree(g_controlImages[kind]);
        g_controlImages[kind] = image;
        g_controlImageMarked[kind] = true;
        loaded = true;
      } else if (image) {
        GlobalFree(image);
      }
    }
    if (!loaded) {
      ShowMessageById(nullptr, MB_OK | MB_ICONEXCLAMATION,
                      knownBy ? IDS_CONTROL_NOT_LOADABLE : IDS_CONTROL_UNKNOWN, path.c_str());
    }
  }
  if (head) GlobalFree(head);
  CloseHandle(file);
}

}  // namespace

void FreeControlFileImages() {
  for (int i = 0; i < 2; ++i) {
    if (g_controlImages[i]) GlobalFree(g_controlImages[i]);
    g_controlImages[i] = nullptr;
    g_controlImageMarked[i] = false;
  }
}

bool HasControlSignature(ControlFileKind kind, const void* head, size_t size) {
  auto* b = static_cast<const char*>(head);
  if (kind == kControlMT32) {
    if (size < 23 || std::memcmp(b, kMaker, 13) != 0 || b[13] || b[14] || b[15]) return false;
    return std::memcmp(b + 16, "R CM-64", 7) == 0 || std::memcmp(b + 16, "R MT-32", 7) == 0;
  }
  return size >= 28 && std::memcmp(b, kMaker, 13) == 0 && b[13] == 0 &&
         std::memcmp(b + 14, "GS CONTROL 1.0", 14) == 0;
}

std::string ControlFilePath(const char* songPath, const char name[16], ControlFileKind kind) {
  std::string stored(name, strnlen(name, 16));
  stored.erase(stored.find_last_not_of(' ') + 1);
  // Only the name counts: the file is looked for beside the song.
  stored.erase(0, PathNameStart(stored));
  if (stored.empty()) return {};
  if (stored.find('.') == std::string::npos) stored += DefaultExtension(kind);
  return PathFolder(songPath ? songPath : "") + stored;
}

void LoadControlFiles(const char* songPath, const char mt32Name[16], const char gsName[16]) {
  std::memset(g_pluginTook, 0, sizeof g_pluginTook);
  std::memset(g_pluginSteps, 0, sizeof g_pluginSteps);
  g_controlImageMarked[kControlMT32] = g_controlImageMarked[kControlGS] = false;
  LoadControlFile(songPath, mt32Name, kControlMT32);
  LoadControlFile(songPath, gsName, kControlGS);
}

void SendControlData(HWND frame) {
  int total = 0;
  for (int i = 0; i < kControllerPluginSlots; ++i) {
    if (g_pluginTook[i]) total += static_cast<int>(g_pluginSteps[i]);
  }
  bool sendGS = g_controlImageMarked[kControlGS] && g_controlImages[kControlGS];
  bool sendMT32 = g_controlImageMarked[kControlMT32] && g_controlImages[kControlMT32];
  if (sendGS) total += 108;
  if (sendMT32) total += 103;
  if (total == 0) return;
  HWND dialog = CreateProgressDialog(frame, LoadAppString(IDS_SENDING_CONTROL).c_str());
  int progress = 0;
  for (int i = 0; i < kControllerPluginSlots; ++i) {
    ControllerPlugin& p = g_plugins[i];
    if (g_pluginTook[i] && p.id != 0 && p.sendControlData)
      p.sendControlData(p.id, dialog, &progress, total, 0);
  }
  if (sendMT32 && g_engine.sendMT32All)
    g_engine.sendMT32All(dialog, g_controlImages[kControlMT32], g_settings.laPort,
                         g_settings.pcmPort, &progress, total, 0);
  if (sendGS && g_engine.gsSendAll)
    g_engine.gsSendAll(dialog, g_controlImages[kControlGS], g_settings.gsPort, &progress, total, 0);
  if (dialog) DestroyProgressDialog(dialog);
}
