#include <windows.h>

#include "framework/gdi.h"
#include "widgets/app_messages.h"
#include "widgets/panel_list.h"

void fit_panel_to_list(panel_c& row) {
  HWND window = row.get_hwnd();
  if (!window) return;
  RECT list;
  GetClientRect(GetParent(window), &list);
  row.width = list.right - list.left;
  MoveWindow(window, row.x, row.y, row.width, row.height, TRUE);
}

panel_list_c::~panel_list_c() {
  // The rows' windows are children of the list: they go before the list itself.
  clear();
}

HWND panel_list_c::create_list(HWND page, const RECT& rect, UINT id) {
  return create(page, rect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, id);
}

void panel_list_c::add(panel_c* row) {
  if (!row) return;
  row->create(handle(), 0, stack_.content_height);
  if (stack_.append(row) && handle() && client_rect().bottom < stack_.content_height) {
    ShowScrollBar(handle(), SB_VERT, TRUE);
    set_scroll_info();
  }
}

void panel_list_c::remove(panel_c* row) {
  if (!row) return;
  // The stack lays out again before it deletes the row; the others then move.
  bool held = false;
  for (panel_c* r : stack_.rows) held = held || r == row;
  if (!held) return;
  stack_.remove(row);
  apply_position();
}

void panel_list_c::clear() {
  stack_.clear();
  if (handle() && IsWindow(handle())) {
    ShowScrollBar(handle(), SB_VERT, FALSE);
  }
}

void panel_list_c::relayout() {
  stack_.relayout();
  apply_position();
}

void panel_list_c::apply_position() {
  stack_.clamp_position();
  for (panel_c* row : stack_.rows) {
    HWND w = row->get_hwnd();
    if (!w) continue;
    RECT r;
    GetClientRect(w, &r);
    MoveWindow(w, row->x, row->y - stack_.position, r.right, r.bottom, TRUE);
  }
  set_scroll_info();
}

void panel_list_c::set_scroll_info() {
  if (!handle()) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = stack_.content_height;
  info.nPage = UINT(stack_.page_height > 0 ? stack_.page_height : 0);
  info.nPos = stack_.position;
  SetScrollInfo(handle(), SB_VERT, &info, TRUE);
}

void panel_list_c::on_size() {
  stack_.page_height = client_rect().bottom;
  for (panel_c* row : stack_.rows) row->fit_width();
  if (stack_.needs_scroll_bar()) {
    ShowScrollBar(handle(), SB_VERT, TRUE);
    apply_position();
  } else {
    // The position stays until the next layout or scroll.
    ShowScrollBar(handle(), SB_VERT, FALSE);
  }
}

void panel_list_c::on_vscroll(int request) {
  int32_t track = 0;
  if (request == SB_THUMBPOSITION || request == SB_THUMBTRACK) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(handle(), SB_VERT, &info);
    track = info.nTrackPos;
  }
  int32_t next = scroll_request_position(request, stack_.position, stack_.page_height, track);
  if (next == stack_.position) return;
  stack_.position = next;
  apply_position();
}

void panel_list_c::on_wheel(int delta) {
  if (!stack_.needs_scroll_bar()) return;
  stack_.position = wheel_position(stack_.position, delta, wheel_divisor_);
  apply_position();
}

bool panel_list_c::process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                          LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      on_size();
      return false;
    case WM_VSCROLL:
      on_vscroll(LOWORD(wparam));
      return false;
    case WM_MOUSEWHEEL:
      on_wheel(static_cast<short>(HIWORD(wparam)));
      return false;
    default:
      break;
  }
  if (message == WM_APP_ROW_SELECTED || message == WM_APP_PANEL_NOTIFY) {
    send_to_descendants(window, message, wparam, lparam, true);
    result = 0;
    return true;
  }
  return false;
}
