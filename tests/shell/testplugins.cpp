#include "testplugins.h"

#include <windows.h>

#include <fstream>

#include "binding.h"
#include "inprocess.h"
#include "plugins.h"

namespace {
constexpr char kPrefix[] = "zktestplugin ";
}

InProcessTestPlugin::InProcessTestPlugin() : log_(dir_.File("plugin.log")) {
  StartInProcessShell();
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", log_.c_str());
  WritePrivateProfileStringA("Plugin", "Controlor0", "zktestplugin.dll", InProcessSettings().path().c_str());
  FreeControllerPlugins();
  LoadControllerPlugins(SW_SHOWNORMAL, nullptr);
  StartControllerPlugins(SW_SHOWNORMAL);
}

InProcessTestPlugin::~InProcessTestPlugin() {
  FreeControllerPlugins();
  WritePrivateProfileStringA("Plugin", "Controlor0", nullptr, InProcessSettings().path().c_str());
  SetEnvironmentVariableA("ZK_TESTPLUGIN_LOG", nullptr);
}

bool InProcessTestPlugin::Loaded() const { return g_plugins[0].id != 0; }

std::vector<std::string> InProcessTestPlugin::Calls() const {
  std::ifstream in(log_, std::ios::binary);
  std::vector<std::string> calls;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kPrefix, 0) == 0) calls.push_back(line.substr(sizeof kPrefix - 1));
  }
  return calls;
}

void InProcessTestPlugin::ClearCalls() const { DeleteFileA(log_.c_str()); }
