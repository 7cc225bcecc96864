// Resource ids of the timer engine.
#pragma once
#define IDS_APPLET_TITLE 5527
#define IDS_APPLET_VERSION 5528
