#include "controlfiles.h"

HGLOBAL g_controlImages[2];

void FreeControlFileImages() {
  for (HGLOBAL& h : g_controlImages) {
    if (h) GlobalFree(h);
    h = nullptr;
  }
}
