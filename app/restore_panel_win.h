// Windows only: a row of the restore page: one backup archive with its devices, the
// installed and the backed-up driver, a "Restore" button and a menu.
#pragma once

#include "app/row_window_win.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/restore_page.h"
#include "app/restore_page_win.h"
#include "framework/image.h"
#include "framework/window.h"
#include "widgets/bitmap_button.h"
#include "widgets/panel.h"

class restore_panel_c : public window_impl<restore_panel_c>, public row_window_c {
 public:
  enum { action_id = 1, menu_button_id = 2, menu_resource = 204, row_group = 3 };
  enum {
    cmd_restore = 40038,
    cmd_delete_file = 40039,
    cmd_open_location = 40040,
    cmd_view_details = 40041,
  };

  // The record is the catalog's; the row does not own it.
  restore_panel_c(backup_record* record, const restore_page_seams& seams);
  ~restore_panel_c() override;

  void fit_width() override;
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

  // The steps, public for the page and the tests.
  void request_restore();
  void show_menu(POINT client_point) override;
  void on_menu_command(int id);
  using row_window_c::on_row_selected;
  void draw_content(HDC dc, const RECT& client);

  backup_record* record() const { return record_; }
  // Unique to this row in the process: a row made later at the same address has another.
  uint32_t serial() const { return serial_; }
  HWND action_button() const { return action_.handle(); }
  HWND menu_button() const { return menu_.handle(); }

 private:
  int measure_height();
  void on_create() override;
  void layout(int width, int height) override;
  void paint(HDC dc, const RECT& client) override;
  bool on_row_command(int id) override;
  void delete_file();
  void show_details() override;
  std::u16string archive_path() const;

  backup_record* record_;
  restore_page_seams seams_;
  restore_row_layout layout_;
  uint32_t serial_;
  HIMAGELIST image_list_ = nullptr;
  HPEN grey_pen_ = nullptr, blue_pen_ = nullptr;
  bitmap_button_c action_, menu_;
  image_c strip_;
};
