// Windows only: the drop-down list. A drawn item shows the choice on a stretched button
// picture; its first click builds a popup (combobox_container_c) holding a row list
// (combobox_panel_list_c) of row windows (combobox_panel_c). While open, the list holds the
// mouse capture; losing it, whichever way, closes the popup.
#pragma once

#include <windows.h>
#include <windowsx.h>
#include <gdiplus.h>
#include <imm.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"
#include "widgets/app_messages.h"
#include "widgets/button.h"
#include "widgets/combobox_rules.h"
#include "widgets/paint_win.h"
#include "widgets/ui_window.h"

// One row: its own child window, painting its own copy of the text.
class combobox_panel_c : public window_impl<combobox_panel_c> {
 public:
  explicit combobox_panel_c(std::u16string row_text) : text(std::move(row_text)) {}

  int x = 0, y = 0, height = combo_row_height, width = 0, visible = 1;
  std::u16string text;
  int hovered = 0;
  int selected = 0;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  void paint(HDC dc);
};

template <class T>
class combobox_c;

template <class T>
class combobox_panel_list_c : public window_impl<combobox_panel_list_c<T>> {
 public:
  HWND popup = nullptr;
  int widest = 0;
  int total = 0;     // height of all rows
  int position = 0;  // scroll position in pixels
  int page = 0;      // the list's client height
  std::vector<combobox_panel_c*> rows;  // owned by the combo box
  int hovered = -1;
  int marked = -1;
  combobox_c<T>* combo = nullptr;
  HWND scroll_bar = nullptr;
  int scroll_width = 0;

  int row_count() const { return static_cast<int>(rows.size()); }

  void set_row_hover(int index, int on) {
    if (index >= 0 && index < row_count()) SendMessageW(rows[index]->handle(), WM_APP_COMBO_ROW_HOVER, on, 0);
  }
  void set_row_selected(int index, int on) {
    if (index >= 0 && index < row_count()) SendMessageW(rows[index]->handle(), WM_APP_COMBO_ROW_SELECTED, on, 0);
  }
  void forget_hover() {
    if (hovered < 0) return;
    set_row_hover(hovered, 0);
    hovered = -1;
  }

  // Moves the mark; a newly marked row shows it from its next repaint.
  void set_selected_row(int index) {
    combo_mark_change c = combo_move_mark(marked, index, row_count());
    if (c.mark < 0) return;
    set_row_selected(c.unmark, 0);
    marked = c.mark;
    set_row_selected(c.mark, 1);
  }

