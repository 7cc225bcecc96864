#include "plugins.h"

ControllerPlugin g_plugins[kControllerPluginSlots];
