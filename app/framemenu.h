// The frame's menu brought up to date each time it opens.
#pragma once
#include <windows.h>

#include "menustate.h"

// The menu state of the program as it stands now.
MenuInputs CurrentMenuInputs();

// Greys, enables, checks and re-labels the menu's items (and item 2700 of the
// step editor's popup menu), then lets each controller plug-in set its own.
void UpdateFrameMenus(HMENU menu);
