#include "widgets/bitmap_button.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "tests/framework/dialog_template.h"
#include "tests/support/gui_driver.h"

namespace {

unsigned pixel_of(HWND button, int x, int y) { return rendered(button).at(x, y); }

struct button_dialog : dialog_impl<button_dialog> {
  bitmap_button_c button;
  std::function<void(button_dialog&)> script;
  int clicked = 0;
  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                              LRESULT& result) override {
    switch (message) {
      case WM_INITDIALOG:
        button.subclass_button(window, 100);
        PostMessageW(window, WM_APP + 1, 0, 0);
        result = TRUE;
        return true;
      case WM_APP + 1:
        script(*this);
        return true;
      case WM_COMMAND:
        if (LOWORD(wparam) == 100 && HIWORD(wparam) == BN_CLICKED) ++clicked;
        return true;
      default:
        return false;
    }
  }
};

void run(std::function<void(button_dialog&)> script) {
  button_dialog d;
  d.script = std::move(script);
  dialog_template t(WS_POPUP | WS_VISIBLE, 200, 100);
  t.add_button(100, L"OK", 10, 10, 60, 14);
  d.do_modal_indirect(nullptr, t.get());
}

// The light buttons' fills, frame by frame, as drawn by the picture generator.
const unsigned normal_fill = 0xFAFAFC, pressed_fill = 0xC3D0E0, disabled_fill = 0xF0F0F0;

TEST(bitmap_button, sizes_to_one_frame_and_draws_the_frame_of_its_state) {
  run([](button_dialog& d) {
    bitmap_button_c& b = d.button;
    ASSERT_EQ(b.load_images(128, 0, bmpbtn_hover | bmpbtn_autosize), 0);
    RECT client;
    GetClientRect(b, &client);
    EXPECT_EQ(client.right, 96);
    EXPECT_EQ(client.bottom, 27);
    EXPECT_EQ(pixel_of(b, 5, 13), normal_fill);
    b.checked = 1;
    EXPECT_EQ(pixel_of(b, 5, 13), pressed_fill);
    b.checked = 0;
    // Disabled with only three frames: drawn as if enabled.
    EnableWindow(b, FALSE);
    EXPECT_EQ(pixel_of(b, 5, 13), normal_fill);
    // With a disabled frame it is drawn.
    ASSERT_EQ(b.load_images(197, 1, bmpbtn_hover), 0);
    EXPECT_EQ(pixel_of(b, 5, 13), disabled_fill);
    d.end_dialog(1);
  });
}

TEST(bitmap_button, without_its_picture_paints_nothing) {
  run([](button_dialog& d) {
    EXPECT_EQ(d.button.load_images(9999, 0, bmpbtn_hover | bmpbtn_autosize), -1);
    EXPECT_TRUE(rendered(d.button).all(0x000000));  // not even the background
    d.button.set_image(9999);  // a failed load changes nothing
    EXPECT_EQ(d.button.frames, nullptr);
    d.end_dialog(1);
  });
}

TEST(bitmap_button, a_failed_reload_keeps_the_frames_and_their_count) {
  run([](button_dialog& d) {
    bitmap_button_c& b = d.button;
    ASSERT_EQ(b.load_images(128, 0, bmpbtn_hover | bmpbtn_autosize), 0);
    image_c* before = b.frames;
    // A reload asking for a disabled frame that fails: three frames, and three they stay.
    EXPECT_EQ(b.load_images(9999, 1, bmpbtn_hover), -1);
    EXPECT_EQ(b.frames, before);
    EXPECT_EQ(b.has_disabled_frame, 0);
    EnableWindow(b, FALSE);
    EXPECT_EQ(pixel_of(b, 5, 13), normal_fill);  // the enabled frame, not one past the array
    d.end_dialog(1);
  });
}

TEST(bitmap_button, posted_click_reaches_the_dialog_once) {
  button_dialog d;
  d.script = [](button_dialog& self) {
    ASSERT_EQ(self.button.load_images(128, 0, bmpbtn_hover | bmpbtn_autosize), 0);
    // Through the driver, which gives a button its press and release together: the screen is
    // shared with other tests, whose windows can take the focus between the two.
    gui::click_at(self.button, 10, 10);
    PostMessageW(self.handle(), WM_APP + 2, 0, 0);
  };
  dialog_template t(WS_POPUP | WS_VISIBLE, 200, 100);
  t.add_button(100, L"OK", 10, 10, 60, 14);
  // End after the click has gone through.
  struct end_on_app2 {
    static LRESULT CALLBACK hook(int code, WPARAM w, LPARAM l) {
      auto* m = reinterpret_cast<MSG*>(l);
      if (code >= 0 && m->message == WM_APP + 2) EndDialog(m->hwnd, 1);
      return CallNextHookEx(nullptr, code, w, l);
    }
  };
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, end_on_app2::hook, nullptr, GetCurrentThreadId());
  d.do_modal_indirect(nullptr, t.get());
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(d.clicked, 1);
}

}  // namespace
