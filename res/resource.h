// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDI_RESTART 185
#define IDI_POWEROFF 187
#define IDI_LOGOFF 189
#define IDB_SIDEPICTURE 132
#define IDB_SIDEPICTURE_144 133  // the side picture drawn for 144 and 192 DPI
#define IDB_SIDEPICTURE_192 134

#define IDD_ABOUTBOX 100
#define IDD_TIMER 102
#define IDD_REMOTE 131
#define IDD_COUNTDOWN 186
#define IDR_TRAYMENU 130

#define IDS_ABOUTBOX 101
#define IDS_EVERYDAY 102  // 102..109: every day, Sunday .. Saturday
#define IDS_TRAYTIP 110
#define IDS_COL_NAME 111
#define IDS_COL_MAC 112
#define IDS_COL_PORT 113
#define IDS_MAC_DUPLICATE 114
#define IDS_MAC_INCOMPLETE 115
#define IDS_LIST_UNREADABLE 116
#define IDS_LIST_INCOMPLETE 117
#define IDS_LIST_NOT_A_LIST 118
#define IDS_LIST_SAVE_FAILED 119
#define IDS_LIST_BACKUP_KEPT 120
#define IDS_WAKE_SEND_FAILED 121
#define IDS_POWER_REFUSED 122  // %s: the system's description, %lu: its number
#define IDS_LIST_CHANGED_ELSEWHERE 123
#define IDS_LIST_CHANGE_NOT_MADE 124
#define IDS_LIST_BACKUP_FAILED 125  // %lu: the system's error, %s: the backup's path
#define IDS_LIST_LEFT_ASIDE 126     // %lu: the system's error, %s: where the old list is
#define IDS_LIST_RECOVERED 127      // %s: where the list was found
#define IDS_SCHEDULE_NOT_SAVED 140      // %lu: the system's error, %s: the profile's path
#define IDS_SCHEDULE_OFF_NOT_SAVED 141  // %lu: the system's error, %s: the profile's path
#define IDS_NAME_TIMEPICKER 142         // accessible names of the controls without a label
#define IDS_NAME_DAYLIST 143

// Timer dialog controls.
#define IDC_DAYLIST 1000
#define IDC_BANNER 1013
#define IDC_POWEROFF 1054
#define IDC_LOGOFF 1055
#define IDC_RESTART 1056
#define IDC_TIMERON 1057
#define IDC_TIMEPICKER 1058

// Tray menu commands.
#define ID_TRAY_SHOWTIMER 32771
#define ID_TRAY_REMOTE 32772
#define ID_TRAY_HELP 32773
#define ID_APP_EXIT 57665
#define ID_HELP 57670

// System menu command of the about box.
#define IDM_ABOUTBOX 0x0010

// Window timer of the schedule tick.
#define IDT_SCHEDULE 101

// Remote power-on dialog controls.
#define IDC_MAC1 1000  // 1000..1005: the six MAC address parts
#define IDC_MAC2 1001
#define IDC_MAC3 1002
#define IDC_MAC4 1003
#define IDC_MAC5 1004
#define IDC_MAC6 1005
#define IDC_COMPUTER_LIST 1006
#define IDC_PORT 1007
#define IDC_ADD_ENTRY 1008
#define IDC_UPDATE_ENTRY 1009
#define IDC_COMPUTER_NAME 1010
#define IDC_DELETE_ENTRY 1011
#define IDC_REMOTE_BANNER 1014

// About box controls.
#define IDC_VERSION 1012

// Countdown controls.
#define IDC_COUNT 1059
#define IDC_COUNTDOWN_CANCEL 1060
#define IDC_ACTIONICON 1061

// Pictures that are loaded again at the size of their place.
#define IDC_SIDEPICTURE 1150
#define IDC_POWEROFF_ICON 1151
#define IDC_LOGOFF_ICON 1152
#define IDC_RESTART_ICON 1153
#define IDC_ABOUT_ICON 1154
#define IDC_REMOTE_ICON 1155