  void add_row(combobox_panel_c* row) {
    RECT client = this->client_rect();
    row->height = combo_row_height;
    row->width = client.right - scroll_width;
    row->x = 0;
    row->y = total;
    RECT r = {0, total, row->width, total + combo_row_height};
    row->create(this->handle(), r, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    rows.push_back(row);
    if (row->width > widest) widest = row->width;
    total += combo_row_height;
    if (total > client.bottom) update_scroll_bar();
  }

  void relayout() {
    position = combo_clamp_position(position, page, total);
    for (combobox_panel_c* row : rows)
      MoveWindow(row->handle(), row->x, row->y - position, row->width, row->height, TRUE);
    update_scroll_bar();
  }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    switch (message) {
      case WM_SIZE:
        page = HIWORD(lparam);
        return false;
      case WM_ERASEBKGND:
        result = 1;
        return true;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        EndPaint(window, &ps);
        result = 0;
        return true;
      }
      case WM_MOUSEMOVE:
        on_mouse_move(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        result = 0;
        return true;
      // The window class takes double clicks: the second of two quick presses (on a scroll
      // arrow above all) comes as a double click and must act as a press too.
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        on_press(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        result = 0;
        return true;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        on_release(GET_X_LPARAM(lparam));
        result = 0;
        return true;
      case WM_VSCROLL:
        on_vscroll(LOWORD(wparam));
        return false;
      case WM_MOUSEWHEEL:
        if (total > page) {
          position = combo_wheel_position(position, GET_WHEEL_DELTA_WPARAM(wparam));
          relayout();
        }
        return false;
      case WM_CAPTURECHANGED:
        if (popup) ShowWindow(popup, SW_HIDE);
        result = 0;
        return true;
      case WM_KEYDOWN:
        if (wparam != VK_ESCAPE) return false;
        ReleaseCapture();  // closes the popup, the choice unchanged
        result = 0;
        return true;
      default:
        return false;
    }
  }

 private:
  bool in_scroll_strip(int x) const {
    RECT client = this->client_rect();
    return scroll_width && x >= client.right - scroll_width && x <= client.right;
  }

  void update_scroll_bar() {
    if (!scroll_bar) return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    info.nMin = 0;
    info.nMax = total;
    info.nPage = static_cast<UINT>(page > 0 ? page : this->client_rect().bottom);
    info.nPos = position;
    info.nTrackPos = position;
    SetScrollInfo(scroll_bar, SB_CTL, &info, TRUE);
  }

  void on_mouse_move(int x, int y) {
    RECT client = this->client_rect();
    int row = combo_row_at(x, y, row_count(), widest, total, client.bottom, position);
    if (row < 0) {
      forget_hover();
      return;
    }
    if (row == hovered) return;
    if (hovered >= 0) set_row_hover(hovered, 0);
    hovered = row;
    set_row_hover(row, 1);
  }

  void on_press(int x, int y) {
    RECT client = this->client_rect();
    if (in_scroll_strip(x)) {
      SCROLLBARINFO info = {};
      info.cbSize = sizeof info;
      SendMessageW(scroll_bar, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LPARAM>(&info));
      position = combo_press_scroll(position, y, GetSystemMetrics(SM_CYVSCROLL), info.xyThumbTop,
                                    info.xyThumbBottom, client.bottom);
      relayout();
      return;
    }
    POINT p = {x, y};
    if (!PtInRect(&client, p)) ReleaseCapture();
  }

  void on_release(int x) {
    combo_mark_change c = combo_release_choice(hovered, marked);
    if (c.mark >= 0) {
      set_row_selected(c.unmark, 0);
      marked = c.mark;
      if (combo && combo->select_index(c.mark) == 0) combo->notify_selection(c.mark);
      set_row_selected(marked, 1);
    }
    if (!in_scroll_strip(x)) ReleaseCapture();
  }

  void on_vscroll(int code) {
    int track = position;
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(scroll_bar, SB_CTL, &info)) track = info.nTrackPos;
    }
    int next = combo_scroll_position(position, code, page, track);
    if (next == position) return;
    position = next;
    relayout();
  }
};

// The popup: white, with an anti-aliased rounded outline; no drawn items of its own.
template <class T>
class combobox_container_c : public window_impl<combobox_container_c<T>>,
                             public ui_window_c<combobox_container_c<T>> {
 public:
  combobox_panel_list_c<T>* list = nullptr;

  void paint(HDC, const RECT&) {}
  void paint_frame(HDC dc, const RECT& client) {
    {
      Gdiplus::Graphics graphics(dc);
      graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      draw_round_outline(this->corner_radius, graphics, 0xFF798792, 0, 0, client.right - 1,
                         client.bottom - 1);
    }
    this->draw_title(dc);
  }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (this->process_ui_window_message(window, message, wparam, lparam, result)) return true;
    switch (message) {
      case WM_SHOWWINDOW:
        if (list) {
          list->forget_hover();
          if (wparam) SetCapture(list->handle());
        }
        return false;
      case WM_SETFOCUS:
        if (list && list->handle()) SetFocus(list->handle());
        result = 0;
        return true;
      case WM_CLOSE:
        // Alt+F4 on the open list closes the list, not the popup and its rows for good.
        ShowWindow(window, SW_HIDE);
        result = 0;
        return true;
      default:
        return false;
    }
  }
};

template <class T>
class combobox_c : public ui_button_c<T> {
 public:
  using selection_callback_t = void (T::*)(int);

  int drop_width = 0;   // 0: the button's frame width
  int drop_height = 0;  // 0: as high as all rows
  combobox_container_c<T> container;
  combobox_panel_list_c<T> list;
  std::vector<std::unique_ptr<combobox_panel_c>> items;  // each row deleted once, here
  int built = 0;
  int selected_index = -1;
  selection_callback_t selection_callback = nullptr;

