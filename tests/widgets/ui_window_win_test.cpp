#include "widgets/ui_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "tests/framework/dialog_template.h"
#include "tests/support/gui_driver.h"
#include "widgets/ui_fonts.h"

namespace {

// Items and the windows that own them own raw pointers: neither may be copied.
struct any_owner {};
static_assert(!std::is_copy_constructible_v<button_c<any_owner>> && !std::is_copy_assignable_v<button_c<any_owner>>);
static_assert(!std::is_copy_constructible_v<ui_event_c<any_owner>> && !std::is_copy_assignable_v<ui_event_c<any_owner>>);

const COLORREF navy = RGB(0, 42, 89);

struct fonts_for_test {
  fonts_for_test() {
    create_ui_fonts("en", 61);
    create_brushes();
  }
  ~fonts_for_test() { delete_ui_objects(); }
};

// A toolkit dialog: rounded, framed, titled, with one drawn button; runs a script once shown.
struct toolkit_dialog : dialog_impl<toolkit_dialog>,
                        ui_window_c<toolkit_dialog>,
                        ui_event_c<toolkit_dialog> {
  std::function<void(toolkit_dialog&)> script;
  ui_button_c<toolkit_dialog>* button = nullptr;
  int clicks = 0;
  int presses = 0;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
    if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
    switch (message) {
      case WM_INITDIALOG:
        MoveWindow(window, 0, 0, 400, 200, FALSE);
        SetWindowTextW(window, L"Title");
        button = new ui_button_c<toolkit_dialog>;
        button->create(this, 173, 150, 100, u"Go", 3);
        button->bind_click(&toolkit_dialog::on_click);
        button->bind_press(&toolkit_dialog::on_press);
        add_item(button);
        PostMessageW(window, WM_APP + 1, 0, 0);
        result = TRUE;
        return true;
      case WM_APP + 1:
        script(*this);
        return true;
      default:
        return false;
    }
  }
  void paint(HDC dc, const RECT& client) {
    RECT band = {0, 0, client.right, 30};
    HBRUSH b = CreateSolidBrush(navy);
    FillRect(dc, &band, b);
    DeleteObject(b);
  }
  void on_click() { ++clicks; }
  void on_press() { ++presses; }
};

INT_PTR run_toolkit_dialog(std::function<void(toolkit_dialog&)> script, toolkit_dialog& d) {
  d.script = std::move(script);
  dialog_template t(WS_POPUP | WS_VISIBLE, 200, 100);
  return d.do_modal_indirect(nullptr, t.get());
}

TEST(ui_window, toolkit_dialog_is_rounded_framed_and_titled) {
  fonts_for_test fonts;
  toolkit_dialog d;
  bool checked = false;
  run_toolkit_dialog(
      [&](toolkit_dialog& self) {
        HWND w = self.handle();
        EXPECT_EQ(self.drag_mode, drag_dialog);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(w, region), ERROR);
        // The corners are cut; the pixels beside the cut belong to the window.
        for (POINT corner : {POINT{0, 0}, POINT{399, 0}, POINT{0, 199}, POINT{399, 199}})
          EXPECT_FALSE(PtInRegion(region, corner.x, corner.y)) << corner.x << "," << corner.y;
        for (POINT inside : {POINT{2, 0}, POINT{0, 2}, POINT{397, 0}, POINT{399, 2}, POINT{2, 199},
                             POINT{1, 1}, POINT{398, 198}, POINT{200, 100}})
          EXPECT_TRUE(PtInRegion(region, inside.x, inside.y)) << inside.x << "," << inside.y;
        DeleteObject(region);

        rendered r(w);
        ASSERT_EQ(r.width, 400);
        ASSERT_EQ(r.height, 200);
        const unsigned frame = 0x798792;  // R,G,B 121,135,146
        EXPECT_EQ(r.at(200, 0), frame);
        EXPECT_EQ(r.at(0, 100), frame);
        EXPECT_EQ(r.at(399, 100), frame);
        EXPECT_EQ(r.at(200, 199), frame);
        EXPECT_EQ(r.at(100, 150), 0xFFFFFFu);  // white ground
        // White title ink starts at (10, 8): none left of x 10 or above y 8 in the band.
        EXPECT_TRUE(r.any(10, 8, 60, 24, 0xFFFFFF));
        EXPECT_FALSE(r.any(1, 1, 10, 29, 0xFFFFFF));
        EXPECT_FALSE(r.any(1, 1, 399, 8, 0xFFFFFF));
        checked = true;
        self.end_dialog(1);
      },
      d);
  EXPECT_TRUE(checked);
}

