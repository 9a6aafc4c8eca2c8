/* Numbers and names that the code and the resource script share. Plain
   preprocessor definitions: the resource compiler reads this file too. */
#ifndef MERVANE_PROGRAM_IDS_H
#define MERVANE_PROGRAM_IDS_H

#define MERVANE_PRODUCT_TITLE "OSTREL(R) Mervane"
#define MERVANE_COMPANY "Ostrel Software"

/* The numbered message table. */
#define IDS_AUTORUN_FOUND 1001
#define IDS_CONFIRM_QUIT 1002
#define IDS_LANGUAGE 1003
#define IDS_FILE_DELETED 1004
#define IDS_ALL_AUTORUN_DELETED 1005
#define IDS_EXCEPTIONS_SETUP 1006
#define IDS_GIVE_DESCRIPTION 1007
#define IDS_CANNOT_READ_FILE 1008
#define IDS_NOT_AUTORUN_INF 1009
#define IDS_MENU_ITEMS_REMOVED 1010
#define IDS_CANNOT_DELETE_FILE 1011
#define IDS_CANNOT_DELETE_ALL 1012
#define IDS_CANNOT_DELETE_MENU_ITEMS 1013
#define IDS_NO_TRAY_ICON 1014
#define IDS_USER_CLOSED 1015
#define IDS_LISTED_IN_EXCEPTIONS 1016
#define IDS_CANNOT_STORE_TEXT 1017
#define IDS_FILE_TOO_LARGE 1018
#define IDS_SETTINGS_NOT_SAVED 1019
#define IDS_CHANGE_NOT_SAVED 1020
#define IDS_WORM_FOUND 1021
#define IDS_WORM_SHORTCUTS_DELETED 1022
#define IDS_WORM_FILES_DELETED 1023
#define IDS_WORM_ENTRIES_SHOWN 1024
#define IDS_WORM_NOT_REPAIRED 1025

/* Sent to the main window by another program: quit without a question. */
#define WM_MERVANE_QUIT (WM_USER + 1)

/* The level of every log entry the program writes. */
#define MERVANE_LOG_LEVEL 6

#endif
