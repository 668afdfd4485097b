#pragma once
// Resource and control numbers of Update.exe, shared by the resource script and the code.

#define IDI_UPDATE 101
#define IDD_UPDATE 102
#define IDC_STATUS 1000
#define IDC_PROGRESS 1004
#define IDC_BROWSER 1005
#define IDC_CLOSE 1006
#define IDC_ACTION 1007

#define IDB_BACKGROUND 1004
#define IDB_CLOSE_DOWN 136
#define IDB_CLOSE_UP 137
#define IDB_ACTION_DOWN 138
#define IDB_ACTION_UP 139
#define IDB_DONE_DOWN 140
#define IDB_DONE_UP 142
