#include "app/scan_page_win.h"

#include <cstring>
#include <ctime>

#include "base/text.h"
#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/engine_errors.h"
#include "engine/helpers.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/thread.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

// The list's own notice: the scan thread appended lines.
constexpr UINT list_lines_added = WM_USER + 1;

const COLORREF line_colour = RGB(205, 207, 211);
const COLORREF band_colour = RGB(241, 250, 255);

void post_scan_done(HWND main, int32_t devices) {
  PostMessageW(main, WM_APP_SCAN_DONE, static_cast<WPARAM>(devices), 0);
}
void post_show_home(HWND main) { PostMessageW(main, WM_APP_SHOW_HOME, 0, 0); }
void post_start_scan(HWND main) { PostMessageW(main, WM_APP_START_SCAN, 0, 0); }

std::u16string text_of(const char* key) {
  const char16_t* t = get_text(key);
  return t ? t : u"";
}

void text_out(HDC dc, int x, int y, const std::u16string& text) {
  TextOutW(dc, x, y, as_wide(text.c_str()), static_cast<int>(text.size()));
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

int text_width(HDC dc, const std::u16string& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, as_wide(text.c_str()), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

// ---- the header strip ----

bool scan_header_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           LRESULT& result) {
  return process_ui_window_message(window, message, wparam, lparam, result);
}

void scan_header_c::paint(HDC dc, const RECT& client) {
  SelectObject(dc, font_normal_10);
  fill(dc, RECT{0, 0, client.right, scan_line_height}, RGB(248, 248, 248));
  SetTextColor(dc, RGB(0, 0, 0));
  text_out(dc, 10, 5, text_of("scan_date"));
  text_out(dc, 160, 5, text_of("scan_status"));
  fill(dc, RECT{150, 0, 151, client.bottom}, line_colour);
  fill(dc, RECT{0, client.bottom - 1, client.right, client.bottom}, line_colour);
}

// ---- the list ----

void scan_list_c::on_device_scanned(const char16_t* name) {
  append(text_of("scan_text2") + (name ? name : u""));
  // Scrolling and painting are the user-interface thread's.
  if (HWND window = handle()) PostMessageW(window, list_lines_added, 0, 0);
}

void scan_list_c::add_line(const std::u16string& text) {
  append(text);
  catch_up();
}

void scan_list_c::append(const std::u16string& status) {
  std::u16string time = local_time_text();
  std::lock_guard<std::mutex> hold(mutex_);
  status_texts_.push_back(status);
  time_texts_.push_back(time);
}

std::vector<std::u16string> scan_list_c::status_texts() {
  std::lock_guard<std::mutex> hold(mutex_);
  return status_texts_;
}

void scan_list_c::clear() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    status_texts_.clear();
    time_texts_.clear();
  }
  lines_shown_ = 0;
  scroll_.content_height = scan_line_height;
  scroll_.position = 0;
  if (handle()) {
    show_bar(false);
    InvalidateRect(handle(), nullptr, FALSE);
  }
}

void scan_list_c::catch_up() {
  size_t lines;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    lines = status_texts_.size();
  }
  if (lines == lines_shown_) return;
  while (lines_shown_ < lines) {
    scroll_after_append(scroll_);
    ++lines_shown_;
  }
  if (!handle()) return;
  if (scroll_.bar_needed()) show_bar(true);
  apply_position(scroll_.position);
}

void scan_list_c::show_bar(bool shown) { ShowScrollBar(handle(), SB_VERT, shown ? TRUE : FALSE); }

void scan_list_c::apply_position(int32_t position) {
  scroll_.position = clamp_scroll_position(scroll_, position);
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = scroll_.content_height;
  info.nPage = static_cast<UINT>(scroll_.page_height > 0 ? scroll_.page_height : 0);
  info.nPos = scroll_.position;
  SetScrollInfo(handle(), SB_VERT, &info, TRUE);
}

bool scan_list_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_CREATE:
      header_.create(window, RECT{0, 0, 0, scan_line_height}, L"",
                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
      result = 0;
      return true;
    case WM_SIZE: {
      scroll_after_resize(scroll_, HIWORD(lparam));
      if (scroll_.bar_needed()) {
        show_bar(true);
        apply_position(scroll_.position);
      } else {
        show_bar(false);
      }
      RECT client = client_rect();  // the bar may have changed the width
      if (header_.handle())
        MoveWindow(header_.handle(), 0, 0, client.right, scan_line_height, TRUE);
      result = 0;
      return true;
    }
    case list_lines_added:
      catch_up();
      result = 0;
      return true;
    case WM_VSCROLL: {
      int request = LOWORD(wparam);
      int32_t track = 0;
      if (request == SB_THUMBPOSITION || request == SB_THUMBTRACK) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window, SB_VERT, &info);
        track = info.nTrackPos;
      }
      int32_t position = scroll_request_position(scroll_, request, track);
      if (position != scroll_.position) apply_position(position);
      return false;  // and on to the default processing
    }
    case WM_MOUSEWHEEL:
      if (scroll_.bar_needed())
        apply_position(wheel_position(scroll_, static_cast<int16_t>(HIWORD(wparam))));
      return false;
    default:
      return false;
  }
}

