#include "app/detail_window_win.h"

#include <commctrl.h>

#include "base/wide.h"
#include "widgets/button.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/ui_fonts.h"

namespace {

constexpr int close_png = 103;
constexpr int ok_png = 128;

HWND make_list(HWND dialog, int id, int left, int top, int right, int bottom) {
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS,
                              left, top, right - left, bottom - top, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (list) ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  return list;
}

void set_cell(HWND list, int row, int column, const std::u16string& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(as_wide(text)));
}

}  // namespace

bool detail_window_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                             LRESULT& result) {
  if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
  if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
  switch (message) {
    case WM_INITDIALOG:
      on_init(window);
      result = TRUE;
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header && header->idFrom == device_list_id && header->code == LVN_ITEMCHANGED) {
        // Every change, also a deselection, refills the table for that device.
        show_device_properties(reinterpret_cast<const NMLISTVIEW*>(lparam)->iItem);
      }
      result = 0;
      return true;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        end_dialog(LOWORD(wparam) == IDOK ? 1 : 2);
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void detail_window_c::on_init(HWND window) {
  auto* close = new system_button_c<detail_window_c>;
  close->create(this, close_png, 0, 0, u"", 3);
  close->bind_click(&detail_window_c::on_close);
  add_item(close);
  device_list = make_list(window, device_list_id, 15, 50, 625, 160);
  property_list = make_list(window, property_list_id, 15, 170, 625, 370);
  fill_device_list();
  setup_property_columns();
  MoveWindow(window, 0, 0, 640, 420, FALSE);
  SetWindowTextW(window, as_wide(get_text("menu_view_details")));
  centre_window();
  if (ok_button.subclass_button(window, IDOK)) {
    ok_button.load_images(ok_png, 0, bmpbtn_hover | bmpbtn_autosize);
    ok_button.font = font_normal_9;
    ok_button.text_colour = RGB(0, 0, 0);
    RECT r;
    GetWindowRect(ok_button.handle(), &r);
    MoveWindow(ok_button.handle(), 285, 380, r.right - r.left, r.bottom - r.top, TRUE);
  }
  PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(property_list), 1);
}

void detail_window_c::paint(HDC dc, const RECT& client) {
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT band = {client.left, client.top, client.right, 175};
  fill_vertical_gradient(RGB(89, 131, 177), band, dc, RGB(255, 255, 255));
}

void detail_window_c::add_column(HWND list, int index, const char* key, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(as_wide(get_text(key)));
  ListView_InsertColumn(list, index, &column);
}

void detail_window_c::add_device_row(int index, const char16_t* name) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(as_wide(name));
  ListView_InsertItem(device_list, &item);
}

void detail_window_c::select_first_device() {
  ListView_SetItemState(device_list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void detail_window_c::fill_property_rows(const std::vector<property_row>& rows, bool with_offered) {
  ListView_DeleteAllItems(property_list);
  if (font_normal_9) SendMessageW(property_list, WM_SETFONT, reinterpret_cast<WPARAM>(font_normal_9), FALSE);
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = int(i);
    item.pszText = const_cast<wchar_t*>(as_wide(get_text(rows[i].label_key)));
    ListView_InsertItem(property_list, &item);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    set_cell(property_list, int(i), 1, rows[i].installed);
    if (with_offered) set_cell(property_list, int(i), 2, rows[i].offered);
  }
}

void download_detail_window_c::fill_device_list() {
  add_column(device_list, 0, "device_detail_device_Name", 600);
  if (!group_) return;
  std::u16string unknown = get_text("unknown_device");
  for (size_t i = 0; i < group_->devices.size(); ++i)
    add_device_row(int(i), device_list_name(*group_->devices[i], unknown).c_str());
  select_first_device();
}

void download_detail_window_c::setup_property_columns() {
  add_column(property_list, 0, "device_detail_description", 130);
  add_column(property_list, 1, "device_detail_current_driver", 231);
  add_column(property_list, 2, "device_detail_new_driver", 231);
  show_device_properties(0);
}

void download_detail_window_c::show_device_properties(int index) {
  if (!group_ || index < 0 || size_t(index) >= group_->devices.size()) return;
  fill_property_rows(device_property_rows(*group_->devices[size_t(index)], group_), true);
}

void backup_detail_window_c::fill_device_list() {
  add_column(device_list, 0, "device_detail_device_Name", 600);
  if (!entry_) return;
  for (size_t i = 0; i < entry_->devices.size(); ++i) add_device_row(int(i), entry_->devices[i]->name);
  select_first_device();
}

void backup_detail_window_c::setup_property_columns() {
  add_column(property_list, 0, "device_detail_description", 130);
  add_column(property_list, 1, "device_detail_current_driver", 462);
  show_device_properties(0);
}

void backup_detail_window_c::show_device_properties(int index) {
  if (!entry_ || index < 0 || size_t(index) >= entry_->devices.size()) return;
  fill_property_rows(device_property_rows(*entry_->devices[size_t(index)], nullptr), false);
}

void restore_detail_window_c::fill_device_list() {
  add_column(device_list, 0, "device_detail_device_Name", 600);
  if (!record_) return;
  for (size_t i = 0; i < record_->devices.size(); ++i) add_device_row(int(i), record_->devices[i].desc);
  select_first_device();
  ListView_EnsureVisible(device_list, 0, FALSE);
}

void restore_detail_window_c::setup_property_columns() {
  add_column(property_list, 0, "device_detail_description", 130);
  add_column(property_list, 1, "device_detail_backup_driver", 462);
  show_device_properties(0);
}

void restore_detail_window_c::show_device_properties(int index) {
  if (!record_ || index < 0 || size_t(index) >= record_->devices.size()) return;
  fill_property_rows(restore_property_rows(record_->devices[size_t(index)]), false);
}

INT_PTR show_download_details(HWND owner, const driver_group* group) {
  download_detail_window_c dialog(group);
  return dialog.DoModal(owner);
}

INT_PTR show_backup_details(HWND owner, const backup_entry* entry) {
  backup_detail_window_c dialog(entry);
  return dialog.DoModal(owner);
}

INT_PTR show_restore_details(HWND owner, const backup_record* record) {
  restore_detail_window_c dialog(record);
  return dialog.DoModal(owner);
}
