// Windows only: the uninstall page of the main window and its rows. After every scan the page
// lists the installed driver packages of the backup list under two headers; a row's "Remove"
// (button or menu) starts the uninstall job, whose own message ends the user's view of it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "engine/backup.h"
#include "engine/install_jobs.h"
#include "engine/worker_task.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/panel.h"
#include "widgets/panel_list.h"
#include "app/row_window_win.h"

class uninstall_panel_c : public window_impl<uninstall_panel_c>, public row_window_c {
 public:
  enum { remove_id = 1, menu_button_id = 2, menu_resource = 202 };
  enum { cmd_remove = 40033, cmd_view_details = 40034 };

  // `row_group` is 3 under the installed packages, 4 under the inbox ones.
  uninstall_panel_c(int32_t row_group, const backup_entry* entry);
  ~uninstall_panel_c() override;

  void fit_width() override { fit_panel_to_list(*this); }
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  void show_menu(POINT client_point) override;
  void show_details() override;
  // Greys "Remove" (button and menu item) while an uninstall runs.
  void set_remove_enabled(bool enabled);
  const backup_entry* entry() const { return entry_; }
  HWND remove_button() const { return remove_.handle(); }
  HWND menu_button() const { return menu_.handle(); }

 private:
  int measure_height();
  void on_create() override;
  void layout(int width, int height) override;
  void paint(HDC dc, const RECT& client) override;
  bool on_row_command(int id) override;
  void request_remove();

  int title_height_ = 0, line_height_ = 0;
  const backup_entry* entry_;
  HIMAGELIST class_images_ = nullptr;
  int class_image_index_ = 0;
  HPEN edge_pen_ = nullptr, bottom_pen_ = nullptr;
  bitmap_button_c remove_, menu_;
  image_c strip_;
  bool remove_enabled_ = true;
};

class uninstall_window_c : public window_impl<uninstall_window_c> {
 public:
  static const wchar_t* window_class_name() { return L"VantorilUninstallPage"; }
  uninstall_window_c();
  ~uninstall_window_c() override;

  static void adjust_window_class(WNDCLASSEXW& c);

  // Makes the page as a hidden child of the main window.
  HWND create_page(HWND parent, const RECT& rect);
  // The headers and rows of the backup list as it stands; called after every scan once the
  // list has been rebuilt.
  void rebuild();
  // Starts the uninstall of the entry's package. False when refused: an uninstall still runs,
  // the entry is not one of the current list, or it names no installed INF.
  bool uninstall(const backup_entry* entry);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  // For the main window and the tests.
  bool uninstall_running() { return task_.is_running(); }
  int32_t available_count() const { return available_count_; }
  int32_t inbox_count() const { return inbox_count_; }
  const uninstall_job& job() const { return *job_; }

  panel_list_c rows;

 private:
  void on_create();
  void on_size(int width, int height);
  void on_group_toggled(WPARAM header, LPARAM shown);
  void set_remove_enabled(bool enabled);
  void on_uninstall_timer();
  void paint(HDC dc, const RECT& client);

  int32_t inbox_count_ = 0, available_count_ = 0;
  // The running job reads its record: made before the task and outliving it.
  std::unique_ptr<uninstall_job> job_;
  worker_task_c task_;
  HPEN line_pen_ = nullptr;
  const std::vector<backup_entry>* entries_ = nullptr;
  image_c icon_;  // PNG 206
};
