// Resource ids of zkfw32: string table, menus, dialogs, icons.
#pragma once

// String table.
#define IDS_SONG_EXT 6              // ".G36"
#define IDS_QUERY_SAVE_EXIT 7
#define IDS_QUERY_SAVE_REPLACE 8
#define IDS_UNTITLED 17
#define IDS_APP_TITLE 18
#define IDS_SONG_EXT18 20
#define IDS_NEW_SONG 21
#define IDS_NEW_SONG18 97
#define IDS_CANNOT_CREATE 3
#define IDS_CANNOT_WRITE 4
#define IDS_TRACK_MIX_CONFIRM 1906
#define IDS_BACKUP_EXT 1929
#define IDS_TRACK_MIX_TOO_BIG 1930
#define IDS_TRACK_FULL 1931
#define IDS_ASK_CONVERT 1934
#define IDS_RECORD_TOO_BIG 1935
#define IDS_NO_RECORD_TRACK 1937
#define IDS_PAUSE_ITEM 1990
#define IDS_RESUME_ITEM 1991

#define IDS_CANNOT_OPEN 1
#define IDS_NOT_SONG_DATA 1927
#define IDS_SENDING_CONTROL 1941
#define IDS_CONTROL_NOT_LOADABLE 1948
#define IDS_CONTROL_UNKNOWN 1949
#define IDS_TOO_MANY_TRACKS 1950
#define IDS_GS_RESET_SEQUENCE 1995
#define IDS_MT32_RESET_SEQUENCE 1997
#define IDS_APPEND_TRACK_FULL 6406
#define IDS_CANNOT_READ 2
#define IDS_QUERY_OVERWRITE 19
#define IDS_USEREXCL_EXT 26         // ".REX"
#define IDS_PART_EXT 28             // ".GRT"
#define IDS_PART_LOAD_TITLE 43
#define IDS_PART_SAVE_TITLE 44
#define IDS_NOT_PART_DATA 1926
#define IDS_NOT_USEREXCL_DATA 1928
#define IDS_PART_PREVIEW 1940
#define IDS_SETDATA_SAVE_TITLE 6407
#define IDS_SETDATA_LOAD_TITLE 6408
// The frame: menu, accelerators and icon 1; child window icons.
#define IDR_FRAME 1
#define IDI_CHILD 2
#define IDI_NAMELIST 5
#define IDI_TRACKS 6
#define IDI_CONDUCTOR 8
#define IDI_EXCLUSIVE 9
#define IDI_ERRLOG 11
#define IDI_SEARCHLOG 12
#define IDS_TRACKVIEW_TITLE 38
#define IDS_TRACKSET_TITLE 39
#define IDS_RECORD_TITLE 40
#define IDS_CONDUCTOR_TITLE 41
#define IDS_PLAYMON_TITLE 42
#define IDS_ERRLOG_TITLE 1923
#define IDS_SEARCHLOG_TITLE 1924
#define IDS_RECORD_BUFFER_FULL 1938
#define IDS_UNKNOWN_ERROR 1951
#define IDS_RUN_ERROR_BASE 1952     // + program-start error 1-21
#define IDS_NAMELIST_TITLE 6580
#define IDS_USEREXCL_TITLE 1921
// Frame menu commands.
#define IDM_FILE_NEW 1001
#define IDM_FILE_OPEN 1002
#define IDM_FILE_SAVE 1003
#define IDM_FILE_SAVEAS 1004
#define IDM_FILE_EXIT 1006
#define IDM_FILE_SAVENAMED 1011     // save under the song's own name
#define IDM_FILE_RECENT_FIRST 2360  // 2360-2364, the recent files
#define IDM_FILE_RECENT_LAST 2364
#define IDM_FILE_SEND 2349
#define IDM_FILE_PRINT 40017
#define IDM_PLAY_START 2350
#define IDM_PLAY_KEY 2351
#define IDM_PLAY_STOP 2352
#define IDM_PLAY_PAUSE 2353
#define IDM_PLAY_RECORD 2355
#define IDM_PLAY_POINTEDIT 2356
#define IDM_PLAY_MEASURE 2158
#define IDM_PLAY_POINT 2159
#define IDM_PLAY_TRACK 2160
#define IDM_VIEW_SCORE 2178
#define IDM_VIEW_NAMELIST 4005
#define IDM_VIEW_TRKSET 4006
#define IDM_VIEW_TRKVIEW 4007
#define IDM_VIEW_RECORD 4008
#define IDM_VIEW_PLAYPAL 4009
#define IDM_VIEW_PIANOPAL 4010
#define IDM_VIEW_CONDUCTOR 4011
#define IDM_OTHER_FONT 6000
#define IDM_OTHER_PANIC 6100
#define IDM_OTHER_TUNE 6102
#define IDM_OTHER_SENDCTRL 2161
#define IDM_WINDOW_TILE 4001
#define IDM_WINDOW_CASCADE 4002
#define IDM_WINDOW_CLOSEALL 4003
#define IDM_WINDOW_ARRANGE 4004
#define IDM_HELP_TOPICS 40014
#define IDM_HELP_FAVORITES 40020
#define IDM_HELP_ABOUT 5002
#define IDM_ERRLOG_CLEAR 6110
#define IDM_ERRLOG_JUMP 6111
#define IDM_SEARCHLOG_CLEAR 6115
#define IDM_SEARCHLOG_JUMP 6116
#define IDM_JUMP 2216
// Dialogs of the step editor's fields (track, measure, step and their spins).
#define IDD_JUMP 610
#define IDD_POINTEDIT 615
#define IDC_FIELD_MEASURE 100
#define IDC_FIELD_STEP 102
#define IDC_SPIN_MEASURE 106
#define IDC_SPIN_STEP 108
#define IDC_FIELD_TRACK 112
#define IDC_SPIN_TRACK 113
// (new string ids above this line)

