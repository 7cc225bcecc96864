// Resource ids of the Super MPU engine.
#pragma once
#define IDS_APPLET_TITLE 5527
#define IDS_APPLET_VERSION 5528
#define IDS_OLD_DRIVER 5529
