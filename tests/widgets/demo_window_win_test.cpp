// A window with the button family in every state. With VANTORIL_DEMO_HOLD_MS set it stays on
// the screen that long, for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/gui_driver.h"
#include "widgets/bitmap_button.h"
#include "widgets/ui_window.h"

namespace {

struct demo_window : window_impl<demo_window>, ui_window_c<demo_window>, ui_event_c<demo_window> {
  bitmap_button_c plain, checked, disabled3, disabled4;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
    if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
    if (message == WM_CREATE) build(window);
    return false;
  }

  template <class B>
  B* add(int png, int x, int y, const char16_t* text, int frames, int state) {
    B* b = new B;
    b->create(this, png, x, y, text, frames);
    b->state = state;
    add_item(b);
    return b;
  }

  void build(HWND window) {
    const char16_t* names[] = {u"Normal", u"Hover", u"Pressed", u"Disabled"};
    for (int s = 0; s < 3; ++s) add<ui_button_c<demo_window>>(173, 20 + s * 120, 60, names[s], 3, s);
    for (int s = 0; s < 4; ++s) {
      auto* combo = add<ui_button_c<demo_window>>(197, 20 + s * 90, 100, names[s], 4, s);
      combo->set_text_style(font_normal_9, RGB(68, 68, 68), 0);
      combo->text_x = 8;
    }
    // Close buttons at the right edge in their three states, caption buttons beside them.
    for (int s = 0; s < 3; ++s) add<system_button_c<demo_window>>(103, 80 - s * 40, 6, u"", 3, s);
    const int captions[] = {105, 106, 107, 120};
    for (int i = 0; i < 4; ++i) add<system_button_c<demo_window>>(captions[i], 130 + i * 30, 6, u"", 3, i % 3);
    for (int s = 0; s < 3; ++s) {
      add<ui_button_c<demo_window>>(189, 20 + s * 40, 150, u"", 3, s);
      add<ui_button_c<demo_window>>(190, 150 + s * 40, 150, u"", 3, s);
      add<ui_button_c<demo_window>>(194, 280 + s * 30, 153, u"", 3, s);
      add<ui_button_c<demo_window>>(195, 380 + s * 30, 153, u"", 3, s);
      add<ui_button_c<demo_window>>(179, 480 + s * 25, 150, u"", 3, s);
      add<ui_button_c<demo_window>>(180, 560 + s * 25, 150, u"", 3, s);
    }
    for (int s = 0; s < 3; ++s) {
      auto* tab = add<ui_button_c<demo_window>>(191, 20 + s * 115, 190, names[s], 3, s);
      tab->set_text_style(font_bold_ct_9, RGB(24, 90, 160), 0);
    }
    for (int s = 0; s < 3; ++s) add<ui_button_c<demo_window>>(134, 20 + s * 180, 240, names[s], 3, s);
    auto* link = new reverse_link_button_c<demo_window>;
    link->create(this, 0, 20, 30, u"No, continue (reverse link)", 0);
    link->set_text_style(font_underline_9, RGB(24, 90, 160), 0);
    add_item(link);

    const struct {
      bitmap_button_c* b;
      int png, disabled_frame, x, check, enable;
      const wchar_t* text;
    } real[] = {{&plain, 128, 0, 20, 0, 1, L"OK"},
                {&checked, 128, 0, 130, 1, 1, L"Checked"},
                {&disabled3, 128, 0, 240, 0, 0, L"Disabled (3)"},
                {&disabled4, 192, 0, 350, 0, 1, L"Prefs"}};
    int id = 100;
    for (const auto& r : real) {
      HWND control = CreateWindowExW(0, L"BUTTON", r.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                     r.x, 300, 10, 10, window, reinterpret_cast<HMENU>(id),
                                     nullptr, nullptr);
      r.b->subclass_window(control);
      r.b->load_images(r.png, r.disabled_frame, bmpbtn_hover | bmpbtn_autosize);
      r.b->font = font_bold_ct_10;
      r.b->text_colour = RGB(68, 68, 68);
      r.b->checked = r.check;
      if (!r.enable) EnableWindow(control, FALSE);
      ++id;
    }
    HWND side = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_DISABLED, 460, 290,
                                10, 10, window, reinterpret_cast<HMENU>(200), nullptr, nullptr);
    sidebar.subclass_window(side);
    sidebar.load_images(102, 1, bmpbtn_hover | bmpbtn_autosize);
    SetWindowTextW(side, L"Sidebar (disabled)");
    sidebar.text_colour = RGB(255, 255, 255);
    sidebar.font = font_bold_ct_10;
  }
  bitmap_button_c sidebar;

  void paint(HDC dc, const RECT& client) {
    RECT band = {0, 0, client.right, 34};
    HBRUSH navy = CreateSolidBrush(RGB(0, 42, 89));
    FillRect(dc, &band, navy);
    DeleteObject(navy);
  }
};

TEST(demo_window, button_family_in_every_state) {
  create_ui_fonts("en", 61);
  create_brushes();
  {
    demo_window w;
    RECT area = {0, 0, 700, 400};
    ASSERT_TRUE(w.create(nullptr, area, L"Drawn items in every state", WS_POPUP | WS_VISIBLE));
    UpdateWindow(w);
    // The three states of the same strip differ on the screen.
    rendered r(w);
    unsigned normal = r.at(25, 65), hover = r.at(145, 65), pressed = r.at(265, 65);
    EXPECT_NE(normal, hover);
    EXPECT_NE(hover, pressed);
    EXPECT_NE(normal, pressed);
    if (const char* hold = std::getenv("VANTORIL_DEMO_HOLD_MS")) gui::pump_for(DWORD(std::atoi(hold)));
  }
  delete_ui_objects();
}

}  // namespace