// Status line and tool palette.
#define IDS_STATUS_FONT_FACE 6550   // face of the status line's font
#define IDD_TOOLPALETTE "MODELESSBOX"
// Help texts of the tool palette's commands: string id = command id.
#define IDS_HELP_OPEN 1002
#define IDS_HELP_SAVEAS 1004
#define IDS_HELP_UNDO 2700
#define IDS_HELP_CUT 2701
#define IDS_HELP_COPY 2702
#define IDS_HELP_PASTE 2703
#define IDS_HELP_JUMP 2216
#define IDS_HELP_PLUS 2321
#define IDS_HELP_MINUS 2322
#define IDS_HELP_NAMELIST 4005
#define IDS_HELP_TRKSET 4006
#define IDS_HELP_RECORD 4008
#define IDS_HELP_CONDUCTOR 4011
#define IDS_HELP_PANIC 6100
#define IDS_HELP_TUNE 6102

// Binding and MIDI port set-up.
#define IDS_PORTS_IN_USE 1946
#define IDS_PORT_DEVICES_MISSING 1939  // the ports whose devices are not there
#define IDS_PORT_OUT_LINE 6610         // "%c: %s", port letter and device name
#define IDS_PORT_IN_LINE 6611

// File dialogs: the song open dialog (template 2000, load options 146, memo 1740).
#define IDD_OPEN_TEMPLATE 2000
#define IDC_OPEN_TITLE 2048         // read-only edit: the selected song's title
#define IDC_OPEN_STANDARD 1119      // stc32: where the standard controls go
#define IDC_OPEN_OPTIONS 1042       // "設定..." opens dialog 146
#define IDD_OPEN_OPTIONS 146
#define IDC_READ_FROM19 98          // TrackFileMode 2 (also the old style's check box)
#define IDC_READ_APPEND 1005        // TrackFileMode 1
#define IDC_READ_NORMAL 1004        // TrackFileMode 0
#define IDS_READ_FROM19 98          // "19ﾄﾗｯｸから読む"
#define IDD_SONG_MEMO 1740
#define IDC_MEMO_TEXT 1741
// (open dialog ids above this line)

