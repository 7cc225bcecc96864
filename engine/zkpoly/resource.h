// Resource ids of the stream engine.
#pragma once
#define IDS_APPLET_TITLE 5527
#define IDS_APPLET_VERSION 5528
