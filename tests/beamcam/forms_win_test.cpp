// The form layer on its own: timers in modal loops, the edit's Change, images on panels.
#include "beamcam/forms/forms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/gui_driver.h"

namespace {

using namespace forms;

TEST(Forms, TimerTicksInsideAModalBoxAndHiddenOnClose) {
  form_c form("Test", L"Forms test");
  ASSERT_TRUE(form.create(300, 200, form_c::border::dialog));
  timer_c timer(form, 50);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) {
      // The box of this thread is open; its OK ends it.
      if (HWND box = FindWindowW(L"#32770", L"Modal")) PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  };
  timer.set_enabled(true);
  MessageBoxW(form.handle(), L"ticks come in here", L"Modal", MB_OK);
  EXPECT_GE(ticks, 3);
  timer.set_enabled(false);

  form.show();
  EXPECT_TRUE(form.visible());
  bool closed = false;
  form.OnClose = [&] { closed = true; };
  SendMessageW(form.handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form.visible());
  EXPECT_TRUE(IsWindow(form.handle()));
}

TEST(Forms, EditChangeFiresAtOnceForADifferentTextOnly) {
  form_c form("Test", L"Forms test");
  ASSERT_TRUE(form.create(300, 200, form_c::border::dialog));
  mask_edit_c edit(form, form.handle(), "Edit", {10, 10, 80, 20}, L"5");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.set_text(L"5");
  EXPECT_EQ(changes, 0);
  edit.set_text(L"6");
  EXPECT_EQ(changes, 1);  // before set_text returns
  UINT key = 0;
  edit.OnKeyDown = [&](UINT k) { key = k; };
  SendMessageW(edit.handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(key, UINT(VK_UP));
  EXPECT_EQ(form.dump_text().find("control\tEdit\t10,10,80,20\t1\t1\t-1\t6"), size_t(form.dump_text().find('\n') + 1));
}

TEST(Forms, AnExceptionFromAHandlerIsShownAndTheProgramGoesOn) {
  std::vector<std::string> shown;
  set_exception_box([&](const std::string& text) { shown.push_back(text); });
  {
    form_c form("Test", L"Forms test");
    ASSERT_TRUE(form.create(300, 200, form_c::border::dialog));
    panel_c panel(form, form.handle(), "Panel", {0, 0, 200, 100}, clSilver);
    // An edit's Change comes back through the edit's own procedure.
    mask_edit_c edit(form, panel.handle(), "Edit", {10, 10, 80, 20}, L"5");
    edit.OnChange = [] { throw std::runtime_error("Change failed"); };
    push_button_c button(form, form.handle(), "Button", {10, 120, 80, 25}, L"Go");
    button.OnClick = [] { throw 42; };
    timer_c timer(form, 20);
    int ticks = 0;
    timer.OnTimer = [&] {
      if (++ticks == 1) throw std::runtime_error("Tick failed");
    };
    SetWindowTextW(edit.handle(), L"6");
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    timer.set_enabled(true);
    gui::pump_until([&] { return ticks >= 3; }, 3000);
    timer.set_enabled(false);
    EXPECT_GE(ticks, 3);  // the timer ticks on after its failure
    EXPECT_EQ(shown, (std::vector<std::string>{"Change failed", "", "Tick failed"}));
    EXPECT_EQ(edit.text(), L"6");
  }
  set_exception_box(nullptr);
}

TEST(Forms, StretchedImageIsClippedByItsPanelAndTransparentColourIsLeft) {
  form_c form("Test", L"Forms test");
  ASSERT_TRUE(form.create(300, 200, form_c::border::dialog));
  panel_c panel(form, form.handle(), "Panel", {0, 0, 100, 100}, clBlack);
  // Two columns: red on the left, blue on the right; stretched to 400 x 100 from -200.
  bitmap_c picture(2, 1);
  const uint8_t two[] = {0, 0, 255, 255, 0, 0};
  picture.assign(two, 2, 1);
  image_c image(form, panel, "Image", {-200, 0, 400, 100});
  image.stretch = true;
  image.set_picture(&picture);
  {
    rendered r(panel.handle());
    ASSERT_EQ(r.width, 100);
    EXPECT_TRUE(r.all(0x0000FF));  // only the right half shows
  }
  image.set_bounds({-150, 0, 400, 100});
  {
    rendered r(panel.handle());
    EXPECT_EQ(r.at(0, 50), 0xFF0000u);
    EXPECT_EQ(r.at(49, 50), 0xFF0000u);
    EXPECT_EQ(r.at(50, 50), 0x0000FFu);
  }
  // A see-through picture (its bottom-left colour) over the first one, centred.
  bitmap_c mark(3, 3);
  uint8_t px[27];
  for (int i = 0; i < 9; ++i) {
    px[i * 3] = 255, px[i * 3 + 1] = 0, px[i * 3 + 2] = 255;  // magenta
  }
  std::memset(px + 4 * 3, 255, 3);  // the centre is white
  mark.assign(px, 3, 3);
  image_c over(form, panel, "Over", {40, 40, 21, 21});
  over.centre = true;
  over.transparent = true;
  over.set_picture(&mark);
  rendered r(panel.handle());
  EXPECT_EQ(r.at(50, 50), 0xFFFFFFu);
  EXPECT_EQ(r.at(49, 49), 0xFF0000u);  // see-through corner: the picture below
  EXPECT_EQ(r.at(51, 51), 0x0000FFu);
  EXPECT_EQ(r.at(45, 50), 0xFF0000u);
}

}  // namespace