// File dialogs: part and user-exclusive files (template 2010).
#define IDD_PART_OPEN 2010             // added to both part open dialogs (explorer style)
#define IDC_PART_PREVIEW 1940          // its test button (text: IDS_PART_PREVIEW)
#define IDS_USEREXCL_SAVE_TITLE 6420
#define IDS_USEREXCL_LOAD_TITLE 6421
// (part dialog ids above this line)

// File dialogs: Save As (template 2001, save options 143).
#define IDD_SAVE_TEMPLATE 2001
#define IDD_SAVE_OPTIONS 143
#define IDC_SAVE_GROUP 1902
#define IDS_SAVE_SOME 1900      // "1-18を保存"
#define IDS_MAKE_BACKUP 1901    // ".BAKファイルを作成"
#define IDS_SAVE_ALL 99         // "すべて保存"
#define IDS_SAVE_TYPE_OWN 6590  // the own type in the Save As list
// (save dialog ids above this line)

// About box (300) and version lists.
#define IDD_ABOUT 300
#define IDC_ABOUT_SYSTEM 404        // the system version line
#define IDC_ABOUT_RUNNING 407       // "Running on:"
#define IDC_ABOUT_TEXT 418          // the version list
#define IDS_ABOUT_CAPTION 6730      // after the product name
#define IDS_SYSTEM_NT 6731
#define IDS_SYSTEM_95 6732
#define IDS_SYSTEM_WIN32S 6733
#define IDS_VERSION_COMPONENT 6734  // labels of a version list entry
#define IDS_VERSION_DESCRIPTION 6735
#define IDS_VERSION_BUILD 6736
#define IDS_VERSION_COPYRIGHT 6737
#define IDS_VERSION_TRADEMARKS 6738
#define IDS_VERSION_ERROR 6739      // a value the file lacks
// (about ids above this line)

// Print, mail, help and control-data send.
// (print and mail ids above this line)

// Web favourites (120, 121).
#define IDD_FAVORITES 120
#define IDD_FAVORITE_EDIT 121
#define IDC_FAVORITE_LIST 1013           // names, in list order
#define IDC_FAVORITE_ADD 1014
#define IDC_FAVORITE_EDIT 1015
#define IDC_FAVORITE_DELETE 1016
#define IDC_FAVORITE_NAME 1010           // entry dialog
#define IDC_FAVORITE_ADDRESS 1013        // entry dialog
#define IDS_FAVORITE_DEFAULT_NAME 6790     // used when Web0 is missing or empty
#define IDS_FAVORITE_DEFAULT_ADDRESS 6791
#define IDS_FAVORITE_NAME_EQUALS 6792      // a name must not hold "="
// (favourites ids above this line)

// Menus and popup menus.
// (menu ids above this line)

