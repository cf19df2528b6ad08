// Check boxes, radio buttons, tab buttons and drop-down lists in a window of their own, driven
// by mouse messages the way the user drives them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/gui_driver.h"
#include "widgets/checkbox.h"
#include "widgets/combobox.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"
#include "widgets/ui_window.h"

namespace {

struct items_window : window_impl<items_window>, ui_window_c<items_window>, ui_event_c<items_window> {
  checkbox_c<items_window>* box = nullptr;
  checkbox_c<items_window>* offset_box = nullptr;
  radio_c<items_window>* radios[3] = {};
  stick_button_c<items_window>* tabs[2] = {};
  combobox_c<items_window>* period = nullptr;  // 3 rows, as high as they are
  combobox_c<items_window>* hours = nullptr;   // 20 rows, 150 high
  combobox_c<items_window>* narrow = nullptr;  // exactly one frame wide
  radio_group_c radio_group, tab_group;
  int box_clicks = 0, radio_clicks = 0, tab_clicks = 0;
  std::vector<int> chosen;

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override {
    if (process_ui_window_message(window, message, wparam, lparam, result)) return true;
    if (process_ui_event_message(window, message, wparam, lparam, result)) return true;
    if (message == WM_CREATE) build();
    return false;
  }
  void on_box() { ++box_clicks; }
  void on_radio() { ++radio_clicks; }
  void on_tab() { ++tab_clicks; }
  void on_choice(int index) { chosen.push_back(index); }

  combobox_c<items_window>* drop_down(int x, int y, int width, int drop_height, int rows) {
    auto* d = new combobox_c<items_window>;
    d->button_c<items_window>::create(this, 197, x, y, u"", 4);
    if (width) {
      d->right = d->left + width;
      d->drop_width = width;
    }
    d->drop_height = drop_height;
    d->text_x = 15;
    d->set_text_style(font_normal_9, RGB(0, 0, 0), 0);
    for (int i = 0; i < rows; ++i) {
      // Rows filled from a temporary, as the callers' formatted texts are.
      std::u16string text = u"Row " + std::u16string(1, char16_t(u'A' + i));
      d->add_item(text);
    }
    d->bind_selection(&items_window::on_choice);
    add_item(d);
    return d;
  }

