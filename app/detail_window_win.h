// Windows only: the modal "Show Details" dialog of the list rows: the devices of one row above,
// the property table of the chosen device below. The derived classes fill the two lists.
#pragma once

#include <windows.h>

#include "app/detail_window.h"
#include "engine/backup.h"
#include "engine/backup_catalog.h"
#include "engine/driver_groups.h"
#include "framework/dialog.h"
#include "widgets/bitmap_button.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

enum { detail_dialog_resource = 153, property_list_id = 101, device_list_id = 102 };

class detail_window_c : public dialog_impl<detail_window_c>,
                        public ui_window_c<detail_window_c>,
                        public ui_event_c<detail_window_c> {
 public:
  // 1 for OK, 2 for the hidden Cancel, 0 for the close button; -1 when it cannot be made.
  INT_PTR DoModal(HWND owner) { return do_modal(owner, detail_dialog_resource); }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc, const RECT& client);

  HWND property_list = nullptr;
  HWND device_list = nullptr;
  bitmap_button_c ok_button;

 protected:
  virtual void fill_device_list() = 0;
  virtual void setup_property_columns() = 0;
  virtual void show_device_properties(int index) = 0;

  // Shared steps of the variants.
  void add_column(HWND list, int index, const char* key, int width);
  void add_device_row(int index, const char16_t* name);
  void select_first_device();
  // Empties the property list and fills it with the rows: labels, installed values and, with
  // `with_offered`, the offered values.
  void fill_property_rows(const std::vector<property_row>& rows, bool with_offered);

 private:
  void on_init(HWND window);
  void on_close() { end_dialog(0); }
};

// The download row's group: installed and offered values side by side.
class download_detail_window_c : public detail_window_c {
 public:
  explicit download_detail_window_c(const driver_group* group) : group_(group) {}

 protected:
  void fill_device_list() override;
  void setup_property_columns() override;
  void show_device_properties(int index) override;

 private:
  const driver_group* group_;
};

// A backup or uninstall row's package: installed values of its devices.
class backup_detail_window_c : public detail_window_c {
 public:
  explicit backup_detail_window_c(const backup_entry* entry) : entry_(entry) {}

 protected:
  void fill_device_list() override;
  void setup_property_columns() override;
  void show_device_properties(int index) override;

 private:
  const backup_entry* entry_;
};

// A restore row's archive: the driver values the catalog recorded of its devices.
class restore_detail_window_c : public detail_window_c {
 public:
  explicit restore_detail_window_c(const backup_record* record) : record_(record) {}

 protected:
  void fill_device_list() override;
  void setup_property_columns() override;
  void show_device_properties(int index) override;

 private:
  const backup_record* record_;
};

// Runs the dialog of a group or a backup entry over `owner` (the row's top-level window).
INT_PTR show_download_details(HWND owner, const driver_group* group);
INT_PTR show_backup_details(HWND owner, const backup_entry* entry);
INT_PTR show_restore_details(HWND owner, const backup_record* record);
