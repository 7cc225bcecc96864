// Resource ids of the play monitor library.
#pragma once
#define IDS_PLAYMON_TITLE 100
#define IDS_PLAYMON_VERSION 101
#define IDS_PLAYMON_STRIPS 102