  void build() {
    box = new checkbox_c<items_window>;
    box->create_with_images(this, 190, 189, 20, 20, 300, u"Check box");
    box->bind_click(&items_window::on_box);
    add_item(box);
    offset_box = new checkbox_c<items_window>;
    offset_box->create_with_images(this, 190, 189, 20, 50, 300, u"Offset");
    offset_box->text_x = 40;
    add_item(offset_box);
    for (int i = 0; i < 3; ++i) {
      radios[i] = new radio_c<items_window>;
      radios[i]->create_with_images(this, 195, 194, 20, 80 + 24 * i, 300, u"Radio");
      radios[i]->bind_click(&items_window::on_radio);
      add_item(radios[i]);
      radio_group.add(radios[i]);
    }
    for (int i = 0; i < 2; ++i) {
      tabs[i] = new stick_button_c<items_window>;
      tabs[i]->create(this, 191, 20, 160 + 35 * i, u"Tab", 3);
      tabs[i]->bind_click(&items_window::on_tab);
      add_item(tabs[i]);
      tab_group.add(tabs[i]);
    }
    period = drop_down(320, 20, 260, 0, 3);
    hours = drop_down(320, 80, 260, 150, 20);
    narrow = drop_down(320, 140, 0, 0, 2);
  }
};

struct ui_setup {
  ui_setup() {
    load_language(u"en");
    create_ui_fonts("en", 61);
    create_brushes();
  }
  ~ui_setup() { delete_ui_objects(); }
};

struct selection_items : ::testing::Test {
  ui_setup ui;
  items_window w;
  void SetUp() override {
    RECT area = {100, 100, 700, 400};
    ASSERT_TRUE(w.create(nullptr, area, L"", WS_POPUP | WS_VISIBLE));
    UpdateWindow(w);
    gui::pump_for(20);
  }
  void click(const button_c<items_window>* item) {
    RECT r = item->get_rect();
    gui::click_at(w, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    gui::pump_for(30);
  }
  // Opens a drop-down and answers its popup and list.
  HWND open(combobox_c<items_window>* d) {
    click(d);
    gui::pump_until([&] { return d->is_open(); }, 2000);
    return d->container.handle();
  }
};

TEST_F(selection_items, CheckBoxTogglesAndCallsBackEachTime) {
  EXPECT_EQ(w.box->get_frame_width(), 22);
  EXPECT_EQ(w.box->get_rect().bottom - w.box->get_rect().top, 20);
  click(w.box);
  EXPECT_EQ(w.box->checked, 1);
  click(w.box);
  EXPECT_EQ(w.box->checked, 0);
  EXPECT_EQ(w.box_clicks, 2);
  EXPECT_EQ(w.box->image, nullptr);  // lent only while drawing
  // The caption starts right of the box unless the owner placed it.
  EXPECT_EQ(w.box->text_x, 27);
  EXPECT_EQ(w.offset_box->text_x, 40);

  // Disabled: the mouse does nothing, set_checked still shows the value.
  w.box->set_state(item_disabled);
  click(w.box);
  EXPECT_EQ(w.box->checked, 0);
  EXPECT_EQ(w.box_clicks, 2);
  w.box->set_checked(2);
  EXPECT_EQ(w.box->checked, 2);
  gui::pump_for(20);
  rendered checked(w);
  EXPECT_TRUE(checked.any(20, 20, 42, 40, 0xFFFFFF));
}

TEST_F(selection_items, RadiosSelectOneAtATime) {
  w.radios[1]->set_checked(0);  // selects, whatever the value
  EXPECT_EQ(w.radios[1]->checked, 1);
  EXPECT_EQ(w.radio_clicks, 0);
  click(w.radios[1]);  // already selected: nothing
  EXPECT_EQ(w.radio_clicks, 0);
  click(w.radios[2]);
  EXPECT_EQ(w.radio_clicks, 1);
  EXPECT_EQ(w.radios[1]->checked, 0);
  EXPECT_EQ(w.radios[2]->checked, 1);
  EXPECT_EQ(w.radio_group.current_index(), 2);
}

TEST_F(selection_items, SelectedTabLooksPressedAndIgnoresClicks) {
  click(w.tabs[0]);
  EXPECT_EQ(w.tab_clicks, 1);
  click(w.tabs[0]);
  EXPECT_EQ(w.tab_clicks, 1);
  EXPECT_EQ(w.tabs[0]->selected, 1);
  // Hovered but selected: drawn with the pressed frame, as the other tab when pressed.
  w.tabs[0]->set_state(item_hover);
  w.tabs[1]->set_state(item_pressed);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  rendered picture(w);
  EXPECT_EQ(picture.at(25, 163), picture.at(25, 198));
  click(w.tabs[1]);
  EXPECT_EQ(w.tabs[0]->selected, 0);
  EXPECT_EQ(w.tabs[1]->selected, 1);
}

TEST_F(selection_items, DropDownOfThreeRowsHasNoScrollBar) {
  EXPECT_EQ(w.period->select_index(-1), -1);
  EXPECT_EQ(w.period->select_index(3), -1);
  EXPECT_EQ(w.period->get_selected_text(), nullptr);
  EXPECT_EQ(w.period->select_index(1), 0);
  EXPECT_EQ(w.period->select_index(1), -1);
  // The row's own copy, though the caller's text is gone.
  EXPECT_EQ(std::u16string(w.period->get_selected_text()), u"Row B");
  EXPECT_EQ(w.period->text, u"Row B");

  HWND popup = open(w.period);
  ASSERT_TRUE(popup);
  RECT r = gui::rect_in_parent(popup);
  POINT origin = {0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(r.left - origin.x, 323);
  EXPECT_EQ(r.top - origin.y, 20 + 26 + 3);
  EXPECT_EQ(r.right - r.left, 254);
  EXPECT_EQ(r.bottom - r.top, 68);
  HWND list = w.period->list.handle();
  EXPECT_EQ(gui::rect_in_parent(list).top, 4);
  EXPECT_EQ(w.period->list.scroll_bar, nullptr);
  EXPECT_EQ(GetCapture(), list);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(gui::rect_in_parent(w.period->items[i]->handle()).top, 20 * i);
  EXPECT_EQ(w.period->list.marked, 1);
  EXPECT_EQ(w.period->add_item(u"late"), -1);  // refused once the popup exists

  // The boundary between two rows hovers the upper one; a release there chooses it.
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 20));
  gui::pump_for(20);
  EXPECT_EQ(w.period->list.hovered, 0);
  EXPECT_EQ(w.period->items[0]->hovered, 1);
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 20));
  gui::pump_until([&] { return !w.period->is_open(); }, 2000);
  EXPECT_FALSE(w.period->is_open());
  EXPECT_EQ(w.chosen, std::vector<int>{0});
  EXPECT_EQ(w.period->selected_index, 0);
  EXPECT_EQ(w.period->items[0]->selected, 1);
  EXPECT_EQ(w.period->items[1]->selected, 0);

  // Released on the chosen row: closes, no callback.
  open(w.period);
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
  gui::pump_until([&] { return !w.period->is_open(); }, 2000);
  EXPECT_FALSE(w.period->is_open());
  EXPECT_EQ(w.chosen.size(), 1u);

  // A press outside the list closes it, choice unchanged.
  open(w.period);
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(30, 50));
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, -40));
  gui::pump_until([&] { return !w.period->is_open(); }, 2000);
  EXPECT_FALSE(w.period->is_open());
  EXPECT_EQ(w.period->selected_index, 0);
  EXPECT_EQ(w.chosen.size(), 1u);
}