TEST(ui_window, posted_click_on_a_drawn_button_reaches_its_callback_once) {
  fonts_for_test fonts;
  toolkit_dialog d;
  run_toolkit_dialog(
      [](toolkit_dialog& self) {
        RECT r = self.button->get_rect();
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(self.handle(), WM_MOUSEMOVE, 0, at);
        PostMessageW(self.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(self.handle(), WM_LBUTTONUP, 0, at);
        // Ends once the mouse messages before it are handled.
        struct ender {
          static void CALLBACK end(HWND w, UINT, UINT_PTR id, DWORD) {
            KillTimer(w, id);
            EndDialog(w, 7);
          }
        };
        SetTimer(self.handle(), 1, 50, ender::end);
      },
      d);
  EXPECT_EQ(d.presses, 1);
  EXPECT_EQ(d.clicks, 1);
  EXPECT_EQ(d.button->state, item_hover);
  EXPECT_EQ(d.current_item, d.button);
}

// A top-level window whose drawn button closes it from its click callback.
struct closing_window : window_impl<closing_window>,
                        ui_window_c<closing_window>,
                        ui_event_c<closing_window> {
  static bool* final_seen;
  static int* clicks;
  static bool* alive_in_callback;
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
    if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
    if (message == WM_CREATE) {
      auto* close = new system_button_c<closing_window>;
      close->create(this, 103, 0, 0, u"", 3);
      close->bind_click(&closing_window::close);
      add_item(close);
    }
    return false;
  }
  void close() {
    ++*clicks;
    DestroyWindow(handle());
    *alive_in_callback = !*final_seen;  // the object is still ours here
  }
  void on_final_message(HWND) override {
    *final_seen = true;
    delete this;
  }
};
bool* closing_window::final_seen;
int* closing_window::clicks;
bool* closing_window::alive_in_callback;

TEST(ui_window, callback_that_destroys_its_window_does_not_crash) {
  fonts_for_test fonts;
  bool final_seen = false, alive = false;
  int clicks = 0;
  closing_window::final_seen = &final_seen;
  closing_window::clicks = &clicks;
  closing_window::alive_in_callback = &alive;
  auto* w = new closing_window;
  RECT area = {50, 50, 450, 250};
  HWND h = w->create(nullptr, area, L"", WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(h);
  EXPECT_EQ(w->drag_mode, drag_top_level);
  LPARAM at = MAKELPARAM(380, 10);  // on the close button at the right edge
  PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(h, WM_LBUTTONUP, 0, at);
  PostMessageW(h, WM_LBUTTONUP, 0, at);  // arrives at a dead window: ignored
  gui::pump_until([&] { return !IsWindow(h); });
  gui::pump_for(20);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(alive);
  EXPECT_TRUE(final_seen);
}

// A plain child-style window for geometry checks.
struct plain_window : window_impl<plain_window>, ui_event_c<plain_window> {
  int presses = 0;
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    return process_ui_event_message(window, message, wparam, lparam, result);
  }
  void on_press() { ++presses; }
};

