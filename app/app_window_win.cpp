#include "app/app_window.h"
#include "framework/dialog.h"

#include "app/settings_window.h"

#include "base/text.h"
#include "base/wide.h"
#include "engine/backup.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/package_installs.h"
#include "engine/settings.h"
#include "engine/tasks.h"
#include "engine/worker_task.h"
#include "engine/version_check.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int caption_height = 100;
constexpr int status_height = 20;
constexpr int bar_width = 187;
constexpr int check_link_x = 670;

void open_url_default(const char16_t* url, void* owner) { open_url(url, owner); }
bool apply_autorun_default() { return apply_autorun(); }

}  // namespace

main_window_c::seams::seams()
    : open_url(open_url_default),
      show_message(show_message_window),
      start_version_check(::start_version_check),
      apply_autorun(apply_autorun_default),
      work_wait_ms(10000) {}

main_window_c::main_window_c(const seams& s) : scan_page(s.scan), seams_(s) { window_frame_brush = &frame_brush; }

main_window_c::~main_window_c() {
  logo_.destroy();
  logo_text_.destroy();
  if (big_icon_) DestroyIcon(big_icon_);
  if (small_icon_) DestroyIcon(small_icon_);
  if (menu_) DestroyMenu(menu_);
  if (second_menu_) DestroyMenu(second_menu_);
  // The member windows go in reverse order of construction with the members themselves; the
  // tray icon must not outlive the window.
  remove_icon();
  release_items();
}

void main_window_c::adjust_window_class(WNDCLASSEXW& c) {
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = nullptr;  // painted whole, double-buffered
}

HWND main_window_c::create_window(start_switch start) {
  start_ = start;
  RECT r = {0, 0, 800, 600};
  HWND made = create(nullptr, r, product_title,
                     WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX |
                         WS_MAXIMIZEBOX);
  if (made) centre_window(made);
  return made;
}

bool main_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam, LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  result = 0;
  // A quit is under way: no request of a page, a worker or a second start shows anything.
  if (quitting_ && message >= app_message_base && message < 0xC000) return true;
  switch (message) {
    case WM_DESTROY:
      if (message_loop_c* loop = app_module().get_message_loop()) {
        loop->remove_message_filter(this);
        loop->remove_idle_handler(this);
      }
      // Also when a quit left work running and the window object is never freed.
      remove_tray_icon();
      PostQuitMessage(0);
      return true;
    case WM_CREATE:
      result = on_create();
      return true;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {800, 600};
      info->ptMaxSize = {GetSystemMetrics(SM_CXFULLSCREEN),
                         GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION)};
      info->ptMaxTrackSize = info->ptMaxSize;
      return true;
    }
    case WM_SIZE:
      on_size(wparam, LOWORD(lparam), HIWORD(lparam));
      return true;
    case WM_CLOSE:
      on_close();
      return true;
    case WM_SETFOCUS:
      if (current_page_ && IsWindow(current_page_)) SetFocus(current_page_);
      return true;
    case WM_QUERYENDSESSION:
      seams_.apply_autorun();
      return false;  // the default answer lets the session end
    case WM_ENABLE:
      on_enable(wparam != FALSE);
      return false;
    case WM_APP_RUN_PENDING:
      if (!quitting_) run(event(main_event::modal_closed));
      return true;
    case WM_APP_START_SCAN:
      result = on_start_scan();
      return true;
    case WM_APP_SCAN_DONE:
      result = on_scan_done(wparam);
      return true;
    case WM_APP_SHOW_HOME:
      result = on_show_home();
      return true;
    case WM_APP_SIDEBAR_COMMAND:
      result = controller_.state == main_scanning ? 0 : on_sidebar_command(wparam);
      return true;
    case WM_APP_VERSION_RESULT:
      result = on_version_result();
      return true;
    case WM_APP_SHOW_UPDATE_LINK:
      result = on_show_update_link();
      return true;
    case WM_APP_ACTIVATE:
      result = on_activate(wparam);
      return true;
    case WM_APP_DOWNLOAD_DIR_CHANGED:
      run(event(main_event::download_dir_changed));
      return true;
    case WM_APP_QUEUE_BACKUP:
    case WM_APP_BACKUP_QUEUED:
      SendMessageW(backup_page.handle(), message, wparam, lparam);
      result = 0;
      return true;
    case WM_APP_REDRAW_ALL:
      RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
      return true;
    case WM_COMMAND: {
      int id = LOWORD(wparam);
      if (id < cmd_preferences || id > cmd_check_for_updates) return false;
      run(event(main_event::menu_command, id - cmd_preferences));
      return true;
    }
    default:
      if (process_tray_upkeep(message, wparam)) return true;
      if (message == tray_message && tray_message != 0) {
        result = wparam == 201 ? on_tray(wparam, lparam) : 0;
        return true;
      }
      return false;
  }
}