// Set-up: MIDI interface and engine (1300, 1350, 128, 129 and its lists).
#define IDD_INTERFACE 1300
#define IDC_IFACE_OUT_A 1305             // output lists of ports A-D: 1305-1308
#define IDC_IFACE_IN_A 1008              // MIDI input ports A, B: 1008, 1009
#define IDC_IFACE_IN_B 1009
#define IDC_IFACE_GS_A 1313              // radio rows A-D: GS 1313, LA 1317, PCM 1321
#define IDC_IFACE_LA_A 1317
#define IDC_IFACE_PCM_A 1321
#define IDC_IFACE_ENGINE 1325
#define IDC_IFACE_SMPU 1310
#define IDC_IFACE_POINTPLAY 1042
#define IDC_IFACE_MMEDIA 1043
#define IDD_SMPU_OPTIONS 1350
#define IDC_SMPU_ALLNOTESOFF 1355        // OptionSW 0x01
#define IDC_SMPU_SENSING 1356            // 0x02
#define IDC_SMPU_NOTEOFF_80 1357         // 0x04 clear
#define IDC_SMPU_NOTEOFF_90 1361         // 0x04 set
#define IDC_SMPU_RETRIGGER 1358          // 0x08
#define IDC_SMPU_REALTIME 1360           // [MIDIIF] RealTime
#define IDC_SMPU_MONITOR_FIRST 1362      // monitored kinds 1362-1369
#define IDD_POINTPLAY 128
#define IDC_CHASE_CHANPRESS 1036
#define IDC_CHASE_KEYPRESS 1037
#define IDC_CHASE_CONTROL 1038
#define IDC_CHASE_PROGRAM 1039
#define IDC_CHASE_BEND 1040
#define IDC_CHASE_SYSEX 1041
#define IDC_TRUANT_CHANPRESS 1021
#define IDC_TRUANT_KEYPRESS 1022
#define IDC_TRUANT_BEND 1023
#define IDC_TRUANT_PROGRAM 1024
#define IDC_TRUANT_MODULATION 1026
#define IDC_TRUANT_EXPRESSION 1028
#define IDC_TRUANT_VOLUME 1033
#define IDC_TRUANT_PAN 1034
#define IDC_EXCLWAIT 1682
#define IDC_EXCLWAIT_SPIN 1688
#define IDD_MMEDIA 129
#define IDC_MMEDIA_ON 1004
#define IDC_MMEDIA_OFF 1005
#define IDC_MMEDIA_START_MCI 1042        // buttons opening the four command lists
#define IDC_MMEDIA_START_RUN 1043
#define IDC_MMEDIA_END_MCI 1044
#define IDC_MMEDIA_END_RUN 1045
#define IDD_CMDLIST_START_MCI 130
#define IDD_CMDLIST_START_RUN 2053
#define IDD_CMDLIST_END_MCI 2052
#define IDD_CMDLIST_END_RUN 2054
#define IDC_CMDLIST_1 1010               // entries 0-5: 1010, 1013, 1015, 1011, 1014, 1053
#define IDC_CMDLIST_2 1013
#define IDC_CMDLIST_3 1015
#define IDC_CMDLIST_4 1011
#define IDC_CMDLIST_5 1014
#define IDC_CMDLIST_6 1053
#define IDS_IFACE_NONE 1301              // the port list entry of no device
#define IDS_ENGINE_REFUSED_ON_NT 6300
#define IDS_ENGINE_NO_SMPU_DRIVER 6301
#define IDS_ENGINE_NEEDS_SMPU_PORTS 6302
// (interface set-up ids above this line)

// Set-up: sound modules (1760).
#define IDD_SOUND_MODULES 1760
#define IDC_SOUNDMOD_RESET_GROUP 1761
#define IDC_SOUNDMOD_RESET_GM 1762
#define IDC_SOUNDMOD_RESET_GS 1763
#define IDC_SOUNDMOD_RESET_XG 1764
#define IDC_SOUNDMOD_RESET_CM64 1765
#define IDC_SOUNDMOD_LIST1 1768          // positions 1-4: 1768-1771
#define IDC_SOUNDMOD_OPTIONS1 1772       // 1772-1775
#define IDC_SOUNDMOD_GROUP1 1776         // 1776-1779
#define IDC_SOUNDMOD_LAST 1779
#define IDS_GM_RESET_SEQUENCE 1994
#define IDS_XG_RESET_SEQUENCE 1996
#define IDS_SOUNDMOD_NONE 1760           // the list entry of no module
// (sound module ids above this line)

