#include "app/settings_window.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "base/text.h"
#include "base/wide.h"
#include "engine/download_sessions.h"
#include "engine/helpers.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "engine/tasks.h"
#include "widgets/app_messages.h"
#include "widgets/images.h"
#include "widgets/language.h"
#include "widgets/message_window.h"
#include "widgets/ui_fonts.h"

namespace {

using c = pref_control;

constexpr int dialog_width = 614, dialog_height = 398;
constexpr COLORREF text_grey = RGB(68, 68, 68);
constexpr COLORREF hover_blue = RGB(21, 80, 146);

const char* const tab_keys[] = {"settings_general", "settings_location", "settings_network",
                                "settings_exclusion", "settings_scheduler"};
const char* const period_keys[] = {"settings_daily", "settings_weekly", "settings_monthly"};
const char* const day_keys[] = {"settings_day1", "settings_day2", "settings_day3", "settings_day4",
                                "settings_day5", "settings_day6", "settings_day7"};

// The folder is there afterwards: made with its parents when missing. Whatever the reason a
// creation failed, only a folder that exists is taken.
bool folder_ready(const std::u16string& path) {
  if (path.empty()) return false;
  if (PathIsDirectoryW(as_wide(path))) return true;
  SHCreateDirectoryExW(nullptr, as_wide(path), nullptr);
  return PathIsDirectoryW(as_wide(path)) != FALSE;
}

bool any_transfer_running() {
  for (const auto& session : download_sessions)
    if (session && session->is_running()) return true;
  return false;
}

HWND top_level_ancestor(HWND window) {
  for (HWND parent = GetParent(window); parent; parent = GetParent(window)) window = parent;
  return window;
}

HWND root_owner(HWND window) {
  for (;;) {
    HWND next = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window)
                                                              : GetWindow(window, GW_OWNER);
    if (!next) return window;
    window = next;
  }
}

int CALLBACK browse_callback(HWND window, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

}  // namespace

settings_window_c::settings_window_c(preferences_report& report) : report_(report) {}

// The groups own none of their items; the item list does and goes last.
settings_window_c::~settings_window_c() {
  exclusions.clear();
  separator.destroy();
  match_group.members.clear();
  proxy_group.members.clear();
  tab_group.members.clear();
}

int settings_window_c::DoModal(HWND owner) {
  return static_cast<int>(do_modal(owner, preferences_dialog_resource));
}

