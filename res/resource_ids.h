#pragma once

// Numeric identifiers of the program's resources, shared by kvtmon.rc and the code. The resource
// compiler reads this file too, so it holds plain #defines only.

// Icons.
#define IDR_MAINFRAME 128

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 129
#define IDD_PROCESS_TRAFFIC 130
#define IDD_PROCESS_CONNECTIONS 131
#define IDD_MACHINE_TRAFFIC 132
#define IDD_FLOATING 142
#define IDD_TRAFFIC_PAGE 222
#define IDD_ALARM_RECORD_PAGE 223
#define IDD_ACC_STATE 246
#define IDD_BLACKLIST_ALARM 247
#define IDD_ALARM_INFO 248
#define IDD_SETTINGS 249
#define IDD_THRESHOLD 250
#define IDD_MESSAGE_BOX 251
#define IDD_ALARM_ITEM 252

// Menus.
#define IDR_PROCESS_MENU 202
#define IDR_FLOATING_MENU 207

// Bitmaps: the floating strip and its status button.
#define IDB_STRIP_COLUMN 209
#define IDB_STATUS_ALERT_A 210
#define IDB_STATUS_ALERT_B 211
#define IDB_STRIP_RIGHT 212
#define IDB_STATUS_NORMAL 214
#define IDB_STRIP_LOGO 215
#define IDB_STRIP_LEFT 242
// The main window.
#define IDB_STATE_NORMAL 213
#define IDB_BAND_TOP 217
#define IDB_BAND_BOTTOM 218
#define IDB_TAB_ALARMS 224
#define IDB_TAB_TRAFFIC 225
#define IDB_STATE_ABNORMAL 226
// The message box's icons.
#define IDB_BOX_STOP 228
#define IDB_BOX_QUESTION 229
#define IDB_BOX_EXCLAMATION 230
#define IDB_BOX_INFORMATION 231
// The skinned frame.
#define IDB_FRAME_CLOSE 232
#define IDB_CAPTION_LEFT 233
#define IDB_CAPTION_MIDDLE 234
#define IDB_CAPTION_RIGHT 235
#define IDB_FRAME_LEFT 236
#define IDB_FRAME_RIGHT 237
#define IDB_FRAME_BOTTOM_LEFT 238
#define IDB_FRAME_BOTTOM 239
#define IDB_FRAME_BOTTOM_RIGHT 240
#define IDB_FRAME_MAXIMIZE 243
#define IDB_FRAME_MINIMIZE 244
#define IDB_FRAME_RESTORE 245

// Controls.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_TEXT_LINE 1055
#define IDC_STATUS_BUTTON 1098

// Menu commands.
#define ID_PROCESS_TRAFFIC 32776
#define ID_PROCESS_CONNECTIONS 32779
#define ID_END_PROCESS 32800
#define ID_SHOW_ACCELERATOR 32794
#define ID_SHOW_DETAILS 32795
#define ID_HIDE_FLOATING 32796
#define ID_EXIT_ACCELERATOR 32798
#define ID_SHOW_ALARMS 32802
#define ID_CAPTION_SETTINGS 32786
#define ID_APP_ABOUT 0xE140
