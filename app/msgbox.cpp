#include "msgbox.h"

#include <cstdio>
#include <vector>

#include "appglobals.h"
#include "filecmd.h"
#include "plugins.h"
#include "resource.h"
#include "songfile.h"
#include "songmodel.h"

namespace {

MessageBoxHook g_hook = nullptr;

// The texts come from our own string table; a long argument (a file name)
// never overruns: the message grows to fit.
template <typename Arg>
std::string FormatMessageText(UINT stringId, Arg argument) {
  std::string format = LoadAppString(stringId);
  int n = std::snprintf(nullptr, 0, format.c_str(), argument);
  if (n < 0) return format;
  std::vector<char> buf(n + 1);
  std::snprintf(buf.data(), buf.size(), format.c_str(), argument);
  return std::string(buf.data(), n);
}

int ShowFormatted(UINT style, UINT stringId, const std::string& text) {
  MessageBoxCall call{stringId, text, LoadAppString(IDS_APP_TITLE), style};
  g_app.modalFlag = 1;
  int result = g_hook ? g_hook(call)
                      : MessageBoxA(g_app.frame, call.text.c_str(), call.caption.c_str(), style);
  g_app.modalFlag = 0;
  return result;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }

int ShowMessageById(HWND, UINT style, UINT stringId, const char* argument) {
  return ShowFormatted(style, stringId, FormatMessageText(stringId, argument ? argument : ""));
}

int ShowMessageById(HWND, UINT style, UINT stringId, long argument) {
  return ShowFormatted(style, stringId, FormatMessageText(stringId, argument));
}

int ShowMessageById(HWND, UINT style, UINT stringId) {
  return ShowFormatted(style, stringId, FormatMessageText(stringId, 0L));
}

int QuerySaveAll(UINT stringId) {
  if (AnyTrackModified()) {
    int answer = ShowMessageById(nullptr, MB_YESNOCANCEL | MB_ICONQUESTION, stringId,
                                 g_song.fileName);
    // A save that failed, or a name that was not given, must not let the
    // caller drop the song.
    if (answer == IDYES) return SaveToSongName(g_app.frame);
    return answer == IDNO ? 1 : 0;
  }
  for (const ControllerPlugin& p : g_plugins) {
    if (p.id != 0 && p.closeHook && p.closeHook(p.id, stringId) == 0) return 0;
  }
  return 1;
}
