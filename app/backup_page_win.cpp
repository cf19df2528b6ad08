#include "app/backup_page_win.h"

#include <algorithm>
#include <cwchar>

#include "app/backup_page.h"
#include "app/backup_progress_window_win.h"
#include "app/row_window_win.h"
#include "base/wide.h"
#include "engine/thread.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_backup_all = 134, png_bullet = 178, png_page_icon = 205;
const COLORREF page_colour = RGB(229, 233, 238);
const COLORREF link_blue = RGB(21, 80, 146);

}  // namespace

backup_page_seams::backup_page_seams() : show_message(show_message_window) {}

backup_window_c::backup_window_c(backup_page_seams seams)
    : seams_(seams), backup_task_(worker_task_c::init_backup(&job_)) {}

backup_window_c::~backup_window_c() {
  destroy_window();
  // The worker reads the job, which goes with the page: stop it first (it looks at the flag
  // between files).
  if (backup_task_.is_running()) {
    job_.cancel = 1;
    if (backup_task_.thread()) wait_for_thread(backup_task_.thread());
  }
  backup_task_.release();
  if (line_pen_) DeleteObject(line_pen_);
}

void backup_window_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // painted in full
}

HWND backup_window_c::create_page(HWND parent, const RECT& rect) {
  return create(parent, rect, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

LRESULT backup_window_c::on_create(HWND window) {
  line_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  RECT client;
  GetClientRect(window, &client);
  RECT r = {0, 63, client.right, client.bottom > 93 ? client.bottom - 30 : 63};
  list_.create_list(window, r);
  create_buttons();
  load_png_resource(nullptr, &bullet_, png_bullet);
  load_png_resource(nullptr, &page_icon_, png_page_icon);
  return 0;
}

void backup_window_c::create_buttons() {
  HWND b = CreateWindowExW(0, L"BUTTON", as_wide(get_text("btn_backup_all")), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                           0, 0, 10, 10, handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(backup_all_id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (b && backup_all_button_.subclass_window(b)) {
    SetWindowLongW(b, GWL_STYLE, (GetWindowLongW(b, GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
    backup_all_button_.load_images(png_backup_all, 0, bmpbtn_hover | bmpbtn_autosize);
    backup_all_button_.background_colour = page_colour;
    backup_all_button_.text_colour = RGB(255, 255, 255);
    backup_all_button_.font = font_bold_ct_11;
    backup_all_button_.text_x = 25;
    backup_all_button_.text_y = 9;
  }
  const struct {
    int x;
    const char* key;
    void (backup_window_c::*click)();
  } links[] = {{25, "btn_recommended", &backup_window_c::select_recommended},
               {167, "btn_select_all", &backup_window_c::select_all},
               {286, "btn_select_none", &backup_window_c::select_none}};
  for (const auto& l : links) {
    auto* link = new reverse_link_button_c<backup_window_c>;
    link->create(this, 0, l.x, 20, get_text(l.key), 0);
    link->set_text_style(font_normal_8, link_blue, 0);
    link->set_text_style(font_underline_8, link_blue, 1);
    link->set_text_style(font_underline_8, RGB(234, 100, 11), 2);
    link->bind_click(l.click);
    add_item(link);
  }
}

void backup_window_c::on_size(int width, int height) {
  if (list_.handle()) MoveWindow(list_.handle(), 0, 63, width, height > 93 ? height - 93 : 0, TRUE);
  if (backup_all_button_.handle()) {
    RECT b;
    GetClientRect(backup_all_button_.handle(), &b);
    SetWindowPos(backup_all_button_.handle(), nullptr, width - b.right - 20, (62 - b.bottom) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void backup_window_c::paint(HDC dc, const RECT& c) {
  FillRect(dc, &c, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH page = CreateSolidBrush(page_colour);
  FillRect(dc, &c, page);
  DeleteObject(page);
  RECT footer = {0, c.bottom - 30, c.right, c.bottom};
  HBRUSH band = CreateSolidBrush(RGB(232, 235, 242));
  FillRect(dc, &footer, band);
  DeleteObject(band);
  HGDIOBJ old_pen = SelectObject(dc, line_pen_);
  MoveToEx(dc, 0, footer.top, nullptr);
  LineTo(dc, c.right, footer.top);
  MoveToEx(dc, 0, 62, nullptr);
  LineTo(dc, c.right, 62);
  SelectObject(dc, old_pen);
  if (!bullet_.is_null())
    for (int x : {15, 157, 276}) bullet_.draw(dc, x, c.bottom - 15);
  if (!page_icon_.is_null()) page_icon_.draw(dc, 10, 10);

  SetBkMode(dc, TRANSPARENT);
  if (font_bold_ct_10) SelectObject(dc, font_bold_ct_10);
  SetTextColor(dc, link_blue);
  RECT tips = {70, 12, c.right - 195, 62};
  const HFONT tip_fonts[] = {font_bold_ct_10, font_bold_ct_9, font_bold_ct_8};
  draw_wrapped_text_to_fit(dc, as_wide(get_text("backup_tips")), tips, 5, tip_fonts, 3);

  wchar_t total[1024];
  _snwprintf(total, 1023, as_wide(get_text("backup_total_selection")), int(selected_entries_.size()));
  total[1023] = 0;
  if (font_normal_8) SelectObject(dc, font_normal_8);
  SetTextColor(dc, RGB(0, 0, 0));
  // A longer total grows leftwards instead of past the page's edge.
  const int total_length = int(std::wcslen(total));
  SIZE total_size = {0, 0};
  GetTextExtentPoint32W(dc, total, total_length, &total_size);
  TextOutW(dc, std::min<int>(c.right - 150, c.right - 10 - total_size.cx), c.bottom - 20, total, total_length);
  draw_items(dc);
}

std::vector<backup_panel_c*> backup_window_c::rows() const {
  std::vector<backup_panel_c*> out;
  for (panel_c* p : list_.stack().rows)
    if (auto* row = dynamic_cast<backup_panel_c*>(p)) out.push_back(row);
  return out;
}

void backup_window_c::reload() {
  selected_entries_.clear();
  build_backup_list();
  inbox_count_ = installed_count_ = 0;
  for (const backup_entry& e : backup_list) (e.inbox ? inbox_count_ : installed_count_) += 1;
  list_.clear();
  entries_ = &backup_list;
  const char* keys[2] = {"backup_available_drivers", "backup_inbox_drivers"};
  for (const backup_plan_item& item : backup_group_plan(backup_list)) {
    if (item.header_id >= 0) {
      titles_[item.header_id] = get_text(keys[item.header_id]);
      list_.add(new header_panel_c(item.header_id, titles_[item.header_id].c_str(), item.count));
      continue;
    }
    backup_entry* entry = &backup_list[item.entry];
    list_.add(new backup_panel_c(item.row_id, entry, item.checked));
    if (item.checked) selected_entries_.insert(entry);
  }
  if (list_.handle()) SetFocus(list_.handle());
  if (handle()) RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void backup_window_c::show(int type, const char* key) {
  if (seams_.show_message) seams_.show_message(handle(), type, get_text(key));
}

bool backup_window_c::busy() { return in_run_ || backup_task_.is_running(); }

void backup_window_c::backup_selected() {
  if (busy()) return;
  if (selected_entries_.empty()) {
    show(1, "backup_no_driver");
    return;
  }
  job_.devices = selected_backup_devices(selected_entries_);
  run_backup(false);
}

void backup_window_c::on_backup_driver(backup_entry* entry) {
  if (busy() || !entry || entry->devices.empty()) return;
  job_.devices.assign(1, entry->devices.front());
  run_backup(false);
}

int backup_window_c::run_backup(bool quiet) {
  if (busy()) return run_not_started;
  in_run_ = true;
  job_.progress = 0;
  job_.cancel = 0;
  int result = run_not_started;
  if (backup_task_.start()) {
    backup_progress_window_c dialog(&backup_task_, &job_, get_text("btn_panel_backup"));
    INT_PTR shown = dialog.DoModal(handle());
    if (shown < 0) {
      // Without its dialog nothing would follow the worker: stop it and wait, so that the
      // job is never changed under a running thread.
      job_.cancel = 1;
      if (backup_task_.thread()) wait_for_thread(backup_task_.thread());
      backup_task_.close_thread_handle();
    } else {
      result = int(shown);
    }
  }
  in_run_ = false;
  backup_message m = backup_result_message(result, quiet);
  if (m.key) show(m.type, m.key);
  return result;
}

void backup_window_c::on_queue_backup(device_info* device, LPARAM index) {
  // The job's devices are the running worker's: an install's queue waits for no run.
  if (busy()) return;
  if (index == 0) job_.devices.clear();
  job_.devices.push_back(device);
}

LRESULT backup_window_c::on_backup_queued() {
  if (busy() || backup_list.empty()) return -1;
  std::vector<device_info*> devices = queued_backup_devices(job_.devices, backup_list);
  if (devices.empty()) return -1;
  job_.devices = std::move(devices);
  run_backup(true);
  return 0;
}

void backup_window_c::on_row_checked(backup_entry* entry, bool checked) {
  if (checked)
    selected_entries_.insert(entry);
  else
    selected_entries_.erase(entry);
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void backup_window_c::select_rows(int which) {
  for (HWND child = GetTopWindow(list_.handle()); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_APP_SELECT_ROWS, WPARAM(which), 0);
  selected_entries_ = entries_ ? selection_after_link(*entries_, which) : std::set<const backup_entry*>();
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void backup_window_c::on_group_toggled(int32_t group, bool shown) {
  const int32_t id = group_row_id(group);
  for (panel_c* row : list_.stack().rows) {
    if (row->group_id != id || !dynamic_cast<backup_panel_c*>(row)) continue;
    row->set_visible(shown ? 1 : 0);
    ShowWindow(row->get_hwnd(), shown ? SW_SHOW : SW_HIDE);
  }
  list_.relayout();
}

bool backup_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             LRESULT& result) {
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  result = 0;
  switch (message) {
    case WM_CREATE:
      result = on_create(window);
      return true;
    case WM_SIZE:
      on_size(LOWORD(lparam), HIWORD(lparam));
      return true;
    case WM_SETFOCUS:
      if (list_.handle()) SetFocus(list_.handle());
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& client) {
        int saved = SaveDC(dc);
        paint(dc, client);
        RestoreDC(dc, saved);
      });
      return true;
    case WM_COMMAND:
      if (LOWORD(wparam) != backup_all_id) return false;
      if (is_click_command(wparam)) backup_selected();
      return true;
    default:
      break;
  }
  if (message == WM_APP_BACKUP_DRIVER) {
    on_backup_driver(reinterpret_cast<backup_entry*>(wparam));
    return true;
  }
  if (message == WM_APP_QUEUE_BACKUP) {
    on_queue_backup(reinterpret_cast<device_info*>(wparam), lparam);
    return true;
  }
  if (message == WM_APP_BACKUP_QUEUED) {
    result = on_backup_queued();
    return true;
  }
  if (message == WM_APP_GROUP_TOGGLED) {
    on_group_toggled(int32_t(wparam), lparam != 0);
    return true;
  }
  if (message == WM_APP_ROW_CHECKED) {
    on_row_checked(reinterpret_cast<backup_entry*>(wparam), lparam != 0);
    return true;
  }
  return false;
}
