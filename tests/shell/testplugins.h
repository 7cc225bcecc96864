// The logging test plug-in (zktestplugin.dll) loaded into slot 0 of the
// running shell for the life of the object; its calls go to a log of its own.
#pragma once
#include <string>
#include <vector>

#include "testsupport.h"

class InProcessTestPlugin {
 public:
  InProcessTestPlugin();
  ~InProcessTestPlugin();
  InProcessTestPlugin(const InProcessTestPlugin&) = delete;
  InProcessTestPlugin& operator=(const InProcessTestPlugin&) = delete;
  // True when the plug-in registered in slot 0.
  bool Loaded() const;
  // Its calls so far, oldest first, without the library's name.
  std::vector<std::string> Calls() const;
  // Forgets the calls so far.
  void ClearCalls() const;

 private:
  TempDir dir_;
  std::string log_;
};
