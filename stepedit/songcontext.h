// The open song as the step editor's model sees it: built from the song
// document, the song header and the settings, its tables locked for the
// holder's life.
#pragma once
#include <windows.h>

#include "editmodel.h"

class OpenSongContext {
 public:
  // The frame's song; an empty context (no tables) when it has none.
  explicit OpenSongContext(HWND frame);
  OpenSongContext();
  ~OpenSongContext();
  OpenSongContext(const OpenSongContext&) = delete;
  OpenSongContext& operator=(const OpenSongContext&) = delete;

  StepSongContext& get() { return ctx_; }
  StepSongContext* operator->() { return &ctx_; }

 private:
  HWND frame_;
  bool locked_ = false;
  HLOCAL handleTable_ = nullptr;
  HGLOBAL trackWindows_ = nullptr;
  StepSongContext ctx_;
};
