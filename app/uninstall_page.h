// The uninstall page's rules apart from its windows: which headers and rows a rebuild makes
// from the backup list, how tall a row is and where its buttons go, and when a remove request
// may start the uninstall job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/backup.h"

// Header ids; their rows take the group id rows_of_header gives (0 gives 3, 1 gives 4).
enum : int32_t { header_installed = 0, header_inbox = 1 };

struct installed_counts {
  int32_t available = 0;  // packages without the inbox flag
  int32_t inbox = 0;      // packages that came with Windows
};
installed_counts count_installed_packages(const std::vector<backup_entry>& entries);

// One line of the list a rebuild makes, in order.
struct installed_plan_line {
  bool header = false;
  int32_t id = 0;     // header: 0 or 1; row: its group id 3 or 4
  int32_t count = 0;  // header: the count its title shows
  size_t entry = 0;   // row: index into the entries
};
// A header only over a group that has rows; the installed packages first, each group in list
// order.
std::vector<installed_plan_line> installed_rebuild_plan(const std::vector<backup_entry>& entries);

// A row of the uninstall and backup lists: a title, one line per device, a date line.
int32_t installed_row_height(int32_t devices, int32_t line_height, int32_t title_height);

struct row_point {
  int32_t x, y;
};
struct installed_row_buttons {
  row_point remove;  // "btn_remove", bottom right
  row_point menu;    // the menu button, top right
};
installed_row_buttons installed_row_button_places(int32_t width, int32_t height);

// The index of the entry the pointer names, or -1 when it is no element of the list (a
// request that outlived a rebuild of the list).
int32_t entry_index(const std::vector<backup_entry>& entries, const void* entry);

// A remove may start only when no uninstall runs (the running job reads its INF name) and the
// package has an installed INF to name.
bool may_start_uninstall(bool job_running, const backup_entry& entry);
