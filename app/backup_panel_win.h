// Windows only: one row of the backup page: one package of the driver store with its devices,
// a check box, a back-up button, a menu button, its menu and its details.
#pragma once

#include "app/row_window_win.h"

#include <windows.h>
#include <commctrl.h>

#include "engine/backup.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/panel.h"
#include "widgets/panel_list.h"

class backup_panel_c : public window_impl<backup_panel_c>, public row_window_c {
 public:
  enum { check_id = 1, action_id = 2, menu_button_id = 3, menu_resource = 205 };
  enum { cmd_backup = 40035, cmd_open_location = 40036, cmd_view_details = 40037 };

  // `row_id` is 3 or 4 by the group; the entry stays backup_list's.
  backup_panel_c(int32_t row_id, backup_entry* entry, bool checked);
  ~backup_panel_c() override;

  void fit_width() override { fit_panel_to_list(*this); }
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  // The steps, public for the page and the tests.
  void toggle_check();
  void request_backup();
  void on_menu_command(int id);
  void show_menu(POINT client_point) override;
  void show_details() override;

  backup_entry* entry() const { return entry_; }
  bool checked() const { return checked_ != 0; }
  HWND check_box() const { return check_.handle(); }
  HWND action_button() const { return action_.handle(); }
  HWND menu_button() const { return menu_.handle(); }

 private:
  int measure_height();
  void on_create() override;
  void layout(int width, int height) override;
  void paint(HDC dc, const RECT& client) override;
  bool on_row_command(int id) override;
  void on_select_rows(WPARAM which);

  backup_entry* entry_;
  int line_height_title_ = 0, line_height_lines_ = 0;
  HIMAGELIST image_list_ = nullptr;
  int image_index_ = 0;
  HPEN grey_pen_ = nullptr, blue_pen_ = nullptr;
  bitmap_button_c action_, check_, menu_;
  image_c strip_;
  uint8_t checked_ = 0;
};