TEST(ui_window, anchored_items_follow_the_edges_and_hit_by_their_distance_from_them) {
  fonts_for_test fonts;
  plain_window w;
  RECT area = {0, 0, 400, 600};
  ASSERT_TRUE(w.create(nullptr, area, L"", WS_POPUP));
  auto* close = new system_button_c<plain_window>;
  close->create(&w, 103, 0, 0, u"", 3);
  w.add_item(close);
  RECT r = close->get_rect();
  EXPECT_EQ(r.left, 360);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 20);
  // Hits are measured from the right edge: (width - x) in [left, right).
  EXPECT_TRUE(close->hit_test(361, 0));
  EXPECT_TRUE(close->hit_test(400, 19));
  EXPECT_FALSE(close->hit_test(360, 0));
  EXPECT_FALSE(close->hit_test(400, 20));
  SetWindowPos(w, nullptr, 0, 0, 500, 600, SWP_NOMOVE | SWP_NOZORDER);
  r = close->get_rect();
  EXPECT_EQ(r.left, 460);
  EXPECT_EQ(r.right, 500);

  auto* link = new reverse_link_button_c<plain_window>;
  link->create(&w, 0, 20, 18, u"Link text", 0);
  link->set_text_style(font_normal_11, RGB(0, 0, 255), 0);
  w.add_item(link);
  HDC screen = GetDC(nullptr);
  SelectObject(screen, font_normal_11);
  SIZE text;
  GetTextExtentPoint32W(screen, L"Link text", 9, &text);
  ReleaseDC(nullptr, screen);
  r = link->get_rect();
  EXPECT_EQ(r.top, 600 - 18);  // the text's top edge
  EXPECT_EQ(r.bottom, 600 - 18 + text.cy);
  EXPECT_EQ(r.right, 20 + text.cx);
  // Hits are measured from the bottom edge: (x, height - y) in the stored rectangle.
  EXPECT_FALSE(link->hit_test(20, 582));
  EXPECT_TRUE(link->hit_test(20, 583));
  EXPECT_TRUE(link->hit_test(20, 582 + text.cy));
  EXPECT_FALSE(link->hit_test(20, 582 + text.cy + 1));
  link->move_to(30, 40);
  r = link->get_rect();
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.right, 30 + text.cx);
  EXPECT_EQ(r.top, 600 - 40);
}

TEST(ui_window, offer_link_grows_to_its_text_and_flat_button_fills_by_state) {
  fonts_for_test fonts;
  plain_window w;
  RECT area = {0, 0, 300, 100};
  ASSERT_TRUE(w.create(nullptr, area, L"", WS_POPUP));
  link_button_c<plain_window> link;
  link.create(&w, 0, 10, 20, u"No, Continue Uninstall", 0);
  link.set_text_style(font_normal_10, RGB(0, 0, 0), 0);
  HDC screen = GetDC(nullptr);
  SelectObject(screen, font_normal_10);
  SIZE text;
  GetTextExtentPoint32W(screen, L"No, Continue Uninstall", 22, &text);
  ReleaseDC(nullptr, screen);
  RECT r = link.get_rect();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 10 + text.cx);
  EXPECT_EQ(r.bottom, 20 + text.cy);

  flat_button_c<plain_window> flat;
  flat.owner = &w;
  flat.set_rect(0, 0, 20, 10);
  flat.fill_colours[0] = RGB(1, 2, 3);
  flat.fill_colours[1] = RGB(4, 5, 6);
  flat.fill_colours[2] = RGB(7, 8, 9);
  image_c target;
  ASSERT_TRUE(target.create(20, 10, 32, false));
  for (int s = 0; s < 3; ++s) {
    flat.state = s;
    flat.draw(target.get_dc());
    target.release_dc();
    GdiFlush();
    const unsigned char* p = target.bits();
    EXPECT_EQ(RGB(p[2], p[1], p[0]), flat.fill_colours[s]);
  }
}

struct counting_button : ui_button_c<plain_window> {
  int redraws = 0;
  void redraw() override { ++redraws; }
  HFONT font_after_style(HDC dc) {
    apply_text_style(dc);
    return static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  }
};

