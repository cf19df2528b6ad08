// The main window's rules apart from its window: which page a state and an event lead to, and
// what the window must do. The window (app_window_win.cpp) only carries the actions out.
#pragma once

#include <cstdint>

// The main window's state: 0 overview, 1 scanning, 3 results (2 is never used).
enum : int32_t { main_overview = 0, main_scanning = 1, main_results = 3 };

// The page a finished scan shows by mode: 0 update, 1 backup, 2 restore, 3 uninstall.
enum class main_page { unchanged, home, scan, download, backup, restore, uninstall };

// The tray icon's mouse messages that act (the platform's WM_ values).
constexpr int32_t tray_left_button_up = 0x0202, tray_left_double_click = 0x0203, tray_right_button_up = 0x0205;

enum class main_event {
  start_scan,      // WM_APP_START_SCAN
  scan_done,       // WM_APP_SCAN_DONE
  show_home,       // WM_APP_SHOW_HOME
  sidebar,         // WM_APP_SIDEBAR_COMMAND, with the button and the scan page's phase
  activate,        // WM_APP_ACTIVATE, with the start-scan flag
  tray,            // a mouse message of the tray icon
  menu_command,    // a command of the popup or tray menu, with its index (id - 40013)
  modal_closed,    // the last modal dialog over the main window closed
  close,           // WM_CLOSE or the close button, with CloseToTray
  quit,            // the Exit command, with whether work is running
  download_dir_changed,  // WM_APP_DOWNLOAD_DIR_CHANGED
  exclusions_removed,    // the preferences dialog took entries out of the exclusion list
};

// What the window does, in the order of the bits.
enum main_action : uint32_t {
  act_none = 0,
  act_show_window = 1u << 0,          // ShowWindow(SW_SHOW), to the foreground, to the top
  act_front_modal = 1u << 1,          // bring the open modal dialog to the front instead
  act_disable_nav = 1u << 2,          // every navigation button disabled, results flag cleared
  act_reset_scan_phase = 1u << 3,     // the scan page's phase back to 0
  act_fill_results = 1u << 4,         // the result pages take the scan's devices
  act_enable_nav = 1u << 5,           // the navigation buttons enabled
  act_set_results_flag = 1u << 6,     // the bar's results-available flag set
  act_select_mode = 1u << 7,          // the bar selects the button of the mode's page
  act_start_page_scan = 1u << 8,      // after the page switch: the scan page starts its scan
  act_send_start_scan = 1u << 9,      // send WM_APP_START_SCAN to the main window
  act_run_tray = 1u << 10,            // the tray icon's own handling of the mouse message
  act_run_menu_command = 1u << 11,    // carry the menu command out
  act_open_support = 1u << 12,        // the support page in the browser
  act_preferences = 1u << 13,         // the preferences dialog
  act_hide_window = 1u << 14,         // ShowWindow(SW_HIDE): the program stays in the tray
  act_ask_quit = 1u << 15,            // ask "quit_confirm" first; a No ends the quit there
  act_stop_work = 1u << 16,           // cancel the running work and wait for it, bounded
  act_destroy = 1u << 17,             // apply_autorun, then DestroyWindow
  act_refresh_sessions = 1u << 18,    // the download sessions follow the download folder
  act_rebuild_update = 1u << 19,      // regroup, reload the exclusions, rebuild the update page
  act_select_home = 1u << 20,         // the bar marks the home button (a scan that failed or was
                                      // cancelled leaves the page it started from)
};

struct main_step {
  int32_t state = main_overview;   // the state afterwards
  main_page page = main_page::unchanged;
  uint32_t actions = act_none;
  int32_t command = -1;  // act_run_menu_command: the menu index to carry out
};

// The controller: its state, the mode and what waits for a modal dialog to close.
class main_controller {
 public:
  int32_t state = main_overview;
  int32_t mode = 0;
  // Requests that came while a modal dialog was open, carried out when it closes. A scan's
  // end is kept too: filling and showing pages under the dialog would take its focus.
  bool pending_scan = false;
  int32_t pending_command = -1;  // a menu command index, -1 none
  bool pending_scan_done = false;
  bool pending_show_home = false;
  bool pending_update_rebuild = false;  // the update page is rebuilt when the dialog closes

  struct input {
    main_event event;
    int32_t value = 0;      // sidebar button, activate flag, menu index, tray mouse message
    int32_t scan_phase = 0;  // the scan page's phase (sidebar)
    bool modal_open = false;  // a modal dialog of the program is open over the main window
    bool close_to_tray = false;
    bool work_running = false;  // a scan, download or job is running (quit)
  };

  // Applies the event: changes state, mode and the pending requests, and says what to do.
  main_step step(const input& in);

 private:
  void end_scan(main_step& s);
  void go_home(main_step& s);
};

// The work a quit finds running, as far as the user started it.
struct running_work {
  bool install = false;    // an install job, watched or not
  bool uninstall = false;
  bool restore = false;
  bool backup = false;
  bool download = false;   // a session downloading
  bool scan = false;       // the scan's workers
  bool any() const { return install || uninstall || restore || backup || download || scan; }
  // Jobs change the machine and cannot be cut short: a quit waits for their end.
  bool jobs() const { return install || uninstall || restore; }
};
// The key of the quit question that names the work (the job first, as a quit waits for it);
// null when nothing runs.
const char* quit_question_key(const running_work& work);

// The page of a mode (0-3).
main_page page_of_mode(int32_t mode);

#include <string>
#include <string_view>

// The status line: the language text's first "%s" replaced by the version ("%%" reads "%",
// any other "%" stays as it is), at most 1023 characters.
std::u16string version_line(std::u16string_view format, std::u16string_view version);
// Whether a link from the network may be handed to the shell: http:// or https:// only
// (without regard to case), nothing else.
bool is_openable_link(std::string_view link);