LRESULT main_window_c::on_create() {
  if (message_loop_c* loop = app_module().get_message_loop()) {
    loop->add_message_filter(this);
    loop->add_idle_handler(this);
  }

  // Caption buttons from the right edge leftward, each after the one before.
  struct caption_button {
    int png;
    void (main_window_c::*click)();
  } const buttons[] = {{103, &main_window_c::on_close_button},
                       {105, &main_window_c::on_maximise_button},
                       {107, &main_window_c::on_minimise_button},
                       {106, &main_window_c::on_menu_button}};
  int x = 0;
  for (const caption_button& b : buttons) {
    auto* item = new system_button_c<main_window_c>;
    item->create(this, b.png, x, 0, u"", 3);
    item->bind_click(b.click);
    add_item(item);
    if (b.png == 105) maximise_button_ = item;
    x += item->get_frame_width();
  }
  check_link_ = new reverse_link_button_c<main_window_c>;
  check_link_->create(this, 0, check_link_x, link_distance, get_text("menu_check_for_updates"), 0);
  check_link_->set_text_style(font_normal_8, RGB(255, 255, 255), 0);
  check_link_->set_text_style(font_underline_8, RGB(255, 255, 255), 1);
  check_link_->bind_click(&main_window_c::on_check_link);
  add_item(check_link_);

  controller_.state = main_overview;
  RECT client = client_rect();
  const int w = client.right, h = client.bottom;
  RECT bar = {1, caption_height, 1 + bar_width, h - status_height - 1};
  RECT page = {bar_width, caption_height, w - 1, h - status_height - 1};
  sidebar.create_bar(handle(), handle(), bar);
  home_page.create_page(handle(), handle(), page);
  scan_page.create(handle(), page);
  backup_page.create_page(handle(), page);
  restore_page.create(handle(), page);
  download_page.create_page(handle(), page);
  uninstall_page.create_page(handle(), page);
  current_page_ = home_page.handle();

  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (second_menu_) DestroyMenu(second_menu_);
  second_menu_ = nullptr;
  if (menu_) DestroyMenu(menu_);
  menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(201));
  load_png_resource(nullptr, &logo_, 169);
  load_png_resource(nullptr, &logo_text_, 170);
  if (big_icon_) DestroyIcon(big_icon_);
  big_icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), 0));
  if (small_icon_) DestroyIcon(small_icon_);
  small_icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(101), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  install_icon(small_icon_);
  mask_.create_mask(handle());  // after the pages
  SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));

  if (app_settings.CheckVersion != 0) seams_.start_version_check(0, handle());
  if (start_ == start_switch::autoscan) SendMessageW(handle(), WM_APP_START_SCAN, 0, 0);
  return 0;
}

void main_window_c::place_page(HWND page, bool after_switch) {
  if (!page) return;
  RECT client = client_rect();
  if (after_switch) {
    RECT bar;
    GetClientRect(sidebar.handle(), &bar);
    int width = bar.right;
    MoveWindow(page, width + 1, caption_height, client.right - width - 2,
               client.bottom - caption_height - status_height - 1, TRUE);
  } else {
    MoveWindow(page, bar_width, caption_height, client.right - bar_width - 1,
               client.bottom - caption_height - status_height - 1, TRUE);
  }
}

