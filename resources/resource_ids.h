// Numbers of the string table, bitmaps, icon and cursor. Shared by the
// resource script (plain #defines) and the C++ code.
#ifndef RIVANO_RESOURCE_IDS_H
#define RIVANO_RESOURCE_IDS_H

#define IDS_APP_TITLE 100
#define IDS_RUNTIME_ERROR 101
#define IDS_ERROR_SOURCE 102
#define IDS_QUOTE_OPEN 103
#define IDS_QUOTE_CLOSE 104
#define IDS_SELECT_PICTURE 105
#define IDS_ADVICE_PATH 106
#define IDS_ADVICE_CHECK_FILE 107
#define IDS_ADVICE_CANNOT_READ 108
#define IDS_ADVICE_BAD_PICTURE 109
#define IDS_ADVICE_UNKNOWN 110
#define IDS_ADVICE_TELL_US 111
#define IDS_FILE_MISSING 114
#define IDS_SECOND_INSTANCE 115
#define IDS_NO_ARCHIVER_DLL 120
// A shortcut that could not be written: the heading, the folder's line,
// then one reason.
#define IDS_SHORTCUT_FAILED 123
#define IDS_SHORTCUT_FOLDER 124
#define IDS_SHORTCUT_FOLDER_UNKNOWN 125
#define IDS_SHORTCUT_FOLDER_MISSING 126
#define IDS_SHORTCUT_ACCESS_DENIED 127
#define IDS_SHORTCUT_UNKNOWN_REASON 128
#define IDS_MAIN_TITLE 500
// Column headings of the picture list.
#define IDS_COLUMN_NAME 671
#define IDS_COLUMN_SIZE 672
#define IDS_COLUMN_TYPE 673
#define IDS_COLUMN_DATE 674
#define IDS_COLUMN_ATTRIBUTES 675
// The display name of the archive filter of the open dialog.
#define IDS_ARCHIVE_FILTER_NAME 676
#define IDS_SECONDS_UNIT 719  // after the slider value of the auto-exit time
#define IDS_VERSION_PREFIX 803
#define IDS_VERSION_DOT 804
#define IDS_LICENSED_TO 805
#define IDS_HOME_PAGE 810
// The sixth tab of the options dialog: the wallpaper options.
#define IDS_EXTRAS_TAB 1101
#define IDS_EXTRAS_TAB_TIP 1102
#define IDS_EXTRAS_FRAME 1103
#define IDS_DRAW_EVENLY 1104
#define IDS_DRAW_EVENLY_TIP 1105
#define IDS_NO_REPEAT 1106
#define IDS_NO_REPEAT_TIP 1107
#define IDS_PER_MONITOR 1108
#define IDS_PER_MONITOR_TIP 1109
#define IDS_FILL_SCREEN 1110
#define IDS_FILL_SCREEN_TIP 1111
#define IDS_TITLE_DATA_TYPE 1001
#define IDS_TITLE_SHELL_EXECUTE 1002
#define IDS_TITLE_OPTIONS_CHANGE 1003
#define IDS_TITLE_OPTIONS_HISTORY 1004
#define IDS_TITLE_MAIN_CHANGE 1005
#define IDS_TITLE_ACCESS_FILE 1008
#define IDS_TITLE_COMMAND_WALL 1009
#define IDS_TITLE_ITEM_CLICK 1010
// Run-time error descriptions: IDS_ERROR_BASE + error number; the base
// itself is the text for numbers without one of their own.
#define IDS_ERROR_BASE 2000

#define IDI_RIVANO 1
#define IDB_ABOUT 101
#define IDB_WIDEN 102
#define IDB_NARROW 103
#define IDC_LINK 101
// The pictures are drawn at 100, 125, 150 and 200 %: a bitmap's larger
// drawings follow its own number at this step (102, 1102, 2102, 3102).
#define IDB_SCALE_STEP 1000

#endif
