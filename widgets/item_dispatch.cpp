#include "widgets/item_dispatch.h"

#include <cstddef>

using std::size_t;

namespace {

bool eligible(const dispatch_item_i* item) {
  return item->is_visible() && item->get_state() != item_disabled;
}

bool lit(const dispatch_item_i* item) {
  return item->get_state() == item_hover || item->get_state() == item_pressed;
}

// At most one item is lit: any other lit item goes back to normal.
void unlight_others(const std::vector<dispatch_item_i*>& items, size_t keep,
                    dispatch_result& result, item_action::kind redraw) {
  for (size_t j = 0; j < items.size(); ++j) {
    if (j == keep || !eligible(items[j]) || !lit(items[j])) continue;
    items[j]->set_state(item_normal);
    result.actions.push_back({redraw, static_cast<int>(j)});
  }
}

void on_move(const std::vector<dispatch_item_i*>& items, int x, int y, bool& tracking,
             dispatch_result& result) {
  for (size_t i = 0; i < items.size(); ++i) {
    dispatch_item_i* item = items[i];
    if (!eligible(item)) continue;
    int index = static_cast<int>(i);
    if (item->hit_test(x, y)) {
      result.actions.push_back({item_action::set_current, index});
      result.actions.push_back({item_action::call_hover, index});
      if (item->get_state() == item_normal) {
        item->set_state(item_hover);
        unlight_others(items, i, result, item_action::redraw);
        if (!tracking) {
          result.arm_tracking = true;
          tracking = true;
        }
        result.actions.push_back({item_action::redraw, index});
        return;
      }
    } else if (item->get_state() != item_normal) {
      item->set_state(item_normal);
      result.actions.push_back({item_action::redraw, index});
      return;
    }
  }
}

}  // namespace

dispatch_result dispatch_mouse(const std::vector<dispatch_item_i*>& items, mouse_input event,
                               int x, int y, int mode, bool& tracking) {
  dispatch_result result;
  switch (event) {
    case mouse_input::move:
      on_move(items, x, y, tracking, result);
      break;
    case mouse_input::press:
      for (size_t i = 0; i < items.size(); ++i) {
        dispatch_item_i* item = items[i];
        if (!eligible(item) || !item->hit_test(x, y) || item->get_state() == item_pressed)
          continue;
        int index = static_cast<int>(i);
        item->set_state(item_pressed);
        unlight_others(items, i, result, item_action::redraw_now);
        result.actions.push_back({item_action::redraw_now, index});
        result.actions.push_back({item_action::set_current, index});
        result.actions.push_back({item_action::call_press, index});
        return result;
      }
      // A press on a pressed item is not empty space.
      for (dispatch_item_i* item : items)
        if (eligible(item) && item->hit_test(x, y)) return result;
      if (mode == drag_top_level || mode == drag_dialog) result.start_drag = true;
      break;
    case mouse_input::release:
      for (size_t i = 0; i < items.size(); ++i) {
        dispatch_item_i* item = items[i];
        if (!eligible(item) || !item->hit_test(x, y) || item->get_state() == item_hover) continue;
        int index = static_cast<int>(i);
        item->set_state(item_hover);
        unlight_others(items, i, result, item_action::redraw_now);
        result.actions.push_back({item_action::redraw_now, index});
        result.actions.push_back({item_action::set_current, index});
        result.actions.push_back({item_action::call_click, index});
        return result;
      }
      break;
    case mouse_input::double_click:
      for (size_t i = 0; i < items.size(); ++i) {
        if (!eligible(items[i]) || !items[i]->hit_test(x, y)) continue;
        int index = static_cast<int>(i);
        result.actions.push_back({item_action::set_current, index});
        result.actions.push_back({item_action::call_double_click, index});
        result.consumed = true;
        return result;
      }
      if (mode == drag_top_level) result.toggle_maximise = true;
      break;
    case mouse_input::leave:
      // Every lit item goes back (there is at most one, but be sure no light is left on).
      for (size_t i = 0; i < items.size(); ++i) {
        if (!eligible(items[i]) || !lit(items[i])) continue;
        items[i]->set_state(item_normal);
        result.actions.push_back({item_action::redraw, static_cast<int>(i)});
      }
      tracking = false;
      break;
  }
  return result;
}