TEST_F(selection_items, LongDropDownScrolls) {
  HWND popup = open(w.hours);
  ASSERT_TRUE(popup);
  RECT r = gui::rect_in_parent(popup);
  EXPECT_EQ(r.bottom - r.top, 150);
  auto& list = w.hours->list;
  ASSERT_TRUE(list.scroll_bar);
  EXPECT_EQ(gui::rect_in_parent(list.scroll_bar).right - gui::rect_in_parent(list.scroll_bar).left,
            GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(list.page, 142);
  EXPECT_EQ(list.total, 400);
  PostMessageW(list.handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  gui::pump_for(20);
  EXPECT_EQ(list.position, 20);
  EXPECT_EQ(gui::rect_in_parent(w.hours->items[1]->handle()).top, 0);
  for (int i = 0; i < 20; ++i) PostMessageW(list.handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  gui::pump_for(30);
  EXPECT_EQ(list.position, 400 - 142 + 1);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  GetScrollInfo(list.scroll_bar, SB_CTL, &info);
  EXPECT_EQ(info.nPos, list.position);
  // A release in the scroll bar's strip keeps the list open.
  RECT client = gui::client_rect(list.handle());
  PostMessageW(list.handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 2, 60));
  gui::pump_for(30);
  EXPECT_TRUE(w.hours->is_open());
  ReleaseCapture();
  gui::pump_until([&] { return !w.hours->is_open(); }, 2000);
  EXPECT_FALSE(w.hours->is_open());
}

TEST_F(selection_items, AltF4EscapeAndQuickArrowClicksLeaveTheListWorking) {
  auto& list = w.hours->list;
  // Alt+F4 on the open list closes it; the next open shows the same rows, and a pick works.
  HWND popup = open(w.hours);
  ASSERT_TRUE(popup);
  SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
  gui::pump_until([&] { return !w.hours->is_open(); }, 2000);
  EXPECT_FALSE(w.hours->is_open());
  open(w.hours);
  EXPECT_TRUE(w.hours->is_open());
  EXPECT_EQ(list.rows.size(), 20u);
  EXPECT_EQ(list.total, 400);
  EXPECT_TRUE(IsWindow(list.scroll_bar));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(gui::rect_in_parent(w.hours->items[i]->handle()).top, 20 * i - list.position);
  w.chosen.clear();
  PostMessageW(list.handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
  PostMessageW(list.handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
  gui::pump_until([&] { return !w.hours->is_open(); }, 2000);
  EXPECT_EQ(w.chosen, std::vector<int>{1});

  // Two quick clicks on the down arrow scroll twice: the second arrives as a double click.
  open(w.hours);
  list.position = 0;
  list.relayout();
  RECT client = gui::client_rect(list.handle());
  const LPARAM arrow = MAKELPARAM(client.right - 2, client.bottom - 2);
  PostMessageW(list.handle(), WM_LBUTTONDOWN, MK_LBUTTON, arrow);
  PostMessageW(list.handle(), WM_LBUTTONUP, 0, arrow);
  gui::pump_for(30);
  const int once = list.position;
  EXPECT_GT(once, 0);
  PostMessageW(list.handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, arrow);
  PostMessageW(list.handle(), WM_LBUTTONUP, 0, arrow);
  gui::pump_for(30);
  EXPECT_EQ(list.position, 2 * once);
  EXPECT_TRUE(w.hours->is_open());

  // Escape closes it, the choice unchanged.
  gui::press_key(list.handle(), VK_ESCAPE);
  gui::pump_until([&] { return !w.hours->is_open(); }, 2000);
  EXPECT_FALSE(w.hours->is_open());
  EXPECT_EQ(w.hours->selected_index, 1);
}

TEST_F(selection_items, OneFrameWideDropDownIsNotStretched) {
  EXPECT_EQ(w.narrow->right - w.narrow->left, w.narrow->get_frame_width());
  rendered picture(w);
  // The stretched one shows its right third at its right end.
  EXPECT_EQ(picture.at(320 + 260 - 3, 30), picture.at(320 + 69 - 3, 150));
  HWND popup = open(w.narrow);
  ASSERT_TRUE(popup);
  EXPECT_EQ(gui::rect_in_parent(popup).right - gui::rect_in_parent(popup).left, 69 - 6);
  ReleaseCapture();
  gui::pump_for(20);
}

}  // namespace
