#include "app/download_panel_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

#include "app/detail_window_win.h"
#include "app/download_panel.h"
#include "app/row_window_win.h"
#include "app/setup_progress_window_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "engine/documents.h"
#include "engine/helpers.h"
#include "engine/exclusion_list.h"
#include "engine/thread.h"
#include "engine/settings.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/size_text.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr UINT_PTR row_timer = 0;
constexpr int png_unchecked = 171, png_checked = 172, png_action = 173, png_whql = 175, png_strip = 177,
              png_menu = 200;

bool real_is_administrator() { return IsUserAnAdmin() != FALSE; }

int real_show_message(HWND owner, int type, const char16_t* text) { return show_message_window(owner, type, text); }

std::u16string running_program_folder() {
  wchar_t path[MAX_PATH] = L"";
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::u16string();
  return std::u16string(parent_folder(as_u16(path)));
}

// The size of a file, read through a handle closed at once; empty when it cannot be read.
std::optional<uint64_t> readable_file_size(const std::u16string& path) {
  HANDLE h = CreateFileW(as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size;
  BOOL ok = GetFileSizeEx(h, &size);
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return uint64_t(size.QuadPart);
}

SIZE text_size(HDC dc, const std::u16string& text) {
  SIZE s = {0, 0};
  GetTextExtentPoint32W(dc, as_wide(text), int(text.size()), &s);
  return s;
}

}  // namespace

download_row_seams::download_row_seams()
    : is_administrator(real_is_administrator), show_message(real_show_message), install_entry(::install_entry) {}

download_panel_c::download_panel_c(int32_t row_group, driver_group* group, download_row_seams seams)
    : row_window_c(menu_button_id), group_(group), seams_(std::move(seams)) {
  group_id = row_group;
  if (group_ && group_->candidate) {
    address_ = group_->candidate->remote_url;
    md5sum_ = group_->candidate->md5sum;
    size_ = group_->candidate->size;
  }
}

download_panel_c::~download_panel_c() {
  if (handle() && timer_on_) KillTimer(handle(), row_timer);
  destroy_window();
  if (edge_pen_) DeleteObject(edge_pen_);
  if (bottom_pen_) DeleteObject(bottom_pen_);
  if (progress_.frame_brush) DeleteObject(progress_.frame_brush);
  if (progress_.fill_brush) DeleteObject(progress_.fill_brush);
}

int download_panel_c::measure_height() {
  const row_text_heights h = measure_row_text_heights();
  title_height_ = h.title;
  line_height_ = line_height_2_ = h.line;
  int n = group_ ? int(group_->devices.size()) : 0;
  return line_height_2_ + n * (line_height_ + 6) + 2 * title_height_ + 30;
}

bool download_panel_c::create(HWND__* parent, int32_t at_x, int32_t at_y) {
  const RECT r = place_row(*this, parent, at_x, at_y, measure_height());
  return window_impl<download_panel_c>::create(parent, r, L"", row_window_style) != nullptr;
}

void download_panel_c::on_create() {
  make_button(action_, action_id, png_action);
  action_.font = font_bold_ct_9;
  action_.text_colour = RGB(255, 255, 255);
  bool up_to_date = group_ && group_->up_to_date;
  checked_ = up_to_date ? 0 : 1;
  make_button(check_, check_id, checked_ ? png_checked : png_unchecked);
  make_button(menu_, menu_button_id, png_menu);
  selected_ = 0;
  session_ = find_download_session(address_.c_str(), size_);
  progress_.values.set_total(size_);
  progress_.frame_brush = CreateSolidBrush(RGB(51, 106, 140));
  progress_.fill_brush = CreateSolidBrush(RGB(162, 200, 243));
  edge_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  bottom_pen_ = CreatePen(PS_SOLID, 1, RGB(162, 200, 243));
  if (session_) progress_.set_value(session_->transfer.bytes_on_disk);
  if (group_ && !group_->devices.empty() && group_->devices[0]->device_class) {
    class_images_ = static_cast<HIMAGELIST>(group_->devices[0]->device_class->image_list);
    class_image_index_ = group_->devices[0]->device_class->image_index;
  }
  // Also a transfer paused but still winding down is followed to its end.
  if (session_ && (session_->status == download_running || session_->is_running())) start_timer();
  load_png_resource(nullptr, &whql_, png_whql);
  load_png_resource(nullptr, &strip_, png_strip);
  update_action_text();
}

void download_panel_c::start_timer() {
  SetTimer(handle(), row_timer, 200, nullptr);
  timer_on_ = true;
}