// Set-up: time code (1650, 1610) and tuning (1600).
#define IDD_TUNING 1600
#define IDC_TUNING_AGAIN 1601            // "もう一度"
#define IDD_SMPTE_MODE 1610
#define IDC_SMPTE_FIRST_FIXED 1611       // 1611-1626 in the fixed system font
#define IDC_SMPTE_LAST_FIXED 1626
#define IDC_SMPTE_MODE_24 1617           // modes 0-3: 1617-1620
#define IDC_SMPTE_MODE_25 1618
#define IDC_SMPTE_MODE_29D 1619
#define IDC_SMPTE_MODE_30 1620
#define IDC_SMPTE_MODE_29 1627           // mode 4
#define IDC_SMPTE_HOUR 1621              // 1621-1625: hour, minute, second, frame, bit
#define IDC_SMPTE_MIN 1622
#define IDC_SMPTE_SEC 1623
#define IDC_SMPTE_FRAME 1624
#define IDC_SMPTE_BIT 1625
#define IDC_SMPTE_HOUR_SPIN 1629         // 1629-1633, each beside the edit 8 lower
#define IDC_SMPTE_BIT_SPIN 1633
#define IDD_SMPTE_GENERATE 1650
#define IDC_SMPTE_CAPTION 1651
#define IDC_SMPTE_STARTSTOP 1653
#define IDC_SMPTE_MODE_BUTTON 1655       // "SMPTEモードの設定..."
#define IDC_SMPTE_TIME_LABEL 1656
#define IDC_SMPTE_TIME 1657
#define IDS_SMPTE_READY 1907             // caption while stopped
#define IDS_SMPTE_RUNNING 1908           // caption while generating
#define IDS_SMPTE_START 1652             // button text while stopped
#define IDS_SMPTE_STOP 1654              // button text while generating
// (time code ids above this line)

// Fonts: the check box the score font dialog adds, and its text.
#define IDC_SCOREFONT_BITMAP 98
#define IDS_SCOREFONT_BITMAP 30098       // "固定ｻｲｽﾞのﾋﾞｯﾄﾏｯﾌﾟで表示"
// (font ids above this line)

// Set-up: display (1200), window opening (131) and display switches (260).
#define IDD_DISPSET 1200
#define IDC_DISPSET_SPLASH 1008          // banner list
#define IDC_DISPSET_PLAYMON 1009         // play monitor list
#define IDC_DISPSET_VIEW 1206
#define IDC_DISPSET_TRKVIEW 1207
#define IDC_DISPSET_STATUS_TOP 1208      // StatusBar 1, 2, 0: 1208-1210
#define IDC_DISPSET_STATUS_BOTTOM 1209
#define IDC_DISPSET_STATUS_NONE 1210
#define IDC_DISPSET_TOOL_TOP 1211        // ToolBar & 0x7F 1, 2, 0: 1211-1213
#define IDC_DISPSET_TOOL_BOTTOM 1212
#define IDC_DISPSET_TOOL_NONE 1213
#define IDC_DISPSET_TITLE_APP 1214       // TitleBar bits 1, 2, 4: 1214-1216
#define IDC_DISPSET_TITLE_SONG 1215
#define IDC_DISPSET_TITLE_FILE 1216
#define IDC_DISPSET_SWITCHES 1217        // opens dialog 260
#define IDC_DISPSET_NOTEPAL 1219
#define IDC_DISPSET_PLAYPAL 1223
#define IDC_DISPSET_TOOL_HELP 1226       // ToolBar 0x80
#define IDC_DISPSET_PIANOMON 1021        // [PianoPal] Playmon
#define IDC_DISPSET_PROGOFFSET 1022
#define IDC_DISPSET_WINDOWS 1056         // opens dialog 131
#define IDS_DISPSET_NONE 1201            // the list entry of no library
#define IDD_WINOPEN 131
#define IDC_WINOPEN_COUNT 132
#define IDC_WINOPEN_COUNT_SPIN 133
#define IDC_WINOPEN_NEW 1004             // TrSwap and WindowMaxSw 0
#define IDC_WINOPEN_CURRENT 1005         // TrSwap and WindowMaxSw 1
#define IDC_WINOPEN_STRATEGY 1006        // ChgStrategy 0-3: 1006-1009
#define IDC_WINOPEN_QKEY_SHIFTCTRL 1054
#define IDC_WINOPEN_QKEY_SHIFT 1055
#define IDD_DISPSWITCH 260
#define IDC_DISPSW_LOCGUIDE 1020         // opens the location guide set-up
#define IDC_DISPSW_CTRL1 1021            // the four control switches: 1021-1024
#define IDC_DISPSW_COLOURS 1042          // opens the colour set-up
#define IDS_DISPSW_CAPTION 1904
// (display settings ids above this line)

