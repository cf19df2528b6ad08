#include "framework/hyperlink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/gdi.h"
#include "tests/support/gui_driver.h"

namespace {

struct test_link : hyperlink_impl<test_link> {
  std::vector<std::wstring> opened;
  bool answer = true;
  void paint_background(HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  bool open_address(const wchar_t* address) override {
    opened.push_back(address);
    return answer;
  }
};

struct parent_window : window_impl<parent_window> {
  bool process_window_message(HWND, UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

TEST(hyperlink, click_opens_the_address_once_and_marks_it_visited) {
  parent_window parent;
  RECT area = {0, 0, 300, 100};
  ASSERT_TRUE(parent.create(nullptr, area, L"", WS_POPUP | WS_VISIBLE));
  test_link link;
  RECT at = {10, 10, 210, 40};
  ASSERT_TRUE(link.create(parent, at, L"", WS_CHILD | WS_VISIBLE));
  link.set_label(L"http://example.invalid/");
  link.set_hyperlink(L"http://example.invalid/");
  link.set_link_font(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  gui::click_at(link, 5, 5);
  gui::pump_until([&] { return !link.opened.empty(); }, 1000);
  ASSERT_EQ(link.opened.size(), 1u);
  EXPECT_EQ(link.opened[0], L"http://example.invalid/");
  EXPECT_TRUE(link.visited());
  // A release outside the link opens nothing.
  PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(250, 5));
  gui::pump_for(50);
  EXPECT_EQ(link.opened.size(), 1u);
  // Enter opens it as well; a failed open is not a visit.
  test_link other;
  ASSERT_TRUE(other.create(parent, at, L"", WS_CHILD));
  other.set_hyperlink(L"x:");
  other.answer = false;
  SendMessageW(other, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(other.opened.size(), 1u);
  EXPECT_FALSE(other.visited());
}

TEST(hyperlink, paints_its_background_then_the_text_in_link_colour) {
  parent_window parent;
  RECT area = {0, 0, 300, 100};
  ASSERT_TRUE(parent.create(nullptr, area, L"", WS_POPUP));
  test_link link;
  RECT at = {0, 0, 200, 30};
  ASSERT_TRUE(link.create(parent, at, L"", WS_CHILD | WS_VISIBLE));
  link.set_label(L"WWWWWWWW");
  link.set_link_font(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  void* bits = nullptr;
  int w = 0, h = 0;
  HBITMAP b = print_client(link, &bits, &w, &h);
  ASSERT_TRUE(b);
  const auto* px = static_cast<const unsigned*>(bits);
  int blue = 0;
  for (int i = 0; i < w * h; ++i)
    if ((px[i] & 0xFFFFFF) == 0x0000FF) ++blue;  // BGRA read as 0x00RRGGBB: pure blue
  EXPECT_GT(blue, 10);
  EXPECT_EQ(px[w * h - 1] & 0xFFFFFF, 0xFFFFFFu);  // white ground from the hook
  DeleteObject(b);
}

}  // namespace
