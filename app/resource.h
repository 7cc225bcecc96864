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
#define IDS_RECORD_TOO_BIG 1935

// (new string ids above this line)