void scan_list_c::paint(HDC dc, const RECT& client) {
  SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(0, 0, 0));
  {
    std::lock_guard<std::mutex> hold(mutex_);
    for (size_t i = 0; i < status_texts_.size(); ++i) {
      int y = scan_line_height * static_cast<int>(i) - scroll_.position;
      if (y + 50 < 0) continue;
      if (y > client.bottom) break;
      if (i % 2 == 0) fill(dc, RECT{0, y + 25, client.right, y + 50}, band_colour);
      text_out(dc, 10, y + 31, time_texts_[i]);
      text_out(dc, 160, y + 31, status_texts_[i]);
    }
  }
  fill(dc, RECT{150, 0, 151, client.bottom}, line_colour);
}

// ---- the page ----

scan_window_c::scan_window_c(scan_page_seams seams)
    : seams_(seams), device_worker_(seams.device_scan, &progress_), online_worker_(&online_run_entry, &online_) {
  online_.entry = seams.online_check;
  online_.status.os_version = static_cast<int32_t>(os_version_number());
}

scan_window_c::~scan_window_c() {
  // The workers write into this page's records: they must have ended before the records go.
  for (worker_task_c* worker : {&device_worker_, &online_worker_})
    if (worker->thread()) wait_for_thread(worker->thread());
  KillTimer(handle(), scan_poll_timer);
  device_worker_.release();
  online_worker_.release();
}