// Set-up: graph colours (147) and location guide (127).
#define IDD_GRAPH_SETUP 147
#define IDC_GRAPH_VELO 1021              // DisplaySW 0x002
#define IDC_GRAPH_BEND 1022              // 0x004
#define IDC_GRAPH_MODULATION 1023        // 0x010
#define IDC_GRAPH_TEMPO 1024             // 0x400
#define IDC_GRAPH_VOLUME 1029            // 0x008
#define IDC_GRAPH_EXPRESSION 1026        // 0x020
#define IDC_GRAPH_GTLINE 1033            // 0x001
#define IDC_GRAPH_CTRL1 1028             // DispCtrlSw0-3
#define IDC_GRAPH_CTRL2 1034
#define IDC_GRAPH_CTRL3 1036
#define IDC_GRAPH_CTRL4 1037
#define IDC_GRAPH_COLOUR_FIRST 1042      // colour buttons of rows 0-10: 1042-1052
#define IDC_GRAPH_CTRLNO1 1010           // DispCtrlNo0-3
#define IDC_GRAPH_CTRLNO2 1013
#define IDC_GRAPH_CTRLNO3 1015
#define IDC_GRAPH_CTRLNO4 1011
#define IDC_GRAPH_CTRLNO1_SPIN 1012
#define IDC_GRAPH_CTRLNO2_SPIN 1014
#define IDC_GRAPH_CTRLNO3_SPIN 1016
#define IDC_GRAPH_CTRLNO4_SPIN 1018
#define IDD_LOCGUIDE 127
#define IDC_LOCGUIDE_STATUS 1004         // locPal 0
#define IDC_LOCGUIDE_PALETTE 1005        // locPal 1, or 3 with the GT location
#define IDC_LOCGUIDE_GTLOC 1026
#define IDC_LOCGUIDE_MEASURE 1021        // locSW 0x01
#define IDC_LOCGUIDE_BEAT 1022           // 0x02
#define IDC_LOCGUIDE_BEATST 1028         // 0x04
#define IDC_LOCGUIDE_NOTES 1023          // 0x08
#define IDC_LOCGUIDE_TOTALST 1024        // 0x10
#define IDC_LOCGUIDE_DIAL 1034           // 0x20
#define IDC_LOCGUIDE_PLAYTIME 1033       // PlayTimer
#define IDC_LOCGUIDE_BEAT_FROM0 1006     // locBeat1 0
#define IDC_LOCGUIDE_BEAT_FROM1 1007     // locBeat1 1
#define IDC_LOCGUIDE_LOCREST 1008        // locLoc 1
#define IDC_LOCGUIDE_TOBEAT 1009         // locLoc 0
#define IDC_LOCGUIDE_SIGN 1029           // locSign
#define IDC_LOCGUIDE_RATIO 1030          // locRatio track bar
#define IDC_LOCGUIDE_EXAMPLE1 1031
#define IDC_LOCGUIDE_EXAMPLE2 1032
// (graph and location guide ids above this line)

