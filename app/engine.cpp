#include "engine.h"

EngineEntries g_engine;
SmpuExtras g_smpu;