bool settings_window_c::process_window_message(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam, LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      on_init_dialog(window);
      result = TRUE;
      return true;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        if (on_ok()) end_dialog(1);
        result = 0;
        return true;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        end_dialog(2);
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void settings_window_c::on_init_dialog(HWND window) {
  load_png_resource(nullptr, &separator, 196);
  SetWindowPos(window, nullptr, 0, 0, dialog_width, dialog_height, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowTextW(window, as_wide(get_text("btn_options")));
  current_page = 0;
  centre_window();
  create_pages();
  setup_ok_cancel();
}

void settings_window_c::create_pages() {
  auto* close = new system_button_c<settings_window_c>;
  close->create(this, 103, 0, 0, u"", 3);
  close->bind_click(&settings_window_c::on_close);
  add_item(close);

  for (int k = 0; k < preferences_page_count; ++k) {
    auto* t = new tab;
    t->create(this, 191, 15, 43 + 43 * k, get_text(tab_keys[k]), 3);
    t->set_user_data(k);
    t->set_text_style(font_bold_ct_9, text_grey, 0);
    t->text_x = 25;
    t->text_y = -1;
    t->bind_click(&settings_window_c::on_tab);
    add_item(t);
    tab_group.add(t);
  }
  tab_group.members[0]->notify_group();
  tab_group.members[0]->select();

  for (const pref_layout& l : preferences_layout()) create_control(l);
  set_starting_values();
}

void settings_window_c::create_control(const pref_layout& l) {
  HWND dialog = handle();
  const std::u16string caption = l.text_key ? get_text(l.text_key) : u"";
  item* made = nullptr;
  switch (l.kind) {
    case pref_kind::check_box:
    case pref_kind::radio: {
      bool is_radio = l.kind == pref_kind::radio;
      check_box* b = is_radio ? new radio : new check_box;
      if (is_radio)
        b->create_with_images(this, 195, 194, l.x, l.y, l.extent, caption);
      else
        b->create_with_images(this, 190, 189, l.x, l.y, l.extent, caption);
      b->set_text_style(font_normal_9, text_grey, 0);
      b->set_text_style(font_normal_9, hover_blue, 1);
      b->narrow_font = font_normal_8;
      if (is_radio) {
        auto* r = static_cast<radio*>(b);
        bool proxy = l.id >= c::proxy0 && l.id <= c::proxy3;
        (proxy ? proxy_group : match_group).add(r);
        if (proxy) r->bind_click(&settings_window_c::on_proxy_choice);
      }
      if (l.id == c::enable) b->bind_click(&settings_window_c::on_scheduler_toggle);
      made = b;
      break;
    }
    case pref_kind::drop_down: {
      auto* d = new drop_down;
      d->button_c<settings_window_c>::create(this, 197, l.x, l.y, u"", 4);
      d->right = d->left + l.extent;
      d->drop_width = l.extent;
      d->drop_height = l.height;
      d->text_x = 15;
      d->text_y = -1;
      d->set_text_style(font_normal_9, RGB(0, 0, 0), 0);
      if (l.id == c::language)
        for (const std::u16string& name : language_names()) d->add_item(name);
      if (l.id == c::period) {
        for (const char* key : period_keys) d->add_item(get_text(key));
        d->bind_selection(&settings_window_c::on_period_change);
      }
      if (l.id == c::hour)
        for (const std::u16string& row : hour_rows()) d->add_item(row);
      if (l.id == c::weekday)
        for (const char* key : day_keys) d->add_item(get_text(key));
      if (l.id == c::month_day)
        for (const std::u16string& row : month_day_rows()) d->add_item(row);
      made = d;
      break;
    }
    case pref_kind::image_button: {
      auto* b = new ui_button_c<settings_window_c>;
      bool remove = l.id == c::remove;
      b->create(this, remove ? 128 : 192, l.x, l.y, caption, 3);
      if (remove) {
        b->set_text_style(font_normal_9, text_grey, 0);
        b->bind_click(&settings_window_c::remove_exclusion);
      } else {
        b->bind_click(l.id == c::browse_download ? &settings_window_c::browse_download
                                                 : &settings_window_c::browse_backup);
      }
      made = b;
      break;
    }
    case pref_kind::edit: {
      // Typed text scrolls instead of stopping at the box's edge, and stops at the field's size.
      DWORD style = WS_CHILD | WS_TABSTOP | WS_SYSMENU | ES_AUTOHSCROLL;
      if (l.id == c::edit_host) style |= WS_CLIPSIBLINGS;
      if (l.id == c::edit_port) style |= ES_NUMBER;
      HWND edit = CreateWindowExW(0, L"EDIT", L"", style, l.x, l.y, l.extent, l.height, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(l.edit_id)),
                                  GetModuleHandleW(nullptr), nullptr);
      SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_normal_9), TRUE);
      SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(l.text_limit), 0);
      windows[index(l.id)] = edit;
      return;
    }
    case pref_kind::list_view: {
      HWND view = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                      LVS_SHOWSELALWAYS,
                                  l.x, l.y, l.extent, l.height, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(l.edit_id)),
                                  GetModuleHandleW(nullptr), nullptr);
      SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
      const struct {
        const char* key;
        int width;
      } columns[] = {{"settings_description", 240}, {"settings_version", 85}, {"settings_date", 80}};
      for (int i = 0; i < 3; ++i) {
        std::u16string title = get_text(columns[i].key);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = columns[i].width;
        column.pszText = const_cast<wchar_t*>(as_wide(title));
        column.iSubItem = i;
        SendMessageW(view, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
      }
      windows[index(l.id)] = view;
      return;
    }
  }
  made->visible = l.page == page_general ? 1 : 0;
  add_item(made);
  drawn[index(l.id)] = made;
}

void settings_window_c::set_starting_values() {
  const std::vector<std::u16string> names = language_names();
  preferences_controls v =
      starting_values(app_settings, current_language_index(), static_cast<int>(names.size()));
  box(c::box1)->checked = static_cast<int>(v.autorun);
  box(c::box2)->checked = static_cast<int>(v.close_to_tray);
  box(c::box3)->checked = static_cast<int>(v.check_version);
  box(c::box4)->checked = static_cast<int>(v.scan_non_present);
  box(c::box5)->checked = static_cast<int>(v.auto_backup);
  list(c::language)->select_index(v.language_index);
  // Radios select through their group, which they have joined already.
  if (v.match >= 0) box(v.match ? c::match1 : c::match0)->set_checked(1);
  SetWindowTextW(window_of(c::edit_download), as_wide(v.download_path));
  SetWindowTextW(window_of(c::edit_backup), as_wide(v.backup_path));
  SetWindowTextW(window_of(c::edit_host), as_wide(v.proxy_host));
  SetWindowTextW(window_of(c::edit_port), as_wide(v.proxy_port));
  SetWindowTextW(window_of(c::edit_user), as_wide(v.proxy_user));
  SetWindowTextW(window_of(c::edit_pass), as_wide(v.proxy_pass));
  if (v.proxy >= 0) box(static_cast<c>(static_cast<int>(c::proxy0) + v.proxy))->set_checked(1);
  on_proxy_choice();
  box(c::enable)->checked = static_cast<int>(v.scheduler_enabled);
  list(c::period)->select_index(v.period);
  list(c::hour)->select_index(v.hour);
  list(c::weekday)->select_index(v.weekday);
  list(c::month_day)->select_index(v.month_day);
  on_scheduler_toggle();
}

