#include "settings.h"

AppSettings g_settings;
