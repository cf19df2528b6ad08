// The rules of the restore page and its rows, apart from the windows: what a reload shows,
// the texts of a row's two driver lines and where they go, the row's height and button
// places, and whether a deleted archive's row goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/backup_catalog.h"

// What a reload shows for the catalog's read result and its number of records.
struct restore_reload_plan {
  int32_t result = 0;  // -1 when the catalog could not be read
  bool header = false;
  int32_t count = 0;   // the header's count
  size_t rows = 0;     // one row per record, in catalog order
};
restore_reload_plan plan_restore_reload(int load_result, size_t records);

// The longest text of a driver line: a longer one is cut.
constexpr size_t restore_line_limit = 127;

// The value after "restore_installed": the scanned device's driver date and version, or
// `none_text` (drawn red) when the device was not found in the last scan or has no driver.
struct installed_value {
  std::u16string text;
  bool none = false;
};
installed_value restore_installed_value(const backup_device& first, const std::u16string& none_text);
// The value after "restore_backup": the recorded driver date and version.
std::u16string restore_backup_value(const backup_device& first);

// Where things go in a row; label widths are measured by the window.
struct restore_row_layout {
  int32_t title_height = 0;  // "ABCDEFG" in the title font
  int32_t line_height = 0;   // "ABCDEFG" in the device-line font
  size_t devices = 0;

  int32_t height() const;
  // Top of device line i (from 0).
  int32_t device_line_top(size_t i) const;
  int32_t installed_line_top() const;
  int32_t backup_line_top() const;
};
// x of the installed value after its label, and of the backup value: the larger of that and
// the end of the backup line's own label.
constexpr int32_t restore_line_left = 30;
int32_t installed_value_x(int32_t installed_label_width);
int32_t backup_value_x(int32_t installed_label_width, int32_t backup_label_width);

struct row_point {
  int32_t x, y;
};
row_point restore_action_button_place(int32_t width, int32_t height);
row_point restore_menu_button_place(int32_t width);

// A row goes after "Delete File" only when its archive is gone: deleted now, or already gone
// before. A delete that failed with the file still there keeps the row.
bool restore_row_goes(bool deleted, bool archive_gone);

// The class image list's picture for a recorded device: its recorded index, or -1 (no picture)
// when the backup was made without a class record or the index is not a number.
int32_t restore_class_image(const backup_device& first);
