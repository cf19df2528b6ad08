#include "app/restore_page.h"

#include <algorithm>

#include "engine/device_info.h"

namespace {

std::u16string cut(std::u16string text) {
  if (text.size() > restore_line_limit) text.resize(restore_line_limit);
  return text;
}

std::u16string date_and_version(const char16_t* date, const char16_t* version) {
  return cut(std::u16string(date) + u" (" + version + u")");
}

}  // namespace

restore_reload_plan plan_restore_reload(int load_result, size_t records) {
  restore_reload_plan p;
  if (load_result < 0) {
    p.result = -1;
    return p;
  }
  if (records == 0) return p;
  p.header = true;
  p.count = int32_t(records);
  p.rows = records;
  return p;
}

installed_value restore_installed_value(const backup_device& first, const std::u16string& none_text) {
  installed_value v;
  if (first.device && first.device->has_driver) {
    v.text = date_and_version(first.device->DriverDate, first.device->DriverVersion);
  } else {
    v.text = cut(none_text);
    v.none = true;
  }
  return v;
}

std::u16string restore_backup_value(const backup_device& first) {
  return date_and_version(first.date, first.version);
}

int32_t restore_row_layout::height() const {
  return int32_t(devices) * (line_height + 8) + 3 * title_height + 26;
}

int32_t restore_row_layout::device_line_top(size_t i) const {
  return title_height + int32_t(i) * (line_height + 8) + 14;
}

int32_t restore_row_layout::installed_line_top() const {
  // 8 pixels below the last device line; a record always has a device.
  size_t last = devices ? devices - 1 : 0;
  return device_line_top(last) + line_height + 8;
}

int32_t restore_row_layout::backup_line_top() const { return installed_line_top() + title_height + 4; }

int32_t installed_value_x(int32_t installed_label_width) { return restore_line_left + installed_label_width; }

int32_t backup_value_x(int32_t installed_label_width, int32_t backup_label_width) {
  return std::max(installed_value_x(installed_label_width), restore_line_left + backup_label_width);
}

row_point restore_action_button_place(int32_t width, int32_t height) { return {width - 132, height - 33}; }

row_point restore_menu_button_place(int32_t width) { return {width - 23, 8}; }

bool restore_row_goes(bool deleted, bool archive_gone) { return deleted || archive_gone; }

int32_t restore_class_image(const backup_device& first) {
  const char16_t* p = first.class_image;
  if (!*p) return -1;
  int32_t index = 0;
  for (; *p; ++p) {
    if (*p < u'0' || *p > u'9' || index > 100000) return -1;
    index = index * 10 + int32_t(*p - u'0');
  }
  return index;
}
