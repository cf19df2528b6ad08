#include "app/download_window_win.h"

#include "app/download_panel_win.h"
#include "app/row_window_win.h"
#include "widgets/panel_list.h"

#include <algorithm>
#include <cwchar>

#include "base/wide.h"
#include "engine/device_store.h"
#include "engine/download_sessions.h"
#include "engine/files.h"
#include "engine/scan_report.h"
#include "engine/settings.h"
#include "engine/thread.h"
#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/button.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/size_text.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int png_download_all = 134, png_many = 174, png_some = 198, png_none = 199, png_bullet = 178,
              png_rescan = 204;
const COLORREF link_colour = RGB(21, 80, 146);
const COLORREF link_hot_colour = RGB(234, 100, 11);

int real_show_message(HWND owner, int type, const char16_t* text) { return show_message_window(owner, type, text); }

const char* const header_keys[3] = {"download_missing", "download_out_of_date", "download_up_to_date"};

}  // namespace

download_page_seams::download_page_seams() : show_message(real_show_message) {}

download_window_c::download_window_c(download_page_seams seams)
    : seams_(std::move(seams)), rows_(std::make_unique<panel_list_c>()) {}

HWND download_window_c::rows_window() const { return rows_->handle(); }

download_window_c::~download_window_c() {
  if (handle() && orphan_timer_on_) KillTimer(handle(), orphan_timer);
  exclusions_.clear();
  if (line_pen_) DeleteObject(line_pen_);
  bullet_.destroy();
  billboard_none_.destroy();
  billboard_some_.destroy();
  billboard_many_.destroy();
  // The rows point into the groups: they go first.
  rows_->clear();
  groups_.groups.clear();
  release_items();
}

void download_window_c::adjust_window_class(WNDCLASSEXW& wc) {
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // painted whole, double-buffered
}

