#include "mailcmd.h"

#include <vector>

#include "msgbox.h"
#include "pathname.h"
#include "programstate.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"

std::string AttachmentName(const std::string& songPath) { return songPath.substr(PathNameStart(songPath)); }

void MailCommand(HWND frame) {
  auto send = reinterpret_cast<MapiSendDocumentsFn>(g_prog.mapiSendDocuments);
  if (!send) return;
  char folder[MAX_PATH + 1] = "";
  DWORD length = GetTempPathA(sizeof folder, folder);
  char copy[MAX_PATH] = "";
  if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "zk", 0, copy)) {
    ShowMessageById(frame, MB_OK | MB_ICONSTOP, IDS_CANNOT_CREATE, folder);
    return;
  }
  if (WriteSongCopy(frame, copy) == kWriteOk) {
    std::string name = AttachmentName(g_song.fileName);
    // Simple MAPI takes writable strings.
    std::vector<char> delimiter{';', '\0'};
    std::vector<char> path(copy, copy + lstrlenA(copy) + 1);
    std::vector<char> shown(name.begin(), name.end());
    shown.push_back('\0');
    send(reinterpret_cast<ULONG_PTR>(frame), delimiter.data(), path.data(), shown.data(), 0);
  }
  DeleteFileA(copy);
}
