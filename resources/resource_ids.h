// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Every resource and command number of the program, grouped by kind.

// Screen templates.
inline constexpr int IDD_INCOMING = 102;
inline constexpr int IDD_CALLER_PICKER = 103;
inline constexpr int IDD_NEW_CALL = 104;
inline constexpr int IDD_MAIN = 105;
inline constexpr int IDD_RINGTONE_BROWSER = 106;
inline constexpr int IDD_ABOUT = 132;

// Soft-key bars.
inline constexpr int IDR_MAIN_BAR = 101;
inline constexpr int IDR_INCOMING_BAR = 106;
inline constexpr int IDR_NEW_CALL_BAR = 110;
inline constexpr int IDR_CALLER_PICKER_BAR = 111;
inline constexpr int IDR_RINGTONE_BROWSER_BAR = 112;
inline constexpr int IDR_ABOUT_BAR = 133;

// Commands of the soft keys and popup entries.
inline constexpr int IDM_ACCEPT = 40001;
inline constexpr int IDM_REJECT = 40007;
inline constexpr int IDM_NEW = 40015;
inline constexpr int IDM_DELETE = 40017;
inline constexpr int IDM_SELECT_MUSIC = 40026;
inline constexpr int IDM_SAVE = 40029;
inline constexpr int IDM_NEW_CALL_CANCEL = 40030;
inline constexpr int IDM_DONE = 40031;
inline constexpr int IDM_CALLER_PICKER_CANCEL = 40033;
inline constexpr int IDM_GET_CALLER_NAME = 40046;
inline constexpr int IDM_RINGTONE_BROWSER_CANCEL = 40047;
inline constexpr int IDM_EXIT = 40048;
inline constexpr int IDM_ABOUT = 40058;
inline constexpr int IDM_ABOUT_CANCEL = 40064;
inline constexpr int IDM_SELECT = 40087;

// Controls.
inline constexpr int IDC_CALLER_NAME_LABEL = 1001;  // incoming screen: the caller's name
inline constexpr int IDC_CALLER_NAME = 1004;
inline constexpr int IDC_RINGTONE = 1005;
inline constexpr int IDC_RING_TIME_OF_DAY = 1025;
inline constexpr int IDC_VIBRATE = 1027;
inline constexpr int IDC_ABOUT_NAME = 1031;
inline constexpr int IDC_ABOUT_ICON = 1033;
inline constexpr int IDC_RING_DATE = 1036;
inline constexpr int IDC_RING_TIME_FRAME = 1037;
inline constexpr int IDC_CALL_FROM_LABEL = 1040;
inline constexpr int IDC_RINGTONE_LABEL = 1041;
inline constexpr int IDC_MUTE = 1042;
inline constexpr int IDC_INCOMING_LABEL = 1044;
inline constexpr int IDC_ABOUT_WEB = 1045;
inline constexpr int IDC_ABOUT_NOTICE = 1046;
inline constexpr int IDC_ABOUT_SUPPORT = 1047;

// Icons.
inline constexpr int IDI_PROGRAM = 113;
inline constexpr int IDI_FOLDER = 114;
inline constexpr int IDI_CALL = 139;
inline constexpr int IDI_CONTACT = 142;
inline constexpr int IDI_MUSIC = 143;

// Bitmaps.
inline constexpr int IDB_HANDSET = 137;

// Timers and hot keys.
inline constexpr int IDT_VIBRATION = 40001;
inline constexpr int IDT_ALERTING = 40002;
inline constexpr int IDT_UNANSWERED = 40003;
inline constexpr int IDH_TALK = 114;
