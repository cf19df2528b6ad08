// The mouse dispatch of windows with drawn items as a portable state machine: which item
// changes state, which gets redrawn, which callback fires. The Win32 side carries out the
// actions in order.
#pragma once

#include <vector>

enum item_state { item_normal = 0, item_hover = 1, item_pressed = 2, item_disabled = 3 };

// What the dispatch needs of a drawn item.
class dispatch_item_i {
 public:
  virtual ~dispatch_item_i() = default;
  virtual bool is_visible() const = 0;
  virtual int get_state() const = 0;
  virtual void set_state(int state) = 0;
  // The point, in the owner's client coordinates, lies on the drawn item.
  virtual bool hit_test(int x, int y) const = 0;
};

enum class mouse_input { move, press, release, double_click, leave };

// 1 child window, 0 top-level window, 2 dialog.
enum drag_mode { drag_top_level = 0, drag_child = 1, drag_dialog = 2 };

struct item_action {
  enum kind {
    set_current,
    call_hover,
    call_press,
    call_click,
    call_double_click,
    redraw,      // invalidate only; painted with the next paint
    redraw_now,  // invalidate and paint at once
  };
  kind what;
  int item;
};

struct dispatch_result {
  std::vector<item_action> actions;
  bool arm_tracking = false;     // start a leave notification (TrackMouseEvent)
  bool start_drag = false;       // let the system drag the window by its caption
  bool toggle_maximise = false;  // double-click on empty space of a top-level window
  bool consumed = false;         // the message goes no further
};

// One mouse message. `tracking` is the window's "leave notification armed" flag, updated here.
dispatch_result dispatch_mouse(const std::vector<dispatch_item_i*>& items, mouse_input event,
                               int x, int y, int mode, bool& tracking);