TEST(ui_window, item_rules_disabled_visibility_and_text_style) {
  fonts_for_test fonts;
  plain_window w;
  RECT area = {0, 0, 200, 100};
  ASSERT_TRUE(w.create(nullptr, area, L"", WS_POPUP));
  counting_button b;
  b.create(&w, 173, 0, 0, u"x", 3);
  b.bind_press(&plain_window::on_press);
  b.on_press();
  EXPECT_EQ(w.presses, 1);
  b.state = item_disabled;
  b.on_press();
  EXPECT_EQ(w.presses, 1);

  b.set_visible(1, true);
  EXPECT_EQ(b.redraws, 0);  // unchanged: no redraw
  b.set_visible(0, true);
  EXPECT_EQ(b.redraws, 1);
  EXPECT_FALSE(b.is_visible());

  HDC dc = CreateCompatibleDC(nullptr);
  b.fonts[0] = nullptr;
  b.state = item_hover;
  EXPECT_EQ(b.font_after_style(dc), font_bold_ct_9);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  b.set_text_style(font_normal_12, RGB(1, 2, 3), 0);
  EXPECT_EQ(b.font_after_style(dc), font_normal_12);  // state 0's style in every state
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  b.set_text_style(font_bold_16, RGB(4, 5, 6), 1);
  EXPECT_EQ(b.font_after_style(dc), font_bold_16);
  EXPECT_EQ(GetTextColor(dc), RGB(4, 5, 6));
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  DeleteDC(dc);
}

TEST(ui_window, minimise_keeps_the_region_and_restore_renews_it) {
  fonts_for_test fonts;
  toolkit_dialog d;
  run_toolkit_dialog(
      [](toolkit_dialog& self) {
        HWND w = self.handle();
        HRGN before = CreateRectRgn(0, 0, 0, 0), after = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(w, before);
        LRESULT result = 0;
        EXPECT_TRUE(self.process_ui_window_message(w, WM_SIZE, SIZE_MINIMIZED,
                                                   MAKELPARAM(160, 30), result));
        GetWindowRgn(w, after);
        EXPECT_TRUE(EqualRgn(before, after));
        EXPECT_FALSE(self.process_ui_window_message(w, WM_SIZE, SIZE_RESTORED,
                                                    MAKELPARAM(300, 120), result));
        GetWindowRgn(w, after);
        // The new shape: 300 x 120 with cut corners.
        RECT box;
        GetRgnBox(after, &box);
        EXPECT_EQ(box.right, 300);
        EXPECT_EQ(box.bottom, 120);
        EXPECT_FALSE(PtInRegion(after, 0, 0));
        EXPECT_FALSE(PtInRegion(after, 299, 119));
        EXPECT_TRUE(PtInRegion(after, 2, 0));
        EXPECT_TRUE(PtInRegion(after, 299, 60));
        DeleteObject(before);
        DeleteObject(after);
        self.end_dialog(1);
      },
      d);
}

// A toolkit window with a scroll bar beside its client area.
struct scrolling_window : window_impl<scrolling_window>, ui_window_c<scrolling_window> {
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    return process_ui_window_message(window, message, wparam, lparam, result);
  }
};

// The rounded shape covers the whole window, a scroll bar beside the client area included;
// a window of radius 0 has no region at all.
TEST(ui_window, the_region_takes_the_scroll_bar_in_and_radius_zero_sets_none) {
  fonts_for_test fonts;
  for (int radius : {4, 0}) {
    scrolling_window w;
    w.corner_radius = radius;
    RECT area = {0, 0, 300, 200};
    ASSERT_TRUE(w.create(nullptr, area, L"", WS_POPUP | WS_VSCROLL));
    SetWindowPos(w.handle(), nullptr, 0, 0, 320, 200, SWP_NOMOVE | SWP_NOZORDER);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(w.handle(), region);
    if (radius == 0) {
      EXPECT_EQ(kind, ERROR);
    } else {
      ASSERT_NE(kind, ERROR);
      RECT box;
      GetRgnBox(region, &box);
      EXPECT_EQ(box.right, 320);
      EXPECT_EQ(box.bottom, 200);
      const int bar_x = 320 - GetSystemMetrics(SM_CXVSCROLL) + 2;
      EXPECT_TRUE(PtInRegion(region, bar_x, 100));
    }
    DeleteObject(region);
  }
}

}  // namespace
