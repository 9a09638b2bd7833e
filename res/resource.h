// Resource ids of vtx.exe.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_MAIN                102
#define IDD_LOGIN               143
#define IDD_CHANGE_PASSWORD     144
#define IDD_STOP_PROGRESS       147

// Strings
#define IDS_ABOUTBOX            101
#define IDS_UNINSTALL           102

// Icons, cursor, menu, accelerators
#define IDR_MAINFRAME           128
#define IDI_APP                 141
#define IDC_LINK_CURSOR         146
#define IDR_LIST_POPUP          149
#define IDR_LIST_ACCEL          151

// Controls
#define IDC_TRUSTED_LIST        1003
#define IDC_LOCKED_LIST         1005
#define IDC_ADD_LOCKED          1006
#define IDC_REMOVE_LOCKED       1007
#define IDC_HELP_BUTTON         1008
#define IDC_ADD_TRUSTED         1009
#define IDC_REMOVE_TRUSTED      1010
#define IDC_CHANGE_PASSWORD     1011
#define IDC_PASSWORD            1012
#define IDC_CONFIRM_PASSWORD    1013
#define IDC_NEW_PASSWORD        1014
#define IDC_LINK                1016
#define IDC_STOP_PROGRESS       1018

// Commands of the list context menu and accelerators
#define ID_SELECT_ALL           32771
#define ID_INVERT_SELECTION     32772
#define ID_REMOVE_FROM_LIST     32773
#define ID_CLEAR_LIST           32774
#define ID_ADD_ITEM_TO_LIST     32775

// System-menu commands of the main window (the low four bits are the system's)
#define IDM_ABOUTBOX            0x0010
#define IDM_UNINSTALL           0x0020

// The framework's standard help command
#ifndef ID_HELP
#define ID_HELP                 0xE146
#endif

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
