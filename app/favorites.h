// Help: favourite web pages.
#pragma once
#include <windows.h>

void OpenFavorites();
