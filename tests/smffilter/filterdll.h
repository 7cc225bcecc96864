// The filter library loaded as a host loads it, its settings in ZKFW95.INI
// of the Windows folder, and the message boxes it shows answered and
// recorded.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "zk/song.h"

// zksmf.dll, loaded for the object's lifetime (attach-time settings are read
// when it loads), bound by ordinal.
class FilterDll {
 public:
  FilterDll();
  ~FilterDll();
  HMODULE module() const { return module_; }
  int (WINAPI* getImpVersion)(char*) = nullptr;                          // 2
  int (WINAPI* getFileExtension)(char*, int) = nullptr;                  // 3
  int (WINAPI* checkImpFile)(HGLOBAL) = nullptr;                         // 5
  int (WINAPI* readinFile)(HWND, HGLOBAL, HGLOBAL, int, int) = nullptr;  // 8
  int (WINAPI* getExpVersion)(char*) = nullptr;                          // 18
  int (WINAPI* getExpFileExtension)(char*, int) = nullptr;               // 19
  int (WINAPI* setExpFileExtension)(void*, char*, void*) = nullptr;      // 20

  // CheckImpFile on a fresh block holding the bytes.
  int Check(const std::string& bytes);

 private:
  HMODULE module_ = nullptr;
};

// Keys of ZKFW95.INI in the Windows folder; the sections the filter reads
// are emptied when the object goes.
class FilterIni {
 public:
  FilterIni();
  ~FilterIni();
  void Set(const char* section, const char* key, int value);
};

// Answers every message box of this thread with its first button and keeps
// its caption and text. A quick catcher keeps the box from being made at
// all (a shown window costs seconds under Wine) and keeps its caption only.
struct CaughtBox {
  std::string caption;
  std::string text;
};
class BoxCatcher {
 public:
  explicit BoxCatcher(bool quick = false);
  ~BoxCatcher();
  std::vector<CaughtBox> boxes;

 private:
  HHOOK hook_ = nullptr;
  bool quick_;
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
};

// The texts of the filter library's string table (code page 932).
std::string FilterText(HMODULE module, UINT id);

// Every imported track is whole: a header block numbered k and an event
// block of full size that holds an end event. Failures are reported.
void ExpectWholeSong(HGLOBAL table);
