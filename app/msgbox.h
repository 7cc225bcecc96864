// Message boxes by string id, and the question asked before the open song is
// dropped.
#pragma once
#include <windows.h>
#include <string>

// Shows string stringId formatted with one argument, captioned with the
// program's title, owned by the frame window. Returns the box's result.
int ShowMessageById(HWND ignoredOwner, UINT style, UINT stringId, const char* argument);
int ShowMessageById(HWND ignoredOwner, UINT style, UINT stringId, long argument);
int ShowMessageById(HWND ignoredOwner, UINT style, UINT stringId);

// 1 when the caller may go on (saved, declined, or nothing to save and no
// plug-in objected), 0 when it must stop.
int QuerySaveAll(UINT stringId);

// What a box would show; a test installs a hook to answer boxes instead of a
// person.
struct MessageBoxCall {
  UINT stringId;
  std::string text;
  std::string caption;
  UINT style;
};
using MessageBoxHook = int (*)(const MessageBoxCall& call);
void SetMessageBoxHook(MessageBoxHook hook);
