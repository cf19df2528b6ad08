#include "widgets/panel_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/gui_driver.h"
#include "widgets/app_messages.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

// A row window with a child control of its own; it counts the notices it gets.
class counting_row : public window_impl<counting_row>, public panel_c {
 public:
  explicit counting_row(int h) { height = h; }
  void fit_width() override { fit_panel_to_list(*this); }
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override {
    x = at_x;
    y = at_y;
    RECT list;
    GetClientRect(parent, &list);
    width = list.right;
    RECT r = {x, y, x + width, y + height};
    if (!window_impl<counting_row>::create(parent, r, L"", WS_CHILD | WS_VISIBLE)) return false;
    child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, handle(), nullptr, nullptr, nullptr);
    return true;
  }
  bool process_window_message(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message != WM_APP_PANEL_NOTIFY) return false;
    ++notices;
    result = 0;
    return true;
  }
  HWND child = nullptr;
  int notices = 0;
};

struct page_window : window_impl<page_window> {
  bool process_window_message(HWND, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message != WM_APP_GROUP_TOGGLED) return false;
    toggles.push_back(std::to_string(wparam) + " " + std::to_string(lparam));
    result = 0;
    return true;
  }
  std::vector<std::string> toggles;
};

struct ui {
  ui() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
  }
  ~ui() { delete_ui_objects(); }
};

bool has_scroll_bar(HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL) != 0; }

TEST(PanelListWindow, RowsStackScrollAndHearNotices) {
  ui fonts;
  page_window page;
  RECT at = {50, 50, 450, 350};
  ASSERT_TRUE(page.create(nullptr, at, L"Page", WS_POPUP | WS_VISIBLE));
  panel_list_c list;
  RECT inner = {0, 0, 400, 300};
  ASSERT_TRUE(list.create_list(page.handle(), inner));
  SendMessageW(list.handle(), WM_SIZE, 0, MAKELPARAM(400, 300));
  EXPECT_FALSE(has_scroll_bar(list.handle()));
  EXPECT_EQ(list.scroll_position(), 0);

  std::vector<counting_row*> rows;
  for (int i = 0; i < 5; ++i) {
    rows.push_back(new counting_row(100));
    list.add(rows.back());
  }
  // Past the page: the bar shows and no row has moved.
  EXPECT_TRUE(has_scroll_bar(list.handle()));
  EXPECT_EQ(gui::rect_in_parent(rows[3]->handle()).top, 300);

  // Content 500, page 300: a page down from 0 stops at 201.
  SendMessageW(list.handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(list.scroll_position(), 201);
  EXPECT_EQ(gui::rect_in_parent(rows[3]->handle()).top, 99);
  SendMessageW(list.handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(120))), 0);
  EXPECT_EQ(list.scroll_position(), 181);

  SendMessageW(list.handle(), WM_APP_PANEL_NOTIFY, 0, 0);
  for (counting_row* r : rows) EXPECT_EQ(r->notices, 1);

  // Everything fits after a resize: the bar goes, the position stays until the next layout.
  int before = list.scroll_position();
  MoveWindow(list.handle(), 0, 0, 400, 2000, TRUE);
  EXPECT_FALSE(has_scroll_bar(list.handle()));
  EXPECT_EQ(list.scroll_position(), before);
  list.relayout();
  EXPECT_EQ(list.scroll_position(), 0);
  list.clear();
  EXPECT_TRUE(list.stack().rows.empty());
}

TEST(PanelListWindow, HeaderShowsTitleWithCountAndFoldsOnDoubleClick) {
  ui fonts;
  page_window page;
  RECT at = {50, 50, 450, 350};
  ASSERT_TRUE(page.create(nullptr, at, L"Page", WS_POPUP | WS_VISIBLE));
  panel_list_c list;
  RECT inner = {0, 0, 400, 300};
  ASSERT_TRUE(list.create_list(page.handle(), inner));
  auto* header = new header_panel_c(1, get_text("download_out_of_date"), 3);
  list.add(header);
  EXPECT_EQ(header->height, 30);
  EXPECT_EQ(header->width, 400);
  {
    rendered picture(header->handle());
    // A blue gradient from RGB(69,147,230) down to RGB(25,91,161).
    unsigned top = picture.at(2, 0), bottom = picture.at(2, 29);
    EXPECT_NEAR(int(top >> 16), 69, 6);
    EXPECT_NEAR(int(top & 0xFF), 230, 6);
    EXPECT_NEAR(int(bottom >> 16), 25, 6);
    EXPECT_NEAR(int(bottom & 0xFF), 161, 6);
    EXPECT_TRUE(picture.any(27, 0, 200, 30, 0xFFFFFF));  // white title text
  }
  SendMessageW(header->handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  EXPECT_FALSE(header->expanded());
  SendMessageW(header->handle(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  EXPECT_EQ(page.toggles, (std::vector<std::string>{"1 0", "1 1"}));
}

}  // namespace
