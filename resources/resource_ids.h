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
#define IDS_EXTRAS_TAB (IDS_OPTIONS_TAB_FIRST + 5)
#define IDS_EXTRAS_TAB_TIP (IDS_OPTIONS_TAB_TIP_FIRST + 5)
#define IDS_EXTRAS_FRAME 1103
#define IDS_DRAW_EVENLY 1104
#define IDS_DRAW_EVENLY_TIP 1105
#define IDS_NO_REPEAT 1106
#define IDS_NO_REPEAT_TIP 1107
#define IDS_PER_MONITOR 1108
#define IDS_PER_MONITOR_TIP 1109
#define IDS_FILL_SCREEN 1110
#define IDS_FILL_SCREEN_TIP 1111
// The main window: its menus, buttons and their tips.
#define IDS_CHOOSE_FOLDER 116
#define IDS_OPEN_ARCHIVE 122
#define IDS_MENU_SOURCES 511
#define IDS_ADD_FOLDER 512
#define IDS_MENU_MOVE_UP 513
#define IDS_MENU_MOVE_DOWN 514
#define IDS_MENU_REMOVE_SOURCE 515
#define IDS_ADD_ARCHIVE 517
#define IDS_MENU_ADD_ARCHIVE 518
#define IDS_MENU_PICTURES 521
#define IDS_MENU_CHANGE_TO_SELECTED 522
#define IDS_MENU_DELETE_FILE 523
#define IDS_MENU_USE_VIEWER 524
#define IDS_MENU_OPTIONS 531
#define IDS_MENU_OPTION_SETTINGS 532
#define IDS_MENU_NO_CHANGE 533
#define IDS_MENU_HELP 541
#define IDS_MENU_HOME_PAGE 542
#define IDS_MENU_ABOUT 543
#define IDS_MENU_WIDEN_LIST 551
#define IDS_MENU_LIST_TYPE 552
#define IDS_MENU_DETAILS 553
#define IDS_MENU_PLAIN_LIST 554
#define IDS_MENU_SORT 555
// The sort menu's six entries, unsorted then by each column, in order.
#define IDS_MENU_SORT_FIRST 556
#define IDS_MENU_ASCENDING 562
#define IDS_MENU_DESCENDING 563
#define IDS_SOURCE_COLUMN 601
#define IDS_KIND_COLUMN 602
#define IDS_MOVE_UP 603
#define IDS_MOVE_DOWN 604
#define IDS_REMOVE_SOURCE 605
#define IDS_PICTURE_FRAME 611
#define IDS_CLOSE_ESC 614
#define IDS_TILE_FRAME 621
#define IDS_SOURCE_LIST_TIP 651
#define IDS_ADD_FOLDER_TIP 652
#define IDS_MOVE_UP_TIP 653
#define IDS_MOVE_DOWN_TIP 654
#define IDS_REMOVE_SOURCE_TIP 655
#define IDS_PICTURE_LIST_TIP 656
#define IDS_CLOSE_TIP 658
#define IDS_ADD_ARCHIVE_TIP 666
#define IDS_WIDEN_TIP 667
#define IDS_NARROW_TIP 668
// Messages of the options dialog's shortcut buttons and its uninstall.
#define IDS_STARTUP_SHORTCUT_MADE 118
#define IDS_DESKTOP_SHORTCUT_MADE 119
#define IDS_ERASE_SETTINGS_LINE1 901
#define IDS_ERASE_SETTINGS_LINE2 902
#define IDS_SETTINGS_ERASED_LINE1 903
#define IDS_SETTINGS_ERASED_LINE2 904
#define IDS_SETTINGS_ERASED_LINE3 905
// Captions both the main window and the options dialog show.
#define IDS_DELETE_FOR_GOOD 201
#define IDS_CHANGE_AND_LINE1 202
#define IDS_CHANGE_AND_LINE2 203
#define IDS_CLOSE 204
#define IDS_NOT_WANTED 205
#define IDS_USE_VIEWER 612
#define IDS_CHANGE_WALLPAPER 613
#define IDS_TILE_NEVER 622
#define IDS_TILE_ALWAYS 623
#define IDS_TILE_AUTO 624
#define IDS_TILE_DOWN 625
#define IDS_TILE_COUNT_UNIT 626
#define IDS_TILE_ACROSS 627
#define IDS_TILE_RULE_LINE1 628
#define IDS_TILE_RULE_LINE2 629
// Their tips.
#define IDS_CHANGE_WALLPAPER_TIP 657
#define IDS_SHIFT_DELETES_TIP 659
#define IDS_TILE_NEVER_TIP 660
#define IDS_TILE_ALWAYS_TIP 661
#define IDS_TILE_AUTO_TIP 662
#define IDS_TILE_DOWN_TIP 663
#define IDS_TILE_ACROSS_TIP 664
#define IDS_PREVIEW_TIP 665
// The options dialog.
#define IDS_OPTIONS_TITLE 700
#define IDS_START_MINIMIZED 702
#define IDS_AUTO_EXIT 703
#define IDS_STAY_WHILE_ACTIVE_LINE1 704
#define IDS_STAY_WHILE_ACTIVE_LINE2 705
#define IDS_AUTO_EXIT_FRAME 711
// The slider's six marks, 5 seconds to 5 minutes, in order.
#define IDS_AUTO_EXIT_MARK_FIRST 712
#define IDS_AUTO_EXIT_TEXT 718
#define IDS_HISTORY_FRAME 721
#define IDS_NO_CHANGE 732
#define IDS_SHRINK_LARGE 735
#define IDS_STARTUP_SHORTCUT 737
#define IDS_STARTUP_WITHOUT_WINDOW_LINE1 738
#define IDS_STARTUP_WITHOUT_WINDOW_LINE2 739
#define IDS_DESKTOP_SHORTCUT 740
#define IDS_CANCEL 741
#define IDS_NO_CHANGE_TIP 742
#define IDS_START_MINIMIZED_TIP 751
#define IDS_AUTO_EXIT_TIP 752
#define IDS_STAY_WHILE_ACTIVE_TIP 753
#define IDS_HISTORY_LIST_TIP 754
#define IDS_STARTUP_WITHOUT_WINDOW_TIP 755
#define IDS_UNINSTALL 756
// The margin sentence: display, "margin of", the percent, "corrected".
#define IDS_MARGIN_DISPLAY 757
#define IDS_MARGIN_OPEN 758
#define IDS_MARGIN_CLOSE 759
#define IDS_MARGIN_CORRECTED 760
#define IDS_FILL_SCREEN_MARK 776
#define IDS_SMALLER_MARK 777
#define IDS_DROP_TILE_FRAME 778
#define IDS_DROP_TILE_LINE1 779
#define IDS_DROP_TILE_LINE2 780
// The options dialog's tabs: captions from IDS_OPTIONS_TAB_FIRST and tips
// from IDS_OPTIONS_TAB_TIP_FIRST, one a tab, in the tabs' order; each range
// holds IDS_OPTIONS_TAB_ROOM tabs.
#define IDS_OPTIONS_TAB_ROOM 10
#define IDS_OPTIONS_TAB_FIRST 1200
#define IDS_OPTIONS_TAB_TIP_FIRST 1210
// The about box, and the OK both dialogs show.
#define IDS_ABOUT_TITLE 800
#define IDS_ABOUT_HEADING 802
#define IDS_OK 809
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
// The source kinds' pictures in the folder list, large and small.
#define IDB_FOLDER_LARGE 111
#define IDB_LZH_LARGE 112
#define IDB_ZIP_LARGE 113
#define IDB_TAR_LARGE 114
#define IDB_FOLDER_SMALL 121
#define IDB_LZH_SMALL 122
#define IDB_ZIP_SMALL 123
#define IDB_CAB_SMALL 124
#define IDB_TAR_SMALL 125
#define IDB_RAR_SMALL 126
#define IDC_LINK 101
// The pictures are drawn at 100, 125, 150 and 200 %: a bitmap's larger
// drawings follow its own number at this step (102, 1102, 2102, 3102).
#define IDB_SCALE_STEP 1000

#endif
