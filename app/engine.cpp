#include "engine.h"

EngineEntries g_engine;
