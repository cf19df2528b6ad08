// The GUI test driver itself: what every window test relies on.
#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/window.h"

namespace {

// A window that paints one colour and counts the clicks and keys it is given.
struct target_window : window_impl<target_window> {
  int clicks = 0, double_clicks = 0, right_clicks = 0, keys = 0;
  POINT last = {-1, -1};
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    switch (message) {
      case WM_PRINTCLIENT:
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = message == WM_PAINT ? BeginPaint(window, &ps) : reinterpret_cast<HDC>(wparam);
        RECT r;
        GetClientRect(window, &r);
        HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        if (message == WM_PAINT) EndPaint(window, &ps);
        result = 0;
        return true;
      }
      case WM_LBUTTONUP:
        ++clicks;
        last = {short(LOWORD(lparam)), short(HIWORD(lparam))};
        return false;
      case WM_LBUTTONDBLCLK: ++double_clicks; return false;
      case WM_RBUTTONUP: ++right_clicks; return false;
      case WM_KEYDOWN: keys += wparam == VK_RETURN; return false;
    }
    return false;
  }
};

TEST(GuiDriver, FindsClicksTypesWaitsAndSaves) {
  target_window w;
  RECT area = {10, 10, 210, 110};
  ASSERT_TRUE(w.create(nullptr, area, L"Driver target", WS_POPUP | WS_VISIBLE));
  EXPECT_EQ(gui::find_window(L"Driver target"), nullptr);  // a class name, not a title
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  EXPECT_EQ(gui::find_window(name, L"Driver target"), static_cast<HWND>(w));
  EXPECT_EQ(gui::find_window(name, L"Other"), nullptr);
  EXPECT_EQ(gui::window_text(w), L"Driver target");

  gui::click_at(w, 20, 30);
  gui::double_click_at(w, 5, 5);
  gui::right_click_at(w, 5, 5);
  gui::press_key(w, VK_RETURN);
  EXPECT_TRUE(gui::pump_until([&] { return w.keys == 1; }, 2000));
  EXPECT_EQ(w.clicks, 3);  // the click and both halves of the double click
  EXPECT_EQ(w.double_clicks, 1);
  EXPECT_EQ(w.right_clicks, 1);
  // A condition that never holds: false after the time-out; a stray quit does not end the pump.
  PostQuitMessage(0);
  EXPECT_FALSE(gui::pump_until([] { return false; }, 50));
  gui::drop_quit_message();
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

  rendered picture(w);
  EXPECT_EQ(picture.width, 200);
  EXPECT_TRUE(picture.all(0x123456));
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"gui-driver-test.bmp";
  ASSERT_TRUE(gui::save_bmp(w, path));
  FILE* f = _wfopen(path.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  std::vector<unsigned char> bmp(54 + 600 * 100 + 16);
  size_t got = fread(bmp.data(), 1, bmp.size(), f);
  fclose(f);
  DeleteFileW(path.c_str());
  EXPECT_EQ(got, 54u + 600 * 100);  // 200 x 100 pixels of 3 bytes, rows already 4-byte aligned
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(bmp[54], 0x56);  // blue, green, red
  EXPECT_EQ(bmp[55], 0x34);
  EXPECT_EQ(bmp[56], 0x12);
}

}  // namespace
