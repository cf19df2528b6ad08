// Test-only: a window that hosts download rows the way the update page does, without the rest
// of the program: devices from a device file, the matching exchange against the service of
// VANTORIL_SERVICE, the driver groups as headers and rows in a row list. It is the rows' page
// and their top-level window at once, logs every message the rows send it and deletes a row
// when asked to.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "app/download_panel_win.h"
#include "engine/driver_groups.h"
#include "framework/window.h"
#include "widgets/panel_list.h"

// Reads the device file's text, runs the exchange and groups the devices; false with a message.
bool load_row_host_devices(const std::string& device_file_text, std::vector<device_info>& devices,
                           std::string& error);

class row_host_c : public window_impl<row_host_c> {
 public:
  row_host_c() = default;
  ~row_host_c() override;

  // A top-level window of the given client size with the groups' headers and rows.
  HWND create_host(std::vector<device_info>& devices, download_row_seams seams, int width = 800,
                   int height = 600);

  // "queue_backup 0", "backup_queued", "selection -1 -2048", "exclude", "toggled 1 0" ...
  const std::vector<std::string>& log() const { return log_; }
  panel_list_c& list() { return list_; }
  std::vector<download_panel_c*> rows() const;
  // Deletes the row as the page does when it rebuilds its list.
  void delete_row(panel_c* row);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  static void adjust_window_class(WNDCLASSEXW& c) { c.hbrBackground = HBRUSH(COLOR_WINDOW + 1); }

 private:
  void note(const std::string& line);
  void build_rows(const download_row_seams& seams);

  driver_group_list_c groups_;
  panel_list_c list_;
  std::vector<std::string> log_;
  std::deque<std::u16string> titles_;
};