void download_panel_c::layout(int w, int h) {
  if (check_.handle()) SetWindowPos(check_.handle(), nullptr, 6, title_height_ + 14, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (menu_.handle()) SetWindowPos(menu_.handle(), nullptr, w - 23, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (action_.handle()) SetWindowPos(action_.handle(), nullptr, w - 132, h - 32, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void download_panel_c::paint(HDC dc, const RECT& c) {
  paint_row_frame(dc, c, background_, bottom_pen_, edge_pen_, strip_);
  if (!group_ || group_->devices.empty()) return;
  const device_info& first = *group_->devices[0];
  paint_row_class(dc, class_images_, class_image_index_, background_,
                  first.device_class ? first.device_class->description : u"");

  SelectObject(dc, font_normal_10);
  SetTextColor(dc, RGB(234, 100, 11));
  int line_bottom = title_height_ + 14;
  for (size_t i = 0; i < group_->devices.size(); ++i) {
    RECT r = {30, title_height_ + (line_height_ + 6) * int(i) + 14, c.right - 20, 0};
    r.bottom = r.top + line_height_;
    std::u16string text = device_line_text(*group_, *group_->devices[i], server_desc);
    DrawTextW(dc, as_wide(text), int(text.size()), &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);
    line_bottom = r.bottom;
  }

  int yy = line_bottom + 6;
  SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(0, 0, 0));
  std::u16string installed = get_text("download_installed");
  row_text_out(dc, 30, yy, installed);
  int xx = 30 + text_size(dc, installed).cx;
  row_dates dates = download_row_dates(*group_);
  if (group_->unmatched) {
    SetTextColor(dc, RGB(233, 34, 35));
    row_text_out(dc, xx, yy, get_text("download_none"));
    xx += text_size(dc, u"0000-00-00").cx;
  } else {
    SetTextColor(dc, RGB(119, 119, 119));
    row_text_out(dc, xx, yy, dates.installed);
    xx += text_size(dc, dates.installed).cx;
  }
  if (group_->unmatched || !group_->up_to_date) {
    xx += text_size(dc, u"        ").cx;
    SetTextColor(dc, RGB(0, 0, 0));
    std::u16string available = get_text("download_available");
    row_text_out(dc, xx, yy, available);
    xx += text_size(dc, available).cx;
    SetTextColor(dc, RGB(26, 114, 24));
    row_text_out(dc, xx, yy, dates.available);
  }

  int y2 = yy + title_height_ + 9;
  SelectObject(dc, font_normal_8);
  SetTextColor(dc, RGB(21, 80, 146));
  if (group_->candidate && group_->candidate->sign == 0) {
    if (!whql_.is_null()) whql_.draw(dc, 30, y2);
    row_text_out(dc, 52, y2, u"WHQL");
  }
  progress_.draw(dc, c.right - 430, c.bottom - 24, c.right - 293, c.bottom - 8);
  SelectObject(dc, font_normal_8);
  SetTextColor(dc, RGB(21, 80, 146));
  SetBkMode(dc, TRANSPARENT);
  std::u16string status;
  int32_t s = session_ ? session_->status : 0;
  if (const char* key = status_text_key(s)) {
    if (s == download_running) {
      char16_t speed[size_text_capacity];
      format_size_text(int64_t(session_->transfer.speed), speed);
      wchar_t line[256];
      _snwprintf(line, 255, as_wide(get_text(key)), as_wide(speed));
      line[255] = 0;
      status = as_u16(line);
    } else {
      status = get_text(key);
    }
  }
  row_text_out(dc, c.right - 272, y2, status);
}

void download_panel_c::update_action_text() {
  if (!session_ || !action_.handle()) return;
  if (const char* key = action_text_key(session_->status)) SetWindowTextW(action_.handle(), as_wide(get_text(key)));
}

void download_panel_c::download_row_timer() {
  const bool installing = follow_install();
  bool follow = installing;
  if (session_ && session_->task.thread()) {
    follow = true;
    progress_.set_value(session_->transfer.bytes_on_disk);
    if (thread_has_ended(session_->task.thread()) && !session_->is_running()) {
      session_->task.close_thread_handle();
      end_download_session(*session_);
      // A resume asked for while the old transfer wound down has just started.
      follow = installing || session_->is_running();
      progress_.set_value(session_->transfer.bytes_on_disk);
    }
  } else if (session_ && (session_->status == download_running || session_->is_running())) {
    follow = true;  // another row of the package follows its thread
  }
  if (!follow) {
    KillTimer(handle(), row_timer);
    timer_on_ = false;
  }
  update_action_text();
  RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
  if (action_.handle()) RedrawWindow(action_.handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
}

bool download_panel_c::follow_install() {
  if (!watching_install_ || !install_) return false;
  if (install_->task.is_running()) return true;
  watching_install_ = false;
  // The job found another package than the one offered and removed it.
  if (install_->job.md5_refused && session_ && !session_->is_running()) {
    session_->transfer.bytes_on_disk = 0;
    session_->status = download_failed;
    progress_.set_value(0);
    update_action_text();
    RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE | RDW_ALLCHILDREN);
    ask(2, "download_md5_mismatch");
  }
  return false;
}

const char* download_panel_c::start_download() {
  if (!session_) return nullptr;
  if (session_->status == download_running && !session_->transfer.cancel) return nullptr;
  if (session_->status == download_done) return nullptr;
  copy_cut(session_->md5sum, md5sum_);
  const char* refusal = nullptr;
  if (resume_download_session(*session_) == 0)
    start_timer();
  else  // the session names no partial file when the folder leaves no room for its name
    refusal = session_->partial_file[0] ? "download_not_started" : "download_folder_too_long";
  update_action_text();
  return refusal;
}

void download_panel_c::on_action() {
  if (!session_) return;
  switch (session_->status) {
    case download_running:
      pause_download_session(*session_);
      break;
    case download_done:
      install();
      break;
    case download_none:
    case download_partial:
    case download_failed:
      if (const char* refusal = start_download()) ask(2, refusal);
      break;
    default:
      break;
  }
  update_action_text();
  InvalidateRect(handle(), nullptr, FALSE);
}

void download_panel_c::on_check() {
  checked_ = !checked_;
  check_.set_image(checked_ ? png_checked : png_unchecked);
  // The count carries the sign; the size goes unsigned, as a package may pass 2 GiB.
  intptr_t devices = group_ ? intptr_t(group_->devices.size()) : 0;
  if (!checked_) devices = -devices;
  if (HWND p = page()) SendMessageW(p, WM_APP_SELECTION_CHANGED, WPARAM(devices), LPARAM(uintptr_t(size_)));
}

void download_panel_c::on_select_rows(WPARAM which) {
  bool now = which == 1 ? (group_ && !group_->up_to_date) : which == 2;
  if (now == (checked_ != 0)) return;
  checked_ = now ? 1 : 0;
  check_.set_image(checked_ ? png_checked : png_unchecked);
  RedrawWindow(check_.handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
}

HWND download_panel_c::top_level() const { return GetAncestor(handle(), GA_ROOT); }


int download_panel_c::ask(int type, const char* key) {
  return seams_.show_message ? seams_.show_message(top_level(), type, get_text(key)) : 2;
}

void download_panel_c::show_details() { show_download_details(top_level(), group_); }

void download_panel_c::backup_before_install() {
  HWND top = top_level();
  for (size_t i = 0; i < group_->devices.size(); ++i)
    SendMessageW(top, WM_APP_QUEUE_BACKUP, reinterpret_cast<WPARAM>(group_->devices[i]), LPARAM(i));
  SendMessageW(top, WM_APP_BACKUP_QUEUED, 0, 0);
}

void download_panel_c::install() {
  if (!session_ || !group_ || group_->devices.empty()) return;
  install_ = package_install_for(address_, seams_.install_entry);
  install_facts facts;
  facts.job_running = install_->task.is_running();
  if (facts.job_running) return;  // the second press while the job runs
  facts.administrator = seams_.is_administrator ? seams_.is_administrator() : false;
  facts.up_to_date = group_->up_to_date != 0;
  facts.first_has_driver = group_->devices[0]->has_driver != 0;
  facts.auto_backup = app_settings.AutoBackup;
  install_decision d = decide_install(facts, [this](int type, const char* key) { return ask(type, key); });
  if (d.save_auto_backup) {
    app_settings.AutoBackup = d.auto_backup;
    save_settings();
  }
  if (!d.proceed) return;
  if (d.back_up) backup_before_install();
  install_job& job = install_->job;
  fill_install_job(job, *group_, session_->final_path);
  // The package on disk may have been replaced since it was downloaded: the job checks it on
  // its own thread, and the row's timer sees a refusal.
  copy_cut(session_->md5sum, md5sum_);
  job.expected_md5 = md5sum_;
  job.md5_verified = false;
  job.owner_window = top_level();
  install_->history_folder = seams_.program_folder.empty() ? running_program_folder() : seams_.program_folder;
  // A job that does not start counts as nothing; the user is told.
  if (!start_package_install(*install_)) {
    ask(2, "download_install_not_started");
    return;
  }
  watching_install_ = true;
  start_timer();
  if (!shows_install_wait(job.package_path, readable_file_size(job.package_path))) return;
  std::shared_ptr<package_install_c> held = install_;  // the row may go while the dialog runs
  setup_progress_window_c wait(&held->task, get_text("btn_install"));
  wait.DoModal(top_level());
}

bool download_panel_c::delete_package_file(const std::u16string& path) {
  return DeleteFileW(as_wide(path)) != FALSE;
}

void download_panel_c::reset_after_delete() {
  session_->transfer.bytes_on_disk = 0;
  session_->status = download_none;
  progress_.set_value(0);
  update_action_text();
  RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void download_panel_c::on_menu_command(int index) {
  if (!session_) return;
  int32_t s = session_->status;
  row_menu_state grays = download_menu_state(s, session_->is_running());
  if (!is_exclusion_key(md5sum_.c_str())) grays.exclude_gray = true;
  switch (index + cmd_action) {
    case cmd_action:
      on_action();
      break;
    case cmd_delete_file: {
      if (grays.delete_gray) return;
      if (ask(3, "download_delete_confirm") == 2) return;
      const std::u16string* path = s == download_done ? &session_->final_path
                                   : (s == download_partial || s == download_failed) ? &session_->partial_path
                                                                                       : nullptr;
      if (path && delete_package_file(*path)) reset_after_delete();
      break;
    }
    case cmd_open_location: {
      if (s == download_none) {
        ShellExecuteW(handle(), nullptr, as_wide(app_settings.DownloadPath), nullptr, nullptr, SW_SHOW);
      } else {
        std::u16string parameters =
            explorer_select_parameters(s == download_done ? session_->final_path : session_->partial_path);
        if (!parameters.empty())
          ShellExecuteW(handle(), nullptr, L"explorer.exe", as_wide(parameters), nullptr, SW_SHOW);
      }
      break;
    }
    case cmd_view_details:
      show_details();
      break;
    case cmd_exclude: {
      if (grays.exclude_gray) return;
      if (ask(3, "download_exclusion_confirm") == 2) return;
      if ((s == download_partial || s == download_failed) && delete_package_file(session_->partial_path))
        reset_after_delete();
      if (HWND p = page())
        PostMessageW(p, WM_APP_EXCLUDE_DRIVER, WPARAM(as_row_param(this)), reinterpret_cast<LPARAM>(group_));
      break;
    }
    default:
      break;
  }
}

void download_panel_c::show_menu(POINT point) {
  const int32_t s = session_ ? session_->status : download_none;
  popup_row_menu(handle(), menu_resource,
                 {{cmd_exclude, "menu_add_to_exclusion"},
                  {cmd_view_details, "menu_view_details"},
                  {cmd_delete_file, "menu_delete_file"},
                  {cmd_open_location, "menu_open_location"}},
                 point, [&](HMENU popup) {
                   // The action's text follows the download's state, cut to the menu's 31 characters.
                   const char* action_key = action_text_key(s);
                   wchar_t action_text[32] = L"";
                   if (action_key) {
                     _snwprintf(action_text, 31, L"%s", as_wide(get_text(action_key)));
                     action_text[31] = 0;
                   }
                   ModifyMenuW(popup, cmd_action, MF_BYCOMMAND | MF_STRING, cmd_action, action_text);
                   row_menu_state grays = download_menu_state(s, session_ && session_->is_running());
                   // A package without an MD5 sum has no key to be hidden by.
                   if (!is_exclusion_key(md5sum_.c_str())) grays.exclude_gray = true;
                   if (grays.exclude_gray) EnableMenuItem(popup, cmd_exclude, MF_BYCOMMAND | MF_GRAYED);
                   if (grays.delete_gray) EnableMenuItem(popup, cmd_delete_file, MF_BYCOMMAND | MF_GRAYED);
                 });
}

bool download_panel_c::on_row_command(int id) {
  if (id >= cmd_action && id <= cmd_exclude)
    on_menu_command(id - cmd_action);
  else if (id == action_id)
    on_action();
  else if (id == check_id)
    on_check();
  else
    return false;
  return true;
}

bool download_panel_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                              LRESULT& result) {
  result = 0;
  if (message == WM_TIMER) {
    download_row_timer();
    return true;
  }
  if (message == WM_APP_START_DOWNLOAD) {
    // The refusal goes back to the page, which tells it once for all rows.
    if (checked_) result = LRESULT(start_download());
    return true;
  }
  if (message == WM_APP_SELECT_ROWS) {
    on_select_rows(wparam);
    return true;
  }
  return route_row_message(window, message, wparam, lparam, result);
}
