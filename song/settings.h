// Program-wide settings of the shared settings file.
#pragma once

struct AppSettings {
  int titleBar = 3;     // [Default Display] TitleBar bits
  int makeBackup = 1;   // [OTHER] MakeBackup
};
extern AppSettings g_settings;