// Set-up: key (1000), drag-and-drop (1450), start-up (1550), other (1100)
// and auto-save (148) settings; f-key ST/GT (840) and rhythm K# (500).
#define IDD_KEYSET 1000
#define IDC_KEYSET_FKEYSTGT 1020         // opens dialog 840
#define IDC_KEYSET_ESCRET 1021           // [KEY] ESCRET .. FKEYREST: 1021-1026
#define IDC_KEYSET_F1F10 1022
#define IDC_KEYSET_HOMEHELP 1023
#define IDC_KEYSET_CTRLCV 1024
#define IDC_KEYSET_ICARET 1025
#define IDC_KEYSET_FKEYREST 1026
#define IDC_KEYSET_SHIFTUPDOWN 1027      // SHIFTUPDOWN 0-2: 1027-1029
#define IDC_KEYSET_REVERSE 1030          // REVERSUPDOWN 0-1: 1030, 1031
#define IDD_DRAGDROP 1450
#define IDC_DRAGDROP_FIRST 1452          // DragDropEdit 0-3: 1452-1455
#define IDD_STARTUP 1550
#define IDC_STARTUP_THRU_ON 1552         // MIDITHRU 1, 0, 2: 1552-1554
#define IDC_STARTUP_RECPORT_A 1556       // MIDIRECPort 0, 1: 1556, 1557
#define IDC_STARTUP_EDITMODE 1559        // EditMode 0-5: 1559-1564
#define IDC_STARTUP_ACTIVE 1566          // ActiveWindow 0-5: 1566-1571
#define IDD_OTHERSET 1100
#define IDC_OTHERSET_TIMEBASE 1124
#define IDC_OTHERSET_ORGTRACK 130
#define IDC_OTHERSET_ORGTRACK_SPIN 131
#define IDC_OTHERSET_MAXTRACK 132
#define IDC_OTHERSET_MAXTRACK_SPIN 133
#define IDC_OTHERSET_BACKUP 1112
#define IDC_OTHERSET_INVELOCITY 1113
#define IDC_OTHERSET_SKIPEVENT 1021
#define IDC_OTHERSET_AUTOCONVERT 1106
#define IDC_OTHERSET_LOADAFTER 1114      // SongLoadAfter bits 1, 2, 4: 1114-1116
#define IDC_OTHERSET_LOADTBCVT 1125
#define IDC_OTHERSET_PLAYMON 1117
#define IDC_OTHERSET_TRACKMON 1118
#define IDC_OTHERSET_MEMORY 1121
#define IDC_OTHERSET_PIANO 1122
#define IDC_OTHERSET_AUTOSAVE 1042       // opens dialog 148
#define IDC_OTHERSET_RHYTHM 1107         // opens dialog 500
#define IDS_OTHERSET_TIMEBASE_RANGE 1199
#define IDD_AUTOSAVE 148
#define IDC_AUTOSAVE_ON 1060             // AutoSave 0x01
#define IDC_AUTOSAVE_SONGNAME 1021       // AutoSave 0x02
#define IDC_AUTOSAVE_INTERVAL 1111
#define IDC_AUTOSAVE_INTERVAL_SPIN 1012
#define IDC_AUTOSAVE_HISTORY 1110
#define IDC_AUTOSAVE_HISTORY_SPIN 1014
#define IDC_AUTOSAVE_PATH 1015
#define IDD_FKEYSTGT 840
#define IDC_FKEYSTGT_ST 853              // ST of f-keys 1-10: 853-862
#define IDC_FKEYSTGT_GT 863              // GT: 863-872
#define IDC_FKEYSTGT_SPIN 873            // spinners 873-892, each 20 above its edit
#define IDD_RHYASSIGN 500
#define IDC_RHYASSIGN_SCROLL 501
#define IDC_RHYASSIGN_KEY 503            // rows 0-7: K# 503-510, GT 511-518, name 519-526
#define IDC_RHYASSIGN_GATE 511
#define IDC_RHYASSIGN_NAME 519
#define IDC_RHYASSIGN_SPIN 531           // spinners 531-546, each 28 above its edit
// (key and other settings ids above this line)
