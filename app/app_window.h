// Windows only: Vantoril's one top-level window. It draws its own caption area, status strip
// and rounded frame, carries the caption buttons and the popup menu, owns the navigation bar
// and the pages, keeps the tray icon, and is the hub of the application messages. Its state
// rules are main_controller's (app_window_state.h); this file carries them out.
#pragma once

#include <windows.h>

#include "app/about_window.h"
#include "app/command_line.h"
#include "app/app_window_pages.h"
#include "app/app_window_state.h"
#include "engine/documents.h"  // program_version
#include "engine/version_check.h"
#include "framework/image.h"
#include "framework/message_loop.h"
#include "framework/window.h"
#include "widgets/button.h"
#include "widgets/ui_event.h"
#include "widgets/ui_window.h"

// The main window's own class: a second start finds it by this class and the title, never by
// the title alone.
constexpr wchar_t main_window_class[] = L"Vantoril.MainWindow";
constexpr wchar_t product_title[] = L"Vantoril";

// The popup menu's commands.
enum : int {
  cmd_preferences = 40013,
  cmd_help = 40016,
  cmd_about = 40017,
  cmd_exit = 40018,
  cmd_check_for_updates = 40019,
};

// Posted to itself when the last modal dialog closed: what waited for it runs from the loop.
constexpr UINT WM_APP_RUN_PENDING = 0x8000 + 0x40;

class main_window_c : public window_impl<main_window_c>,
                      public ui_window_c<main_window_c>,
                      public ui_event_c<main_window_c>,
                      public message_filter_c,
                      public idle_handler_c,
                      public CTrayIconImpl<main_window_c> {
 public:
  // What the window hands to the world outside; the real things unless a test says otherwise.
  struct seams {
    void (*open_url)(const char16_t* url, void* owner);
    int (*show_message)(void* owner, int type, const char16_t* text);
    bool (*start_version_check)(int flag, void* main_window);
    bool (*apply_autorun)();  // start at log-on made to follow the setting
    DWORD work_wait_ms;  // how long a quit waits for running work to stop
    scan_page_seams scan;  // what the scan page runs and shows
    seams();
  };

  explicit main_window_c(const seams& s = seams());
  ~main_window_c() override;

  static const wchar_t* window_class_name() { return main_window_class; }
  static void adjust_window_class(WNDCLASSEXW& c);

  // Creates the window at 800 x 600, centred, not yet shown. `start` is the command line's
  // switch ("--autoscan" starts a scan before this returns). Null on failure.
  HWND create_window(start_switch start = start_switch::plain);

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  bool pre_translate_message(MSG&) override { return false; }
  bool on_idle() override { return false; }

  void show_page(HWND page);
  void quit();

  // Painting hooks of ui_window_c.
  void paint(HDC dc, const RECT& client);
  void paint_frame(HDC dc, const RECT& client);

  // Read by tests and by the process entry.
  int32_t state() const { return controller_.state; }
  HWND current_page() const { return current_page_; }
  // True when a quit left work running past the wait: what it uses must not be freed.
  bool work_left_running() const { return work_left_running_; }
  bool has_update_link() const { return update_link_ != nullptr; }
  // The enabled window that this one is the owner of while it is disabled (the open dialog),
  // also through a disabled owner between them (the about dialog over the mask).
  HWND open_dialog() const;
  HWND mask_window() const { return mask_.handle(); }
  // The window of a page.
  HWND page_window(main_page page);

  sidebar_window_c sidebar;
  home_window_c home_page;
  scan_window_c scan_page;
  backup_window_c backup_page;
  restore_window_c restore_page;
  download_window_c download_page;
  uninstall_window_c uninstall_page;

 private:
  LRESULT on_create();
  void on_size(WPARAM type, int width, int height);
  void on_close();
  LRESULT on_start_scan();
  LRESULT on_scan_done(WPARAM count);
  LRESULT on_show_home();
  LRESULT on_activate(WPARAM start_scan);
  LRESULT on_sidebar_command(WPARAM button);
  void on_menu_command(int index);
  LRESULT on_version_result();
  LRESULT on_show_update_link();
  LRESULT on_tray(WPARAM wparam, LPARAM lparam);
  // The result pages take the scan's devices, in order.
  void fill_results();
  // The update page's groups, exclusions and rows anew, its list focused.
  void refill_download_page(bool after_scan);
  void on_enable(bool enabled);

  // The controller's step, carried out.
  void run(const main_controller::input& in);
  void carry_out(const main_step& s);
  main_controller::input event(main_event e, int32_t value = 0) const;
  // A modal dialog of the program is open over this window (it is then disabled).
  bool modal_open() const;
  void bring_modal_to_front();
  void place_page(HWND page, bool after_switch);

  // The caption links' baseline distance from the bottom edge.
  static constexpr int link_distance = 18;

  // Caption buttons and links.
  void on_close_button() { on_close(); }
  void on_maximise_button();
  void on_minimise_button() { ShowWindow(handle(), SW_MINIMIZE); }
  void on_menu_button();
  void on_check_link();
  void on_update_link();
  void check_for_updates();
  void show_preferences();
  void show_about();
  void open_published_link();

  // Work that a quit asks about, and its stop: transfers and a backup are cancelled, jobs
  // waited for, every other worker thread waited for up to work_wait_ms.
  running_work work_running();
  void take_running_work(main_controller::input& in);
  void stop_work();
  void remove_tray_icon();

  seams seams_;
  main_controller controller_;
  start_switch start_ = start_switch::plain;
  HWND current_page_ = nullptr;
  system_button_c<main_window_c>* maximise_button_ = nullptr;
  reverse_link_button_c<main_window_c>* check_link_ = nullptr;
  reverse_link_button_c<main_window_c>* update_link_ = nullptr;
  HMENU menu_ = nullptr;
  HMENU second_menu_ = nullptr;
  HICON big_icon_ = nullptr;
  HICON small_icon_ = nullptr;
  image_c logo_;       // PNG 169
  image_c logo_text_;  // PNG 170
  version_info published_;  // what the last version message found: the update link's target
  bool work_left_running_ = false;
  bool quitting_ = false;
  const char* quit_key_ = nullptr;  // the quit question's text, naming the work that runs
  LPARAM tray_lparam_ = 0;
  // Over the window while the about dialog runs; the last member window, gone first.
  mask_window_c mask_;
};
