// The private window messages between Vantoril's windows. A second instance sends
// WM_APP_ACTIVATE to the first by number, so these values never change.
#pragma once

// 0x8000, the start of the application range (WM_APP).
constexpr unsigned app_message_base = 0x8000;

// Between the pages and the main window.
constexpr unsigned WM_APP_START_SCAN = app_message_base + 0x01;
constexpr unsigned WM_APP_SCAN_DONE = app_message_base + 0x02;  // wParam: device count
constexpr unsigned WM_APP_SHOW_HOME = app_message_base + 0x06;
constexpr unsigned WM_APP_ACTIVATE = app_message_base + 0x07;  // wParam 1: also start a scan
constexpr unsigned WM_APP_START_DOWNLOAD = app_message_base + 0x08;
constexpr unsigned WM_APP_VERSION_RESULT = app_message_base + 0x0A;    // from the version thread
constexpr unsigned WM_APP_SHOW_UPDATE_LINK = app_message_base + 0x0B;  // from the version thread
constexpr unsigned WM_APP_SIDEBAR_COMMAND = app_message_base + 0x0D;   // wParam: button 1-7
constexpr unsigned WM_APP_SELECTION_CHANGED = app_message_base + 0x0E;  // wParam: +-devices, lParam: +-size
constexpr unsigned WM_APP_BACKUP_DRIVER = app_message_base + 0x0F;     // wParam: backup_entry
constexpr unsigned WM_APP_QUEUE_BACKUP = app_message_base + 0x10;  // wParam: device_info, lParam: index
constexpr unsigned WM_APP_BACKUP_QUEUED = app_message_base + 0x11;
constexpr unsigned WM_APP_RESTORE_BACKUP = app_message_base + 0x13;    // wParam: the row's item
constexpr unsigned WM_APP_UNINSTALL_DRIVER = app_message_base + 0x14;  // wParam: the row's item
constexpr unsigned WM_APP_DOWNLOAD_DIR_CHANGED = app_message_base + 0x15;
constexpr unsigned WM_APP_REDRAW_ALL = app_message_base + 0x16;

// Between rows, row lists, group headers and drop-down lists.
constexpr unsigned WM_APP_ROW_SELECTED = app_message_base + 1001;  // wParam: the row
constexpr unsigned WM_APP_ROW_REMOVED = app_message_base + 1002;   // wParam: the row's panel_c
constexpr unsigned WM_APP_EXCLUDE_DRIVER = app_message_base + 1003;  // wParam: panel_c, lParam: group
constexpr unsigned WM_APP_PANEL_NOTIFY = app_message_base + 1004;    // passed through
constexpr unsigned WM_APP_GROUP_TOGGLED = app_message_base + 1005;   // wParam: group, lParam: expanded
constexpr unsigned WM_APP_ROW_CHECKED = app_message_base + 1006;     // wParam: backup_entry, lParam: state
constexpr unsigned WM_APP_SELECT_ROWS = app_message_base + 1007;     // 1 recommended, 2 all, 3 none
constexpr unsigned WM_APP_COMBO_ROW_HOVER = app_message_base + 1008;     // wParam: 1 on, 0 off
constexpr unsigned WM_APP_COMBO_ROW_SELECTED = app_message_base + 1009;  // wParam: 1 on, 0 off
