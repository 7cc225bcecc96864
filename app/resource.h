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
// (about ids above this line)

// Print, mail, help and control-data send.
// (print and mail ids above this line)

// Web favourites (120, 121).
// (favourites ids above this line)

// Menus and popup menus.
// (menu ids above this line)
