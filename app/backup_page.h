// The rules of the backup page and its rows, apart from the windows: the two groups and which
// rows start checked, a row's height and button places, what the selection links check, which
// queued devices an install's backup runs on, which message a run ends with and how full the
// progress dialog's bar is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "engine/backup.h"

// The row id of a group's rows: the packages from outside Windows (group 0) are 3, the
// packages that come with Windows (group 1) are 4, any other group 5.
int32_t group_row_id(int32_t group);

// One line of the page's list, in list order: a header (header_id 0 or 1, with its count) or
// the row of backup_list[entry].
struct backup_plan_item {
  int32_t header_id = -1;  // -1 for a row
  int32_t count = 0;
  size_t entry = 0;
  int32_t row_id = 0;
  bool checked = false;
};
// Header 0 and its rows (checked) when some entry is not inbox, then header 1 and its rows
// (unchecked) when some entry is.
std::vector<backup_plan_item> backup_group_plan(const std::vector<backup_entry>& entries);

// n x (line + 8) + 2 x title + 24 for a package of n devices.
int32_t backup_row_height(size_t devices, int32_t line_height, int32_t title_height);

struct backup_row_places {
  int32_t check_x, check_y;
  int32_t action_x, action_y;
  int32_t menu_x, menu_y;
};
backup_row_places backup_row_buttons(int32_t width, int32_t height, int32_t title_height);

// The links: 1 the recommended rows (not inbox), 2 every row, any other value none.
enum backup_select : int { select_recommended = 1, select_all = 2, select_none = 3 };
bool row_checked_after(int which, bool inbox);
// The page's selection after a link, in list order (the entries' addresses).
std::set<const backup_entry*> selection_after_link(const std::vector<backup_entry>& entries, int which);
// The first device of every selected entry, in the selection's order.
std::vector<device_info*> selected_backup_devices(const std::set<const backup_entry*>& selection);

// An install's queued devices reduced to what the backup runs on: in queue order, the first
// queued device of each entry of the list; devices of no entry are dropped. Empty: nothing runs.
std::vector<device_info*> queued_backup_devices(const std::vector<device_info*>& queued,
                                                const std::vector<backup_entry>& entries);

// How a run ended: the dialog's 0 (worker result 0 or more), 1 (negative) or 2 (cancelled);
// run_not_started when the thread or the dialog could not be made.
enum backup_run_result : int { run_succeeded = 0, run_failed = 1, run_cancelled = 2, run_not_started = -1 };
struct backup_message {
  int type = 0;
  const char* key = nullptr;  // null: nothing is shown
};
backup_message backup_result_message(int result, bool quiet);

// The bar's fraction: progress / (devices x 100), held to 0-1; with no devices the last one.
float backup_bar_fraction(int32_t progress, size_t devices, float previous);

// The dialog's timer tick: the worker's thread ended (end with the result), is still running
// (wait), or there is no thread and the task does not run (it never started: end as failed).
enum class backup_tick { wait, end_succeeded, end_failed };
backup_tick backup_dialog_tick(bool has_thread, bool thread_ended, bool task_running, int32_t result);
