// The preferences dialog's rules, portable: what each control shows when it opens, which
// controls belong to which page, and what OK makes of the controls (apply_preferences).
// The window (settings_window_win.cpp) only builds the controls and carries the outcome out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "engine/tasks.h"

enum preferences_page {
  page_general = 0,
  page_location = 1,
  page_network = 2,
  page_exclusion = 3,
  page_scheduler = 4,
  preferences_page_count = 5,
};

// Every control of the pages, in the order they are built.
enum class pref_control {
  box1, box2, box3, language,
  box4, box5, match0, match1, browse_download, browse_backup, edit_download, edit_backup,
  edit_host, edit_port, edit_user, edit_pass, proxy0, proxy1, proxy2, proxy3,
  remove, exclusion_list,
  enable, period, hour, weekday, month_day,
};

enum class pref_kind { check_box, radio, drop_down, image_button, edit, list_view };

// One control of the pages: where it goes and what it says.
struct pref_layout {
  pref_control id;
  int page;
  pref_kind kind;
  int x, y;
  int extent;  // check boxes and radios: right edge; drop-downs: width; EDITs: width
  int height;  // EDITs only
  int edit_id;           // EDITs and the list view: the control id
  int text_limit;        // EDITs: characters the field holds
  const char* text_key;  // caption, or null
};
const std::vector<pref_layout>& preferences_layout();
const pref_layout& layout_of(pref_control id);

// The controls of a page, as shown: the scheduler page shows the weekday list for a weekly
// and the month-day list for a monthly period only.
std::vector<pref_control> page_controls(int page, int period_selection);

// The values the controls hold; -1 for a list or radio set with nothing selected.
struct preferences_controls {
  uint32_t autorun = 0, close_to_tray = 0, check_version = 0, scan_non_present = 0,
           auto_backup = 0;
  int language_index = -1;
  std::u16string language_code;  // of the selected name; empty when none
  int match = -1;
  std::u16string download_path, backup_path;
  int proxy = -1;
  std::u16string proxy_host, proxy_port, proxy_user, proxy_pass;
  uint32_t scheduler_enabled = 0;
  int period = -1, hour = -1, weekday = -1, month_day = -1;
};

// What the dialog shows on opening; a stored value outside its list selects nothing.
preferences_controls starting_values(const app_settings_record& stored,
                                     int current_language_index, int language_count);

// Rows of the drop-down lists that are not language texts.
std::vector<std::u16string> hour_rows();       // "00:00" ... "23:00"
std::vector<std::u16string> month_day_rows();  // "1" ... "30"

enum class scheduler_action { none, schedule, remove };

struct preferences_outcome {
  const char* refusal = nullptr;  // message key (type 1): nothing is changed, the dialog stays
  app_settings_record settings{};
  scheduler_action scheduler = scheduler_action::none;
  scheduled_scan_request request{};
  bool reparse_language = false;
  bool download_folder_changed = false;
};

// OK. `anything_running`: a transfer thread or an install job runs, either of which reads
// the download folder. `folder_ready` makes a folder (with its parents) when missing and says
// whether it exists afterwards; it is asked only for a changed folder.
preferences_outcome apply_preferences(const app_settings_record& stored,
                                      const preferences_controls& controls,
                                      int current_language_index, bool anything_running,
                                      const std::function<bool(const std::u16string&)>& folder_ready);

// Whether the scheduler change of OK is done: it worked, or a removal found no task scheduler
// at all, so that no scheduled scan can run and the setting may go off (else it could never be
// switched off and every OK would fail again).
bool scheduler_change_done(scheduler_action action, bool worked, bool scheduler_available);

// The work item could not be saved or deleted: the scheduler values stay as stored, so that
// they keep telling whether a work item exists.
void keep_scheduler_values(preferences_outcome& outcome, const app_settings_record& stored);

// Copies into `into` the fields the dialog sets, and only those: a value a worker saved
// meanwhile (DebugStatus, UninstallLink) stays.
void take_dialog_fields(app_settings_record& into, const app_settings_record& from);

// A port as the user typed it: 1..65535, else 0.
uint32_t read_proxy_port(const std::u16string& text);
