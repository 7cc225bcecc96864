#include "scoremetrics.h"

ScoreFontState g_scoreFont;