void settings_window_c::setup_ok_cancel() {
  bitmap_button_c* buttons[2] = {&ok_button, &cancel_button};
  const char* keys[2] = {"btn_ok", "btn_cancel"};
  const POINT places[2] = {{488, 361}, {368, 361}};
  for (int i = 0; i < 2; ++i) {
    bitmap_button_c& b = *buttons[i];
    b.subclass_button(handle(), i == 0 ? IDOK : IDCANCEL);
    b.load_images(128, 0, bmpbtn_hover | bmpbtn_autosize);
    b.font = font_bold_ct_10;
    b.text_colour = text_grey;
    b.background_colour = RGB(240, 239, 243);
    SetWindowTextW(b.handle(), as_wide(get_text(keys[i])));
    SetWindowPos(b.handle(), nullptr, places[i].x, places[i].y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void settings_window_c::set_shown(pref_control id, bool shown) {
  if (item* d = drawn[index(id)])
    d->set_visible(shown ? 1 : 0, false);
  else if (HWND w = windows[index(id)])
    ShowWindow(w, shown ? SW_SHOWNORMAL : SW_HIDE);
}

void settings_window_c::on_tab() {
  if (!current_item) return;
  int page = static_cast<int>(current_item->get_user_data());
  if (page == current_page || page < 0 || page >= preferences_page_count) return;
  for (const pref_layout& l : preferences_layout())
    if (l.page == current_page) set_shown(l.id, false);
  if (page == page_exclusion) fill_exclusions();
  for (pref_control id : page_controls(page, list(c::period)->selected_index)) set_shown(id, true);
  current_page = page;
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void settings_window_c::on_proxy_choice() {
  int chosen = proxy_group.current_index();
  BOOL enable = chosen == 2 || chosen == 3;
  for (pref_control id : {c::edit_host, c::edit_port, c::edit_user, c::edit_pass})
    EnableWindow(window_of(id), enable);
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void settings_window_c::on_scheduler_toggle() {
  int state = box(c::enable)->checked ? item_normal : item_disabled;
  for (pref_control id : {c::period, c::hour, c::weekday, c::month_day}) list(id)->set_state(state);
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void settings_window_c::on_period_change(int index) {
  set_shown(c::weekday, index == 1);
  set_shown(c::month_day, index == 2);
  RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void settings_window_c::browse_download() { browse(c::edit_download, app_settings.DownloadPath); }
void settings_window_c::browse_backup() { browse(c::edit_backup, app_settings.BackupPath); }

void settings_window_c::browse(pref_control edit, const char16_t* saved) {
  std::u16string typed = edit_text(edit);
  std::u16string start = !typed.empty() && PathIsDirectoryW(as_wide(typed)) ? typed : std::u16string(saved);
  BROWSEINFOW info = {};
  info.hwndOwner = GetActiveWindow();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = browse_callback;
  info.lParam = reinterpret_cast<LPARAM>(as_wide(start));
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(chosen, path))
    SetDlgItemTextW(handle(), layout_of(edit).edit_id, path);
  CoTaskMemFree(chosen);
}

void settings_window_c::fill_exclusions() {
  HWND view = window_of(c::exclusion_list);
  SendMessageW(view, LVM_DELETEALLITEMS, 0, 0);
  exclusions.clear();
  std::vector<char> data;
  if (read_exclusion_file(data) && data.size() > 1) read_exclusion_list(data.data(), exclusions);
  int row = 0;
  for (auto& [key, entry] : exclusions) {
    LVITEMW line = {};
    line.mask = LVIF_TEXT | LVIF_PARAM;
    line.iItem = row;
    line.pszText = const_cast<wchar_t*>(as_wide(entry.desc));
    line.lParam = reinterpret_cast<LPARAM>(&entry);
    int at = static_cast<int>(SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&line)));
    if (at < 0) continue;
    const char16_t* columns[2] = {entry.version, entry.date};
    for (int i = 0; i < 2; ++i) {
      LVITEMW cell = {};
      cell.iSubItem = i + 1;
      cell.pszText = const_cast<wchar_t*>(as_wide(columns[i]));
      SendMessageW(view, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
    }
    ++row;
  }
}

void settings_window_c::remove_exclusion() {
  HWND view = window_of(c::exclusion_list);
  int selected = static_cast<int>(SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0) return;
  message_window_c question(get_text("settings_remove_query"), 3);
  if (question.DoModal(GetActiveWindow()) != 1) return;
  LVITEMW line = {};
  line.mask = LVIF_PARAM;
  line.iItem = selected;
  if (!SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&line)) || !line.lParam) return;
  const auto* entry = reinterpret_cast<const exclusion_entry*>(line.lParam);
  exclusions.erase(std::u16string(entry->md5hash));
  // Written whole or not at all; the list then shows what the file holds, and an entry that
  // comes back says why.
  const bool saved = save_exclusion_list(exclusions);
  if (saved) report_.exclusions_removed = true;
  fill_exclusions();
  if (!saved) {
    message_window_c failed(get_text("exclusion_remove_failed"), 2);
    failed.DoModal(handle());
  }
}

std::u16string settings_window_c::edit_text(pref_control id) {
  HWND edit = window_of(id);
  int length = GetWindowTextLengthW(edit);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(edit, text.data(), length + 1);
  return as_u16(text.data());
}

preferences_controls settings_window_c::read_controls() {
  preferences_controls v;
  v.autorun = static_cast<uint32_t>(box(c::box1)->checked);
  v.close_to_tray = static_cast<uint32_t>(box(c::box2)->checked);
  v.check_version = static_cast<uint32_t>(box(c::box3)->checked);
  v.scan_non_present = static_cast<uint32_t>(box(c::box4)->checked);
  v.auto_backup = static_cast<uint32_t>(box(c::box5)->checked);
  v.language_index = list(c::language)->selected_index;
  if (const char16_t* name = list(c::language)->get_selected_text()) v.language_code = language_name_to_code(name);
  v.match = match_group.current_index();
  v.download_path = edit_text(c::edit_download);
  v.backup_path = edit_text(c::edit_backup);
  v.proxy = proxy_group.current_index();
  v.proxy_host = edit_text(c::edit_host);
  v.proxy_port = edit_text(c::edit_port);
  v.proxy_user = edit_text(c::edit_user);
  v.proxy_pass = edit_text(c::edit_pass);
  v.scheduler_enabled = static_cast<uint32_t>(box(c::enable)->checked);
  v.period = list(c::period)->selected_index;
  v.hour = list(c::hour)->selected_index;
  v.weekday = list(c::weekday)->selected_index;
  v.month_day = list(c::month_day)->selected_index;
  return v;
}

bool settings_window_c::on_ok() {
  const bool running = any_transfer_running() || (report_.install_running && report_.install_running());
  preferences_outcome o =
      apply_preferences(app_settings, read_controls(), current_language_index(), running, folder_ready);
  if (o.refusal) {
    message_window_c refusal(get_text(o.refusal), 1);
    refusal.DoModal(handle());
    return false;
  }
  if (o.scheduler != scheduler_action::none) {
    schedule_task_c task(exe_path);
    bool worked = o.scheduler == scheduler_action::schedule
                      ? task.schedule(o.request.period, o.request.start_hour, o.request.weekday_index,
                                      o.request.day_index)
                      : task.remove();
    if (!scheduler_change_done(o.scheduler, worked, task.has_scheduler())) {
      keep_scheduler_values(o, app_settings);
      message_window_c failed(get_text("settings_schedule_failed"), 2);
      failed.DoModal(handle());
    }
  }
  report_.backup_folder_changed = std::u16string(o.settings.BackupPath) != app_settings.BackupPath;
  // Only the dialog's fields: a worker may have saved others since the values were read.
  take_dialog_fields(app_settings, o.settings);
  if (o.reparse_language) parse_language_ini(app_settings.Language, true, true);
  save_settings();
  SendMessageW(top_level_ancestor(handle()), WM_APP_REDRAW_ALL, 0, 0);
  if (o.download_folder_changed) {
    PostMessageW(root_owner(handle()), WM_APP_DOWNLOAD_DIR_CHANGED, 0, 0);
    report_.download_folder_changed = true;
  }
  return true;
}

int show_preferences_dialog(HWND owner, preferences_report& report) {
  settings_window_c dialog(report);
  return dialog.DoModal(owner);
}
