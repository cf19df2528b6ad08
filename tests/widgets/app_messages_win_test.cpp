// The message values against the platform's WM_APP: a second instance of an older or newer
// build must reach the running one with the same numbers.
#include <windows.h>

#include "widgets/app_messages.h"

static_assert(app_message_base == WM_APP, "the application range starts at WM_APP");
static_assert(WM_APP_START_SCAN == 0x8001 && WM_APP_SCAN_DONE == 0x8002 && WM_APP_SHOW_HOME == 0x8006, "");
static_assert(WM_APP_ACTIVATE == 0x8007 && WM_APP_START_DOWNLOAD == 0x8008, "");
static_assert(WM_APP_VERSION_RESULT == 0x800A && WM_APP_SHOW_UPDATE_LINK == 0x800B, "");
static_assert(WM_APP_SIDEBAR_COMMAND == 0x800D && WM_APP_SELECTION_CHANGED == 0x800E && WM_APP_BACKUP_DRIVER == 0x800F, "");
static_assert(WM_APP_QUEUE_BACKUP == 0x8010 && WM_APP_BACKUP_QUEUED == 0x8011 && WM_APP_RESTORE_BACKUP == 0x8013, "");
static_assert(WM_APP_UNINSTALL_DRIVER == 0x8014 && WM_APP_DOWNLOAD_DIR_CHANGED == 0x8015 && WM_APP_REDRAW_ALL == 0x8016, "");
static_assert(WM_APP_ROW_SELECTED == 0x83E9 && WM_APP_ROW_REMOVED == 0x83EA && WM_APP_EXCLUDE_DRIVER == 0x83EB, "");
static_assert(WM_APP_PANEL_NOTIFY == 0x83EC && WM_APP_GROUP_TOGGLED == 0x83ED && WM_APP_ROW_CHECKED == 0x83EE, "");
static_assert(WM_APP_SELECT_ROWS == 0x83EF && WM_APP_COMBO_ROW_HOVER == 0x83F0 && WM_APP_COMBO_ROW_SELECTED == 0x83F1, "");
