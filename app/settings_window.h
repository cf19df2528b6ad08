// Windows only: the preferences dialog. It edits the settings on five pages and the exclusion
// list; the settings change only on OK, a removed exclusion is written at once.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "app/preferences.h"
#include "engine/exclusion_list.h"
#include "framework/dialog.h"
#include "framework/image.h"
#include "widgets/bitmap_button.h"
#include "widgets/checkbox.h"
#include "widgets/combobox.h"
#include "widgets/resource_item.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

enum { preferences_dialog_resource = 156 };

// What the main window hands in and learns back.
struct preferences_report {
  // In: whether an install job runs (it reads the download folder from its thread); null
  // when none can.
  bool (*install_running)() = nullptr;
  // Out, after OK: the download folder changed (WM_APP_DOWNLOAD_DIR_CHANGED was posted too).
  bool download_folder_changed = false;
  // Out, after OK: the backup folder changed (the restore page's rows name the old one).
  bool backup_folder_changed = false;
  // Out, whatever the ending: an exclusion was removed from Exclusion.dat.
  bool exclusions_removed = false;
};

// Runs the dialog modally over `owner`: 1 after OK, 2 after Cancel or close, -1 when it
// could not be made.
int show_preferences_dialog(HWND owner, preferences_report& report);

class settings_window_c : public dialog_impl<settings_window_c>,
                          public ui_window_c<settings_window_c>,
                          public ui_event_c<settings_window_c> {
 public:
  using item = button_c<settings_window_c>;
  using check_box = checkbox_c<settings_window_c>;
  using radio = radio_c<settings_window_c>;
  using drop_down = combobox_c<settings_window_c>;
  using tab = stick_button_c<settings_window_c>;

  explicit settings_window_c(preferences_report& report);
  ~settings_window_c() override;

  int DoModal(HWND owner);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  // The paint hook of ui_window_c.
  void paint(HDC dc, const RECT& client) { draw_page(dc, client); }

  bitmap_button_c ok_button;
  bitmap_button_c cancel_button;
  radio_group_c tab_group;
  radio_group_c proxy_group;
  radio_group_c match_group;
  image_c separator;
  int current_page = 0;
  exclusion_map exclusions;

  // The drawn items (owned by the item list) and the child windows, by control.
  item* drawn[static_cast<size_t>(pref_control::month_day) + 1] = {};
  HWND windows[static_cast<size_t>(pref_control::month_day) + 1] = {};

  check_box* box(pref_control id) { return static_cast<check_box*>(drawn[index(id)]); }
  drop_down* list(pref_control id) { return static_cast<drop_down*>(drawn[index(id)]); }
  HWND window_of(pref_control id) { return windows[index(id)]; }

  // Handlers, as the items and buttons call them.
  void on_tab();
  void on_proxy_choice();
  void on_scheduler_toggle();
  void on_period_change(int index);
  void browse_download();
  void browse_backup();
  void remove_exclusion();
  void on_close() { end_dialog(2); }
  bool on_ok();

 private:
  static size_t index(pref_control id) { return static_cast<size_t>(id); }
  void on_init_dialog(HWND window);
  void create_pages();
  void create_control(const pref_layout& l);
  void set_starting_values();
  void setup_ok_cancel();
  void set_shown(pref_control id, bool shown);
  void fill_exclusions();
  void browse(pref_control edit, const char16_t* saved);
  std::u16string edit_text(pref_control id);
  preferences_controls read_controls();
  void draw_page(HDC dc, const RECT& client);
  void draw_edit_frame(HDC dc, pref_control id);

  preferences_report& report_;
};
