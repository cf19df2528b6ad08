#include "widgets/panel.h"

#include <gtest/gtest.h>

namespace {

struct fake_row : panel_c {
  fake_row(int h, int w, int* deleted_count) : deletes(deleted_count) {
    height = h;
    width = w;
  }
  ~fake_row() override {
    if (deletes) ++*deletes;
  }
  void fit_width() override {}
  HWND__* get_hwnd() override { return nullptr; }
  bool create(HWND__*, int32_t at_x, int32_t at_y) override {
    x = at_x;
    y = at_y;
    return true;
  }
  int* deletes;
};

// Rows as the list adds them: placed at the current end of the content.
fake_row* add_row(panel_stack& s, int h, int* deletes = nullptr, int w = 100) {
  auto* r = new fake_row(h, w, deletes);
  r->create(nullptr, 0, s.content_height);
  s.append(r);
  return r;
}

TEST(PanelStack, ScrollPositionCases) {
  struct scroll_case {
    const char* what;
    int content, page, position, expected;
  } cases[] = {
      {"fits: always 0", 200, 300, 50, 0},
      {"content equal to page", 300, 300, 10, 0},
      {"below 0", 500, 300, -20, 0},
      {"inside", 500, 300, 150, 150},
      {"at most content - page + 1", 500, 300, 999, 201},
      {"empty list", 0, 300, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(clamp_scroll_position(c.position, c.content, c.page), c.expected) << c.what;
}

TEST(PanelStack, ScrollRequestsAndWheel) {
  // Content 500, page 300.
  EXPECT_EQ(clamp_scroll_position(scroll_request_position(scroll_page_down, 150, 300, 0), 500, 300), 201);
  EXPECT_EQ(clamp_scroll_position(scroll_request_position(scroll_page_up, 150, 300, 0), 500, 300), 0);
  EXPECT_EQ(scroll_request_position(scroll_line_down, 40, 300, 0), 50);
  EXPECT_EQ(scroll_request_position(scroll_line_up, 40, 300, 0), 30);
  EXPECT_EQ(scroll_request_position(scroll_thumb_track, 40, 300, 77), 77);
  EXPECT_EQ(scroll_request_position(scroll_thumb_position, 40, 300, 78), 78);
  EXPECT_EQ(scroll_request_position(8 /* end scroll */, 40, 300, 77), 40);
  // A notch up (+120) at 0 stays at 0; a notch down (-120) scrolls 20; the scan list 15.
  EXPECT_EQ(clamp_scroll_position(wheel_position(0, 120, -6), 500, 300), 0);
  EXPECT_EQ(clamp_scroll_position(wheel_position(0, -120, -6), 500, 300), 20);
  EXPECT_EQ(wheel_position(0, -120, -8), 15);
  // Toward zero: a small turn of -5 moves nothing, -7 one pixel.
  EXPECT_EQ(wheel_position(10, -5, -6), 10);
  EXPECT_EQ(wheel_position(10, -7, -6), 11);
  EXPECT_EQ(wheel_position(10, 7, -6), 9);
}

TEST(PanelStack, AddStacksRowsAndAsksForTheBarPastThePage) {
  panel_stack s;
  s.page_height = 300;
  EXPECT_EQ(s.content_height, 0);
  fake_row* a = add_row(s, 120);
  fake_row* b = add_row(s, 120, nullptr, 300);
  EXPECT_FALSE(s.needs_scroll_bar());
  fake_row* c = add_row(s, 120);
  EXPECT_TRUE(s.needs_scroll_bar());
  EXPECT_EQ(a->y, 0);
  EXPECT_EQ(b->y, 120);
  EXPECT_EQ(c->y, 240);
  EXPECT_EQ(s.content_height, 360);
  EXPECT_EQ(s.widest, 300);
}

TEST(PanelStack, HiddenRowKeepsItsYAndLeavesTheContent) {
  panel_stack s;
  s.page_height = 100;
  fake_row* a = add_row(s, 50);
  fake_row* b = add_row(s, 60);
  fake_row* c = add_row(s, 70);
  s.position = 80;
  b->set_visible(0);
  s.relayout();
  EXPECT_EQ(a->y, 0);
  EXPECT_EQ(b->y, 50);  // kept
  EXPECT_EQ(c->y, 50);
  EXPECT_EQ(s.content_height, 120);
  EXPECT_EQ(s.position, 21);  // clamped to 120 - 100 + 1
  b->set_visible(1);
  s.relayout();
  EXPECT_EQ(c->y, 110);
}

TEST(PanelStack, PointerHeldTwiceIsTakenOutTwiceAndDeletedOnce) {
  int deletes = 0;
  panel_stack s;
  fake_row* a = add_row(s, 40, &deletes);
  fake_row* b = add_row(s, 30, &deletes);
  s.append(a);  // the same pointer again
  ASSERT_EQ(s.rows.size(), 3u);
  EXPECT_TRUE(s.remove(a));
  EXPECT_EQ(deletes, 1);
  ASSERT_EQ(s.rows.size(), 1u);
  EXPECT_EQ(s.rows[0], b);
  EXPECT_EQ(b->y, 0);
  EXPECT_EQ(s.content_height, 30);
  EXPECT_FALSE(s.remove(nullptr));
  fake_row stranger(10, 10, nullptr);
  EXPECT_FALSE(s.remove(&stranger));
  s.clear();
  EXPECT_EQ(deletes, 2);
  EXPECT_EQ(s.content_height, 0);
  EXPECT_EQ(s.position, 0);
}

}  // namespace
