// Windows only: the drawn items of a window and the mouse messages that drive them. The
// decisions are item_dispatch's; this carries them out on the window T.
#pragma once

#include <windows.h>
#include <windowsx.h>

#include <vector>

#include "widgets/button.h"
#include "widgets/item_dispatch.h"

template <class T>
class ui_event_c {
 public:
  int drag_mode = drag_child;
  std::vector<button_c<T>*> items;
  button_c<T>* current_item = nullptr;
  int tracking = 0;
  int handled = 0;

  // A double-click on empty space of a top-level window toggles maximised; T may switch that
  // off by declaring its own constant of this name.
  static constexpr bool maximise_on_double_click = true;

  ui_event_c() = default;
  // The window owns its items: a copy would free them twice.
  ui_event_c(const ui_event_c&) = delete;
  ui_event_c& operator=(const ui_event_c&) = delete;
  virtual ~ui_event_c() { release_items(); }

  // Takes ownership.
  void add_item(button_c<T>* item) { items.push_back(item); }

  void draw_items(HDC dc) {
    for (button_c<T>* item : items)
      if (item->is_visible()) item->draw(dc);
  }

  void release_items() {
    for (button_c<T>* item : items) delete item;
    items.clear();
    current_item = nullptr;
  }

  // The map: WM_CREATE, WM_INITDIALOG and the mouse. Only a double-click on an item is
  // consumed; everything else goes on to T.
  bool process_ui_event_message(HWND window, UINT message, WPARAM, LPARAM lparam,
                                LRESULT& result) {
    handled = 0;
    switch (message) {
      case WM_CREATE:
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) drag_mode = drag_top_level;
        return false;
      case WM_INITDIALOG:
        drag_mode = drag_dialog;
        return false;
      case WM_MOUSEMOVE:
        return run(window, mouse_input::move, lparam, result);
      case WM_LBUTTONDOWN:
        return run(window, mouse_input::press, lparam, result);
      case WM_LBUTTONUP:
        return run(window, mouse_input::release, lparam, result);
      case WM_LBUTTONDBLCLK:
        return run(window, mouse_input::double_click, lparam, result);
      case WM_MOUSELEAVE:
        return run(window, mouse_input::leave, lparam, result);
      default:
        return false;
    }
  }

 private:
  bool run(HWND window, mouse_input event, LPARAM lparam, LRESULT& result) {
    int x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
    std::vector<dispatch_item_i*> view(items.begin(), items.end());
    bool armed = tracking != 0;
    dispatch_result d = dispatch_mouse(view, event, x, y, drag_mode, armed);
    tracking = armed ? 1 : 0;
    if (d.arm_tracking) {
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window, 100};
      TrackMouseEvent(&track);
    }
    for (const item_action& a : d.actions) {
      // A callback may have closed the window; nothing more is done to it then.
      if (!IsWindow(window)) return d.consumed;
      button_c<T>* item = items[a.item];
      switch (a.what) {
        case item_action::set_current:
          current_item = item;
          break;
        case item_action::call_hover:
          item->on_hover();
          break;
        case item_action::call_press:
          item->on_press();
          break;
        case item_action::call_click:
          item->on_click();
          break;
        case item_action::call_double_click:
          item->on_double_click();
          break;
        case item_action::redraw:
        case item_action::redraw_now: {
          RECT r = item->get_rect();
          UINT flags = RDW_INVALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE;
          if (a.what == item_action::redraw_now) flags |= RDW_UPDATENOW;
          RedrawWindow(window, &r, nullptr, flags);
          break;
        }
      }
    }
    if (d.start_drag && IsWindow(window)) {
      POINT p = {x, y};
      ClientToScreen(window, &p);
      ReleaseCapture();
      SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
    }
    if (d.toggle_maximise && T::maximise_on_double_click && IsWindow(window)) {
      WINDOWPLACEMENT placement = {};
      placement.length = sizeof(placement);
      GetWindowPlacement(window, &placement);
      ShowWindow(window, placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : SW_MAXIMIZE);
    }
    handled = d.consumed ? 1 : 0;
    result = 0;
    return d.consumed;
  }
};
