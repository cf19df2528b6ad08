// Windows only: one row of the update list: one driver group, that is one offered package and
// the devices it serves, with its download session and its install step.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "engine/download_sessions.h"
#include "engine/driver_groups.h"
#include "engine/package_installs.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/paint_win.h"
#include "widgets/panel.h"
#include "widgets/panel_list.h"
#include "app/row_window_win.h"

// What the row takes from outside; the defaults are the real ones.
struct download_row_seams {
  bool (*is_administrator)();
  // The message dialog over the owner: 1 Yes or OK, 2 No.
  int (*show_message)(HWND owner, int type, const char16_t* text);
  package_install_c::entry_fn install_entry;
  // Where history.dat is appended; empty: the running program's folder.
  std::u16string program_folder;
  download_row_seams();
};

class download_panel_c : public window_impl<download_panel_c>, public row_window_c {
 public:
  enum { action_id = 2, check_id = 1, menu_button_id = 3, menu_resource = 203 };
  enum {
    cmd_action = 40028,
    cmd_delete_file = 40029,
    cmd_open_location = 40030,
    cmd_view_details = 40031,
    cmd_exclude = 40032,
  };

  // `row_group` is the header's id + 3; the group stays the page's.
  download_panel_c(int32_t row_group, driver_group* group, download_row_seams seams = {});
  ~download_panel_c() override;

  void fit_width() override { fit_panel_to_list(*this); }
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  // The steps, public for the page and the tests.
  void on_action();
  // Null when it started (or runs already), else the key of the message that says why not.
  const char* start_download();
  void install();
  void on_menu_command(int index);
  void show_menu(POINT client_point) override;

  download_session_c* session() const { return session_; }
  bool checked() const { return checked_ != 0; }
  driver_group* group() const { return group_; }
  HWND action_button() const { return action_.handle(); }
  HWND check_box() const { return check_.handle(); }

 private:
  int measure_height();
  void on_create() override;
  void layout(int width, int height) override;
  void paint(HDC dc, const RECT& client) override;
  bool on_row_command(int id) override;
  void download_row_timer();
  // While the row's install job runs: true; at its end a refused package reads as failed.
  bool follow_install();
  void on_check();
  void on_select_rows(WPARAM which);
  void update_action_text();
  void backup_before_install();
  void show_details() override;
  void reset_after_delete();
  bool delete_package_file(const std::u16string& path);
  void start_timer();
  int ask(int type, const char* key);
  HWND top_level() const;

  driver_group* group_;
  download_row_seams seams_;
  // Copies of what the timer needs: a rescan may refill the store the group points into while
  // the download goes on.
  std::string address_;
  std::u16string md5sum_;
  uint32_t size_ = 0;

  download_session_c* session_ = nullptr;
  std::shared_ptr<package_install_c> install_;
  size_progress_c progress_;
  int title_height_ = 0, line_height_ = 0, line_height_2_ = 0;
  HIMAGELIST class_images_ = nullptr;
  int class_image_index_ = 0;
  HPEN edge_pen_ = nullptr, bottom_pen_ = nullptr;
  bitmap_button_c action_, check_, menu_;
  image_c whql_, strip_;
  uint8_t checked_ = 0;
  bool timer_on_ = false;
  bool watching_install_ = false;  // the row's install job runs: its timer follows it
};