HWND download_window_c::create_page(HWND main_window, const RECT& rect) {
  main_window_ = main_window;
  return create(main_window, rect, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
}

void download_window_c::on_create() {
  line_pen_ = CreatePen(PS_SOLID, 1, RGB(191, 191, 191));
  RECT client = client_rect();
  RECT list = {0, 63, client.right, client.bottom > 93 ? client.bottom - 30 : 63};
  rows_->create_list(handle(), list, rows_id);
  load_png_resource(nullptr, &billboard_many_, png_many);
  load_png_resource(nullptr, &billboard_some_, png_some);
  load_png_resource(nullptr, &billboard_none_, png_none);
  load_png_resource(nullptr, &bullet_, png_bullet);

  HWND b = CreateWindowExW(0, L"BUTTON", as_wide(get_text("btn_download_all")),
                           WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 10, 10, handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(download_all_id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (b && download_all_.subclass_window(b)) {
    SetWindowLongW(b, GWL_STYLE, (GetWindowLongW(b, GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
    download_all_.load_images(png_download_all, 0, bmpbtn_hover | bmpbtn_autosize);
    download_all_.background_colour = RGB(229, 233, 238);
    download_all_.text_colour = RGB(255, 255, 255);
    download_all_.font = font_bold_ct_11;
    download_all_.text_x = 20;
    download_all_.text_y = text_y_adjust_small + 9;
  }

  struct link {
    const char* key;
    int x;
    void (download_window_c::*click)();
  } const links[] = {{"btn_recommended", 25, &download_window_c::on_select_recommended},
                     {"btn_select_all", 167, &download_window_c::on_select_all},
                     {"btn_select_none", 286, &download_window_c::on_select_none}};
  for (const link& l : links) {
    auto* item = new reverse_link_button_c<download_window_c>;
    item->create(this, 0, l.x, 20, get_text(l.key), 0);
    item->set_text_style(font_normal_8, link_colour, 0);
    item->set_text_style(font_underline_8, link_colour, 1);
    item->set_text_style(font_underline_8, link_hot_colour, 2);
    item->bind_click(l.click);
    add_item(item);
  }
  auto* rescan = new ui_button_c<download_window_c>;
  rescan->create(this, png_rescan, 0, 13, u"", 1);
  rescan->set_text_style(font_bold_ct_9, RGB(255, 255, 255), 0);
  rescan->bind_click(&download_window_c::on_rescan);
  add_item(rescan);
  rescan_button_ = rescan;
}

void download_window_c::on_size(int width, int height) {
  if (rows_->handle()) MoveWindow(rows_->handle(), 0, 63, width, height - 93, TRUE);
  if (download_all_.handle()) {
    RECT b;
    GetClientRect(download_all_.handle(), &b);
    SetWindowPos(download_all_.handle(), nullptr, width - b.right - 20, (62 - b.bottom) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

RECT download_window_c::item_rect(size_t index) const {
  if (index >= items.size()) return RECT{0, 0, 0, 0};
  return items[index]->get_rect();
}

void download_window_c::on_rescan() {
  if (main_window_) PostMessageW(main_window_, WM_APP_START_SCAN, 0, 0);
}

void download_window_c::redraw_page() { RedrawWindow(handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE); }

void download_window_c::regroup() {
  // The rows point into the groups about to be rebuilt.
  rows_->clear();
  device_info* first = nullptr;
  int32_t count = 0;
  get_scanned_devices(&first, &count);
  groups_.build(first, uint32_t(count > 0 ? count : 0));
}

void download_window_c::load_exclusions() {
  std::vector<char> bytes;
  if (!read_exclusion_file(bytes)) {
    // Only a file that is not there empties the list: one that cannot be read just now keeps
    // what the page holds, or every hidden package would come back and the next exclusion
    // would write a file holding only itself.
    const DWORD attributes = GetFileAttributesW(as_wide(app_settings.exclusion_list_path));
    const DWORD error = GetLastError();
    if (attributes == INVALID_FILE_ATTRIBUTES && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
      exclusions_.clear();
    return;
  }
  exclusion_map read;
  if (!bytes.empty() && bytes[0]) read_exclusion_list(bytes.data(), read);
  exclusions_.swap(read);
}

void download_window_c::rebuild(bool after_scan) {
  counts_ = count_download_groups(groups_.groups, exclusions_);
  // One report per scan, never again for the same scan after an exclusion or a folder change.
  if (scan_report_due(app_settings.DebugStatus, after_scan))
    send_scan_report(groups_, counts_.out_of_date, counts_.up_to_date, counts_.missing);
  rows_->clear();
  for (const download_plan_line& line : download_rebuild_plan(groups_.groups, exclusions_, counts_)) {
    if (line.header) {
      titles_[line.id] = get_text(header_keys[line.id]);
      rows_->add(new header_panel_c(line.id, titles_[line.id].c_str(), line.count));
    } else {
      rows_->add(new download_panel_c(line.id, &groups_.groups[line.group],
                                    seams_.rows ? *seams_.rows : download_row_seams()));
    }
  }
  if (rows_->handle())
    RedrawWindow(rows_->handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INTERNALPAINT | RDW_INVALIDATE);
  follow_orphaned_sessions();
}

std::vector<download_panel_c*> download_window_c::download_rows() const {
  std::vector<download_panel_c*> out;
  for (panel_c* p : rows_->stack().rows)
    if (auto* row = dynamic_cast<download_panel_c*>(p)) out.push_back(row);
  return out;
}

void download_window_c::on_selection_changed(WPARAM devices, LPARAM size) {
  apply_selection_change(counts_.selected, intptr_t(devices), uintptr_t(size));
  redraw_page();
}

void download_window_c::on_group_toggled(int32_t header, bool shown) {
  const int32_t group = rows_of_header(header);
  for (panel_c* p : rows_->stack().rows) {
    if (p->group_id != group || dynamic_cast<header_panel_c*>(p)) continue;
    p->set_visible(shown ? 1 : 0);
    if (HWND w = p->get_hwnd()) ShowWindow(w, shown ? SW_SHOW : SW_HIDE);
  }
  rows_->relayout();
}

void download_window_c::send_to_rows(UINT message, WPARAM wparam) {
  if (!rows_->handle()) return;
  // In window order; a row may not remove itself meanwhile, so the next one is read after.
  for (HWND child = GetTopWindow(rows_->handle()); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, message, wparam, 0);
}

void download_window_c::select_rows(int32_t link) {
  send_to_rows(WM_APP_SELECT_ROWS, WPARAM(link));
  counts_.selected = recount_selection(groups_.groups, exclusions_, link);
  redraw_page();
}

void download_window_c::download_selected() {
  int32_t checked = 0;
  for (download_panel_c* row : download_rows())
    if (row->checked()) ++checked;
  download_all_decision d = decide_download_all(counts_.selected, checked);
  if (!d.ask) {
    if (seams_.show_message) seams_.show_message(handle(), d.message_type, get_text(d.key));
    return;
  }
  char16_t size[size_text_capacity];
  format_size_text(d.size, size);
  wchar_t text[1024];
  _snwprintf(text, 1023, as_wide(get_text(d.key)), int(d.files), as_wide(size));
  text[1023] = 0;
  if (!seams_.show_message || seams_.show_message(handle(), d.message_type, as_u16(text)) != 1) return;
  // In window order, like send_to_rows; a row that cannot start says why, once for all.
  const char* refusal = nullptr;
  if (rows_->handle())
    for (HWND child = GetTopWindow(rows_->handle()); child; child = GetWindow(child, GW_HWNDNEXT))
      if (auto* key = reinterpret_cast<const char*>(SendMessageW(child, WM_APP_START_DOWNLOAD, 0, 0)))
        if (!refusal) refusal = key;
  if (refusal) seams_.show_message(handle(), 2, get_text(refusal));
}

void download_window_c::exclude_driver(panel_c* row) {
  // The request was posted: the row may have gone with a rebuild since. Only a row still listed
  // names a group that is still there.
  download_panel_c* listed = nullptr;
  for (download_panel_c* r : download_rows())
    if (static_cast<panel_c*>(r) == row) listed = r;
  if (!listed || !listed->group() || !listed->group()->candidate) return;
  const driver_candidate& candidate = *listed->group()->candidate;
  // A package without a sum has no key that would hide it alone.
  if (!is_exclusion_key(candidate.md5sum)) return;
  exclusion_entry entry = make_exclusion_entry(candidate);
  exclusion_map next = exclusions_;
  next[std::u16string(entry.md5hash)] = entry;
  // Written whole beside the old file and moved over it; when that fails the page keeps the
  // list on disk (or, when that cannot be read, the one it had), and the package stays listed.
  const bool saved = save_exclusion_list(next);
  if (saved) exclusions_.swap(next);
  regroup();
  load_exclusions();
  rebuild();
  if (rows_->handle()) SetFocus(rows_->handle());
  redraw_page();
  // The user answered Yes: a row that stays must say why.
  if (!saved && seams_.show_message) seams_.show_message(handle(), 2, get_text("exclusion_hide_failed"));
}

// A rebuild drops the rows of packages no longer offered; their transfers still run and only a
// row used to end them. The page follows those sessions itself and ends them the same way.
void download_window_c::follow_orphaned_sessions() {
  std::vector<download_session_c*> shown;
  for (download_panel_c* row : download_rows())
    if (row->session()) shown.push_back(row->session());
  for (const auto& s : download_sessions) {
    if (!s || !(s->status == download_running || s->is_running())) continue;
    bool has_row = false;
    for (download_session_c* r : shown) has_row = has_row || r == s.get();
    auto followed = std::find(orphans_.begin(), orphans_.end(), s);
    if (has_row && followed != orphans_.end())
      orphans_.erase(followed);
    else if (!has_row && followed == orphans_.end())
      orphans_.push_back(s);
  }
  if (!orphans_.empty() && !orphan_timer_on_ && handle()) {
    SetTimer(handle(), orphan_timer, 200, nullptr);
    orphan_timer_on_ = true;
  }
}

void download_window_c::on_orphan_timer() {
  for (size_t i = 0; i < orphans_.size();) {
    download_session_c* s = orphans_[i].get();
    if (s->task.thread() && thread_has_ended(s->task.thread()) && !s->is_running()) {
      s->task.close_thread_handle();
      end_download_session(*s);  // checked against the sum its row handed over
    }
    if (s->status == download_running || s->is_running())
      ++i;
    else
      orphans_.erase(orphans_.begin() + long(i));
  }
  if (orphans_.empty() && orphan_timer_on_) {
    KillTimer(handle(), orphan_timer);
    orphan_timer_on_ = false;
  }
}

bool download_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                               LRESULT& result) {
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  result = 0;
  switch (message) {
    case WM_CREATE:
      on_create();
      return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return paint_double_buffered(window, message, wparam, [this](HDC dc, const RECT& c) { paint(dc, c); });
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SETFOCUS:
      if (rows_->handle()) SetFocus(rows_->handle());
      return true;
    case WM_SIZE:
      on_size(LOWORD(lparam), HIWORD(lparam));
      return true;
    case WM_TIMER:
      if (wparam != orphan_timer) return false;
      on_orphan_timer();
      return true;
    case WM_COMMAND:
      if (LOWORD(wparam) != download_all_id) return false;
      if (is_click_command(wparam)) download_selected();
      return true;
    default:
      break;
  }
  if (message == WM_APP_SELECTION_CHANGED) {
    on_selection_changed(wparam, lparam);
    return true;
  }
  if (message == WM_APP_EXCLUDE_DRIVER) {
    exclude_driver(row_of(wparam));
    return true;
  }
  if (message == WM_APP_GROUP_TOGGLED) {
    on_group_toggled(int32_t(wparam), lparam != 0);
    return true;
  }
  return false;
}