void main_window_c::on_size(WPARAM type, int width, int height) {
  if (maximise_button_) {
    if (type == SIZE_RESTORED) maximise_button_->load_image(nullptr, 105);
    if (type == SIZE_MAXIMIZED) maximise_button_->load_image(nullptr, 120);
  }
  if (sidebar.handle())
    MoveWindow(sidebar.handle(), 1, caption_height, bar_width,
               height - caption_height - status_height - 1, TRUE);
  place_page(current_page_, false);
  if (check_link_) check_link_->move_to(width - 130, link_distance);
  RedrawWindow(handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void main_window_c::show_page(HWND page) {
  if (!page || page == current_page_) return;
  if (current_page_) ShowWindow(current_page_, SW_HIDE);
  current_page_ = page;
  ShowWindow(page, SW_SHOW);
  SetFocus(page);
  place_page(page, true);
}

HWND main_window_c::page_window(main_page page) {
  switch (page) {
    case main_page::home:
      return home_page.handle();
    case main_page::scan:
      return scan_page.handle();
    case main_page::backup:
      return backup_page.handle();
    case main_page::download:
      return download_page.handle();
    case main_page::uninstall:
      return uninstall_page.handle();
    case main_page::restore:
      return restore_page.handle();
    default:
      return home_page.handle();
  }
}

main_controller::input main_window_c::event(main_event e, int32_t value) const {
  main_controller::input in;
  in.event = e;
  in.value = value;
  in.modal_open = modal_open();
  in.close_to_tray = app_settings.CloseToTray != 0;
  return in;
}

bool main_window_c::modal_open() const {
  // A modal dialog over this window (ours, or one a job shows from its thread) disables it.
  return handle() && !IsWindowEnabled(handle());
}

namespace {

// Shown as the user left it, or restored when minimised: SW_SHOW would leave an iconic
// window a taskbar button, and a dialog centred on it would open at the screen's corner.
void show_main_window(HWND window) {
  if (IsIconic(window))
    ShowWindow(window, SW_RESTORE);
  else if (!IsWindowVisible(window))
    ShowWindow(window, SW_SHOW);
}

}  // namespace

HWND main_window_c::open_dialog() const {
  // Also a dialog that a job shows from its own thread.
  return find_open_dialog(handle());
}

void main_window_c::bring_modal_to_front() {
  show_main_window(handle());
  HWND popup = open_dialog();
  if (!popup) popup = handle();
  SetForegroundWindow(popup);
  BringWindowToTop(popup);
}

void main_window_c::run(const main_controller::input& in) { carry_out(controller_.step(in)); }

void main_window_c::carry_out(const main_step& s) {
  const uint32_t a = s.actions;
  HWND self = handle();
  if (a & act_show_window) {
    show_main_window(self);
    SetForegroundWindow(self);
    BringWindowToTop(self);
  }
  if (a & act_front_modal) bring_modal_to_front();
  if (a & act_disable_nav) {
    sidebar.enable(FALSE);
    sidebar.results_available = 0;
  }
  if (a & act_reset_scan_phase) scan_page.phase = scan_phase::idle;
  if (a & act_fill_results) fill_results();
  if (a & act_enable_nav) sidebar.enable(TRUE);
  if (a & act_set_results_flag) sidebar.results_available = 1;
  if (a & act_select_mode) sidebar.select(controller_.mode + 2);
  if (a & act_select_home) sidebar.mark_home();
  if (s.page != main_page::unchanged) show_page(page_window(s.page));
  if (a & act_start_page_scan) scan_page.start_scan();
  if (a & act_send_start_scan) SendMessageW(self, WM_APP_START_SCAN, 0, 0);
  if (a & act_run_tray) on_tray_icon(201, tray_lparam_);
  if (a & act_run_menu_command) on_menu_command(s.command);
  if (a & act_preferences) show_preferences();
  if (a & act_open_support) seams_.open_url(support_page_url().c_str(), self);
  if (a & act_refresh_sessions) refresh_download_sessions();
  if (a & act_rebuild_update) refill_download_page(false);
  if (a & act_hide_window) ShowWindow(self, SW_HIDE);
  if (a & act_destroy) {
    if (quitting_) return;
    if ((a & act_ask_quit) && quit_key_ && seams_.show_message(self, 3, get_text(quit_key_)) == 2) return;
    quitting_ = true;
    // Also a worker nobody asks about (the version check, the report upload) is waited for.
    if ((a & act_stop_work) || worker_task_c::live_threads() > 0) stop_work();
    seams_.apply_autorun();
    DestroyWindow(self);
  }
}

void main_window_c::on_enable(bool enabled) {
  // The last modal dialog closed: what waited for it runs from the message loop, once the
  // call that showed the dialog has returned (it may still use what a scan would free).
  if (enabled) PostMessageW(handle(), WM_APP_RUN_PENDING, 0, 0);
}

LRESULT main_window_c::on_start_scan() {
  run(event(main_event::start_scan));
  return 0;
}

LRESULT main_window_c::on_scan_done(WPARAM) {
  run(event(main_event::scan_done));
  return 0;
}

void main_window_c::fill_results() {
  refill_download_page(true);
  // The backup page's reload rebuilds backup_list, which the uninstall rows point into.
  backup_page.reload();
  // The uninstall rows point into backup_list: they are rebuilt after it.
  uninstall_page.rebuild();
}

void main_window_c::refill_download_page(bool after_scan) {
  download_page.regroup();
  download_page.load_exclusions();
  download_page.rebuild(after_scan);
  if (download_page.rows_window()) SetFocus(download_page.rows_window());
}

LRESULT main_window_c::on_show_home() {
  run(event(main_event::show_home));
  return 0;
}

LRESULT main_window_c::on_activate(WPARAM start_scan) {
  run(event(main_event::activate, start_scan != 0 ? 1 : 0));
  return 0;
}

LRESULT main_window_c::on_sidebar_command(WPARAM button) {
  main_controller::input in = event(main_event::sidebar, static_cast<int32_t>(button));
  in.scan_phase = scan_page.phase;
  run(in);
  return 0;
}

LRESULT main_window_c::on_tray(WPARAM, LPARAM lparam) {
  tray_lparam_ = lparam;
  run(event(main_event::tray, static_cast<int32_t>(lparam)));
  return 0;
}

void main_window_c::on_close() {
  main_controller::input in = event(main_event::close);
  if (!in.close_to_tray) take_running_work(in);
  run(in);
}

void main_window_c::quit() {
  main_controller::input in = event(main_event::quit);
  take_running_work(in);
  run(in);
}

void main_window_c::take_running_work(main_controller::input& in) {
  const running_work w = work_running();
  in.work_running = w.any();
  quit_key_ = quit_question_key(w);
}

void main_window_c::on_menu_command(int index) {
  switch (index + cmd_preferences) {
    case cmd_help:
      seams_.open_url(support_page_url().c_str(), handle());
      break;
    case cmd_exit:
      quit();
      break;
    case cmd_check_for_updates:
      check_for_updates();
      break;
    case cmd_preferences:
      show_preferences();
      break;
    case cmd_about:
      show_about();
      break;
    default:
      break;
  }
}

// The preferences dialog, owned by this window (which it disables while it is open, so that
// requests meanwhile wait for it to close).
void main_window_c::show_preferences() {
  show_main_window(handle());
  preferences_report report;
  report.install_running = any_package_install_running;
  show_preferences_dialog(handle(), report);
  // The update page holds the exclusions it read; a removed one must come back there before
  // the page writes its list again.
  if (report.exclusions_removed) run(event(main_event::exclusions_removed));
  // A shown restore page lists the archives of the new folder at once (a hidden one does
  // at its next show): its rows would restore, delete and open in the old one.
  if (report.backup_folder_changed && restore_page.handle() && IsWindowVisible(restore_page.handle()))
    restore_page.reload();
}

// The about dialog over a translucent mask on this window; the window is disabled meanwhile,
// so that requests wait for the dialog as they do for any other.
void main_window_c::show_about() {
  HWND self = handle();
  show_main_window(self);
  EnableWindow(self, FALSE);
  RECT r;
  GetWindowRect(self, &r);
  HWND owner = self;
  if (mask_.handle()) {
    SetWindowPos(mask_.handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    owner = mask_.handle();
  }
  show_about_dialog(owner);
  EnableWindow(self, TRUE);
  if (mask_.handle()) ShowWindow(mask_.handle(), SW_HIDE);
}

void main_window_c::check_for_updates() {
  show_main_window(handle());
  seams_.start_version_check(1, handle());
}

void main_window_c::on_check_link() { check_for_updates(); }

void main_window_c::on_maximise_button() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(handle(), &placement);
  ShowWindow(handle(), placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : SW_MAXIMIZE);
}

void main_window_c::on_menu_button() {
  if (!menu_) return;
  HMENU popup = GetSubMenu(menu_, 0);
  if (!popup) return;
  const struct {
    UINT id;
    const char* key;
  } texts[] = {{cmd_preferences, "menu_settings"},
               {cmd_check_for_updates, "menu_check_for_updates"},
               {cmd_help, "menu_help"},
               {cmd_exit, "menu_exit"},
               {cmd_about, "menu_about"}};
  for (const auto& t : texts)
    ModifyMenuW(popup, t.id, MF_BYCOMMAND | MF_STRING, t.id, as_wide(get_text(t.key)));
  RECT window;
  GetWindowRect(handle(), &window);
  RECT client = client_rect();
  int y = window.top + 10;
  int x = clamp_to_monitor(window.left + client.right - 103, y);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, handle(), nullptr);
}