HWND scan_window_c::create(HWND main_window, const RECT& rect) {
  main_window_ = main_window;
  return window_impl<scan_window_c>::create(main_window, rect, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

int32_t scan_window_c::online_run_entry(void* argument) {
  auto* run = static_cast<online_run*>(argument);
  // This exchange's own outcome: other threads may write the process-wide code meanwhile.
  this_thread_error_code = 0;
  int32_t result = run->entry(&run->status);
  run->code = result != 0 ? this_thread_error_code : 0;
  if (result != 0 && run->code == 0) run->code = last_error_code;  // a worker of another kind
  return result;
}

void scan_window_c::start_scan() {
  // A rescan or a retry draws none of the last scan's numbers, also before its first tick.
  reset_device_progress();
  SetCursor(wait_cursor_);
  redraw(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  phase = scan_phase::idle;
  painter_.fraction = 0;
  start_time_ = _time64(nullptr);
  list_.clear();
  SetTimer(handle(), scan_poll_timer, 200, nullptr);
  picture_.start();
}

void scan_window_c::reset_device_progress() {
  progress_.total = 0;
  progress_.current = 0;
  std::lock_guard<scan_list_sink> hold(list_);
  progress_.last_name[0] = 0;
}

void scan_window_c::start_device_scan() {
  progress_.scan_non_present = app_settings.ScanNonPresent;
  reset_device_progress();
  progress_.list = &list_;
  device_start_failed_ = !device_worker_.start();
  if (device_start_failed_) set_last_error(engine_error::client_create);
}

void scan_window_c::start_online_check() {
  online_.status.http_status = 0;
  std::memset(online_.status.error_text, 0, sizeof online_.status.error_text);
  online_.code = 0;
  online_start_failed_ = !online_worker_.start();
  if (online_start_failed_) online_.code = engine_error::client_create;
}

bool scan_window_c::worker_ended(worker_task_c& worker, bool start_failed) {
  if (start_failed) return true;
  return worker.thread() && thread_has_ended(worker.thread());
}

bool scan_window_c::workers_running() { return device_worker_.is_running() || online_worker_.is_running(); }

void scan_window_c::on_timer(UINT_PTR id) {
  worker_task_c* worker = nullptr;
  bool ended = false;
  int32_t result = 0;
  if (phase == scan_phase::device_scan) {
    worker = &device_worker_;
    ended = worker_ended(device_worker_, device_start_failed_);
    result = device_start_failed_ ? -1 : device_worker_.result();
  } else if (phase == scan_phase::online_check) {
    worker = &online_worker_;
    ended = worker_ended(online_worker_, online_start_failed_);
    result = online_start_failed_ ? -1 : online_worker_.result();
  }
  bool kept = true;
  if (phase == scan_phase::device_scan && ended && result == 0) {
    device_store* store = the_device_store();
    kept = store && !store->devices.empty();
  }
  scan_tick tick = decide_scan_tick(phase, ended, result, kept);
  phase = tick.phase;
  uint32_t a = tick.actions;
  if ((a & act_close_worker) && worker) worker->close_thread_handle();
  if (a & act_kill_timer) KillTimer(handle(), id);
  if (a & act_arrow_cursor) SetCursor(arrow_cursor_);
  if (a & act_stop_animation) picture_.stop();
  if (a & act_show_device_error) {
    static const char16_t device_error[] = u"Scan Devices Error";
    seams_.dialog(handle(), 2, device_error);
  }
  if (a & act_show_scan_error) {
    scan_tick after = decide_after_scan_error(phase, show_scan_error());
    phase = after.phase;
    if (after.actions == 0) post_start_scan(main_window_);
    a |= after.actions;
  }
  if (a & act_reset_progress) painter_.fraction = 0;
  if (a & act_post_show_home) post_show_home(main_window_);
  if (a & act_post_scan_done) post_scan_done(main_window_, progress_.total);
  if (a & act_start_device_scan) start_device_scan();
  if (a & act_add_checking_line) list_.add_line(text_of("scan_text3"));
  if (a & act_start_online_check) start_online_check();
  redraw(RDW_INVALIDATE | RDW_UPDATENOW);
}

int scan_window_c::show_scan_error() {
  scan_error_choice choice =
      choose_scan_error(online_.code, online_.status.error_text[0] == 0, server_message[0] == 0);
  std::u16string text;
  switch (choice.kind) {
    case scan_error_kind::none: return 2;
    case scan_error_kind::key: text = text_of(choice.key); break;
    case scan_error_kind::error_text: text = ansi_to_u16(online_.status.error_text); break;
    case scan_error_kind::status_format:
      text = format_status_text(text_of(choice.key), online_.status.http_status);
      break;
    case scan_error_kind::server_message: text = server_message; break;
  }
  return seams_.dialog(handle(), 4, text.c_str());
}

std::u16string scan_window_c::elapsed_text() const {
  return format_elapsed(start_time_ ? _time64(nullptr) - start_time_ : 0);
}

void scan_window_c::redraw(UINT flags) {
  if (handle()) RedrawWindow(handle(), nullptr, nullptr, flags);
}

void scan_window_c::on_create() {
  painter_.load();
  list_.create(handle(), RECT{12, 166, 598, 446}, L"",
               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL);
  picture_.create(handle(), RECT{33, 90, 88, 145}, L"", WS_CHILD | WS_VISIBLE);
  if (picture_.load_from_resource()) {
    picture_.background = RGB(255, 255, 255);
    picture_.clear_canvas();
  }
  wait_cursor_ = LoadCursorW(nullptr, IDC_WAIT);
  arrow_cursor_ = LoadCursorW(nullptr, IDC_ARROW);
}

void scan_window_c::on_size() {
  RECT c = client_rect();
  if (list_.handle())
    MoveWindow(list_.handle(), c.left + 15 + 1, 166 + 1, (c.right - 15 - 1) - (c.left + 15 + 1),
               (c.bottom - 15 - 1) - (166 + 1), TRUE);
  if (picture_.handle()) MoveWindow(picture_.handle(), 33, 90, 55, 55, TRUE);
}

bool scan_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_CREATE:
      on_create();
      result = 0;
      return true;
    case WM_SIZE:
      on_size();
      result = 0;
      return true;
    case WM_SETFOCUS:
      if (list_.handle()) SetFocus(list_.handle());
      result = 0;
      return true;
    case WM_SETCURSOR:
      if (workers_running()) SetCursor(wait_cursor_);
      result = TRUE;
      return true;
    case WM_TIMER:
      on_timer(wparam);
      result = 0;
      return true;
    default:
      return false;
  }
}

void scan_window_c::paint(HDC dc, const RECT& client) {
  const int width = client.right, height = client.bottom;
  fill_vertical_gradient(RGB(221, 230, 239), RECT{0, 0, width, 100}, dc, RGB(255, 255, 255));

  SelectObject(dc, font_normal_15);
  SetTextColor(dc, RGB(66, 90, 138));
  text_out(dc, 12, 14 + text_y_adjust_small, text_of("scan_text1"));

  RECT box1{15, 54, width - 15, 154};
  fill(dc, box1, RGB(255, 255, 255));
  if (light_grey_brush) FrameRect(dc, &box1, light_grey_brush);
  RECT box2{15, 166, width - 15, height - 15};
  if (light_grey_brush) FrameRect(dc, &box2, light_grey_brush);

  SelectObject(dc, font_normal_11);
  SetTextColor(dc, RGB(0, 0, 0));
  std::u16string status;
  if (phase == scan_phase::online_check) {
    status = text_of("scan_text3");
  } else {
    std::lock_guard<scan_list_sink> hold(list_);
    if (progress_.last_name[0]) status = text_of("scan_text2") + progress_.last_name;
  }
  RECT status_box{30, 64, width - 22, 90};
  if (!status.empty())
    DrawTextW(dc, as_wide(status.c_str()), -1, &status_box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

  SelectObject(dc, font_normal_10);
  std::u16string elapsed_label = text_of("scan_time_elapsed");
  std::u16string count_label = text_of("scan_devices_scanned");
  text_out(dc, 114, 94, elapsed_label);
  text_out(dc, 324, 94, count_label);
  SetTextColor(dc, RGB(41, 149, 2));
  text_out(dc, 117 + text_width(dc, elapsed_label), 94, elapsed_text());
  std::u16string count;
  for (char c : std::to_string(progress_.current.load())) count += static_cast<char16_t>(c);
  text_out(dc, 327 + text_width(dc, count_label), 94, count);

  painter_.fraction = scan_fraction(progress_.current, progress_.total);
  SelectObject(dc, font_normal_8);
  painter_.paint(dc, 114, 120, width - 114, 141);
}
