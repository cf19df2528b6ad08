// Windows only: the pages the main window shows.
#pragma once

#include "app/backup_page_win.h"
#include "app/download_window_win.h"
#include "app/home_page.h"
#include "app/restore_page_win.h"
#include "app/scan_page_win.h"
#include "app/sidebar.h"
#include "app/uninstall_page_win.h"
#include "widgets/tray_icon.h"
