#include "widgets/item_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A rectangle item: left/top inclusive, right/bottom exclusive.
struct box_item : dispatch_item_i {
  box_item(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int left, top, right, bottom;
  int state = item_normal;
  bool visible = true;
  bool is_visible() const override { return visible; }
  int get_state() const override { return state; }
  void set_state(int s) override { state = s; }
  bool hit_test(int x, int y) const override {
    return x >= left && x < right && y >= top && y < bottom;
  }
};

struct fixture {
  box_item a{0, 0, 10, 10};
  box_item b{20, 0, 30, 10};
  std::vector<dispatch_item_i*> items{&a, &b};
  bool tracking = false;
  int mode = drag_child;

  // The actions as a short text: "current A, hover A, redraw A".
  std::string send(mouse_input e, int x, int y, dispatch_result* out = nullptr) {
    dispatch_result r = dispatch_mouse(items, e, x, y, mode, tracking);
    std::string text;
    static const char* names[] = {"current", "hover", "press", "click", "double", "redraw", "now"};
    for (const item_action& act : r.actions) {
      if (!text.empty()) text += ", ";
      text += names[act.what];
      text += ' ';
      text += static_cast<char>('A' + act.item);
    }
    if (out) *out = r;
    return text;
  }
  std::string states() const { return std::to_string(a.state) + std::to_string(b.state); }
};

TEST(item_dispatch, event_sequence_table) {
  fixture f;
  struct step {
    mouse_input event;
    int x, y;
    const char* actions;
    const char* states;  // of A then B afterwards
    bool tracking;
  };
  const step steps[] = {
      {mouse_input::move, 5, 5, "current A, hover A, redraw A", "10", true},     // onto A
      {mouse_input::move, 6, 5, "current A, hover A", "10", true},               // again on A
      {mouse_input::press, 6, 5, "now A, current A, press A", "20", true},       // press
      {mouse_input::release, 6, 5, "now A, current A, click A", "10", true},     // release: click
      {mouse_input::release, 6, 5, "", "10", true},                              // hovered only
      {mouse_input::move, 25, 5, "redraw A", "00", true},                        // A to B at once
      {mouse_input::move, 25, 5, "current B, hover B, redraw B", "01", true},    // B lights next
      {mouse_input::leave, 25, 5, "redraw B", "00", false},                      // leave
      {mouse_input::move, 5, 5, "current A, hover A, redraw A", "10", true},     // re-armed
      {mouse_input::double_click, 5, 5, "current A, double A", "10", true},
  };
  int n = 0;
  for (const step& s : steps) {
    SCOPED_TRACE("step " + std::to_string(n++));
    dispatch_result r;
    EXPECT_EQ(f.send(s.event, s.x, s.y, &r), s.actions);
    EXPECT_EQ(f.states(), s.states);
    EXPECT_EQ(f.tracking, s.tracking);
  }
}

TEST(item_dispatch, tracking_armed_only_when_not_armed) {
  fixture f;
  dispatch_result r;
  f.send(mouse_input::move, 5, 5, &r);
  EXPECT_TRUE(r.arm_tracking);
  f.send(mouse_input::move, 25, 5);
  f.send(mouse_input::move, 25, 5, &r);
  EXPECT_FALSE(r.arm_tracking);  // still armed from the first entry
}

TEST(item_dispatch, at_most_one_item_lit_when_moving_onto_an_earlier_item) {
  fixture f;
  f.send(mouse_input::move, 25, 5);  // B lit
  ASSERT_EQ(f.states(), "01");
  EXPECT_EQ(f.send(mouse_input::move, 5, 5), "current A, hover A, redraw B, redraw A");
  EXPECT_EQ(f.states(), "10");
  EXPECT_EQ(f.send(mouse_input::leave, -1, -1), "redraw A");
  EXPECT_EQ(f.states(), "00");
}

TEST(item_dispatch, leave_resets_every_lit_item) {
  fixture f;
  f.a.state = item_hover;
  f.b.state = item_pressed;
  EXPECT_EQ(f.send(mouse_input::leave, 0, 0), "redraw A, redraw B");
  EXPECT_EQ(f.states(), "00");
}

TEST(item_dispatch, disabled_and_invisible_items_are_never_hit) {
  for (int hidden = 0; hidden < 2; ++hidden) {
    fixture f;
    f.mode = drag_dialog;
    if (hidden)
      f.a.visible = false;
    else
      f.a.state = item_disabled;
    int before = f.a.state;
    for (mouse_input e : {mouse_input::move, mouse_input::press, mouse_input::release,
                          mouse_input::double_click, mouse_input::leave}) {
      dispatch_result r;
      EXPECT_EQ(f.send(e, 5, 5, &r), "") << hidden << " " << static_cast<int>(e);
      EXPECT_FALSE(r.consumed);
    }
    EXPECT_EQ(f.a.state, before);
  }
}

TEST(item_dispatch, empty_space_press_drags_only_top_level_windows_and_dialogs) {
  const struct {
    int mode;
    bool drags;
  } cases[] = {{drag_top_level, true}, {drag_child, false}, {drag_dialog, true}};
  for (const auto& c : cases) {
    fixture f;
    f.mode = c.mode;
    dispatch_result r;
    EXPECT_EQ(f.send(mouse_input::press, 50, 50, &r), "");
    EXPECT_EQ(r.start_drag, c.drags) << c.mode;
    // A press on an item never drags.
    f.send(mouse_input::press, 5, 5, &r);
    EXPECT_FALSE(r.start_drag);
    // Nor does a second press on the pressed item.
    EXPECT_EQ(f.send(mouse_input::press, 5, 5, &r), "");
    EXPECT_FALSE(r.start_drag);
  }
}

TEST(item_dispatch, double_click_on_item_is_consumed_and_on_empty_space_toggles_top_level) {
  const struct {
    int mode;
    bool toggles;
  } cases[] = {{drag_top_level, true}, {drag_child, false}, {drag_dialog, false}};
  for (const auto& c : cases) {
    fixture f;
    f.mode = c.mode;
    dispatch_result r;
    f.send(mouse_input::double_click, 25, 5, &r);
    EXPECT_TRUE(r.consumed);
    EXPECT_FALSE(r.toggle_maximise);
    f.send(mouse_input::double_click, 50, 50, &r);
    EXPECT_FALSE(r.consumed);
    EXPECT_EQ(r.toggle_maximise, c.toggles) << c.mode;
  }
}

TEST(item_dispatch, release_over_unlit_item_clicks_and_press_moves_light) {
  fixture f;
  f.send(mouse_input::move, 25, 5);  // B lit
  EXPECT_EQ(f.send(mouse_input::release, 5, 5), "now B, now A, current A, click A");
  EXPECT_EQ(f.states(), "10");
  EXPECT_EQ(f.send(mouse_input::press, 25, 5), "now A, now B, current B, press B");
  EXPECT_EQ(f.states(), "02");
}

}  // namespace
