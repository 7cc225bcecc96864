// Resource ids of the splash libraries.
#pragma once
#define IDS_LOGO_TITLE 100
#define IDS_LOGO_VERSION 101
#define IDC_LOGO_TEXT 1001
#define IDD_PLUGIN_LOGO 1800
#define IDC_PLUGIN_LINE1 1801
#define IDC_PLUGIN_LINE2 1802
#define IDC_PLUGIN_LINE3 1803