  combobox_c() {
    this->fonts[0] = font_bold_ct_9;
    this->colours[0] = RGB(255, 255, 255);
  }
  // The windows go before the rows they hold.
  ~combobox_c() override {
    list.destroy_window();
    container.destroy_window();
  }

  // The owner sets the item up through button_c::create.
  void create(T*, int, int, int, const std::u16string&, int) override {}

  // A row with its own copy of the text; 0, or -1 once the popup is built (its rows are laid
  // out then and a later one would never show).
  int add_item(std::u16string_view row_text) {
    if (built) return -1;
    items.push_back(std::make_unique<combobox_panel_c>(std::u16string(row_text)));
    return 0;
  }
  int item_count() const { return static_cast<int>(items.size()); }

  int select_index(int index) {
    if (!combo_can_select(index, item_count(), selected_index)) return -1;
    selected_index = index;
    this->text = items[static_cast<size_t>(index)]->text;
    if (built) list.set_selected_row(index);
    if (this->owner && this->owner->handle()) this->redraw();
    return 0;
  }
  const char16_t* get_selected_text() const {
    return selected_index >= 0 ? items[static_cast<size_t>(selected_index)]->text.c_str() : nullptr;
  }
  void bind_selection(selection_callback_t c) { selection_callback = c; }
  void notify_selection(int index) {
    if (selection_callback && this->owner) (this->owner->*selection_callback)(index);
  }

  bool is_open() const { return container.handle() && IsWindowVisible(container.handle()); }

  void on_click() override {
    if (!list.handle() && !build_popup()) return;
    if (selected_index >= 0) list.set_selected_row(selected_index);
    POINT p = {this->left + 3, this->bottom + 3};
    ClientToScreen(this->owner_window(), &p);
    SetWindowPos(container.handle(), nullptr, p.x, p.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(container.handle(), SW_SHOW);
    RedrawWindow(container.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

  void draw(HDC dc) override {
    int w = this->get_frame_width();
    if (this->right - this->left == w) return ui_button_c<T>::draw(dc);
    if (w > 0) {
      int s = this->state >= 0 && this->state < this->frame_count ? this->state : 0;
      combo_slices slices =
          combo_three_slices(this->left, this->top, this->right, s * w, w, this->get_height());
      for (const combo_slice& part : slices.part) {
        RECT source = {part.source.left, part.source.top, part.source.right, part.source.bottom};
        RECT target = {part.target.left, part.target.top, part.target.right, part.target.bottom};
        this->image->draw(dc, target, source);
      }
    }
    this->draw_caption(dc);
  }

 private:
  bool build_popup() {
    combo_popup_size size =
        combo_popup_size_for(item_count(), drop_width, drop_height, this->get_frame_width());
    drop_width = size.drop_width;
    drop_height = size.drop_height;
    combo_rect area = combo_popup_rect(this->left, this->bottom, drop_width, drop_height);
    POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    MapWindowPoints(this->owner_window(), nullptr, corners, 2);
    RECT screen = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    container.list = &list;
    if (!container.create(this->owner_window(), screen, nullptr,
                          WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN))
      return false;
    combo_rect inner = combo_list_rect(screen.right - screen.left, screen.bottom - screen.top);
    RECT list_rect = {inner.left, inner.top, inner.right, inner.bottom};
    list.popup = container.handle();
    if (!list.create(container.handle(), list_rect, nullptr,
                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) {
      container.destroy_window();
      return false;
    }
    RECT client = list.client_rect();
    list.page = client.bottom;
    if (size.scroll_bar) {
      int width = GetSystemMetrics(SM_CXVSCROLL);
      list.scroll_bar = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT,
                                        client.right - width, 0, width, client.bottom, list.handle(),
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
      if (list.scroll_bar) list.scroll_width = width;
    }
    ImmAssociateContext(list.handle(), nullptr);
    for (auto& row : items) list.add_row(row.get());
    list.combo = this;
    built = 1;
    return true;
  }
};
