// Windows only: drawn items with a selection state. A check box toggles; a radio button and a
// latching tab button belong to a radio_group_c, and selecting one unselects the group's
// previous member. Radios and tabs must join their group before their first selection, or
// the group would not know its current member.
#pragma once

#include "widgets/button.h"
#include "widgets/paint_win.h"
#include "widgets/resource_item.h"

template <class T>
class checkbox_c : public ui_button_c<T> {
 public:
  image_c checked_image;    // 3-frame strip
  image_c unchecked_image;  // 3-frame strip
  int checked = 0;          // kept as given: a stored 2 shows checked and stays 2 until toggled
  HFONT narrow_font = nullptr;  // for a caption longer than its line, before it wraps

  // Check boxes and radios are made here; the clickable rectangle covers the caption.
  void create_with_images(T* owner_window, int checked_png, int unchecked_png, int x, int y,
                          int right_edge, const std::u16string& caption) {
    this->frame_count = 3;
    this->owner = owner_window;
    load_png_resource(nullptr, &checked_image, checked_png);
    load_png_resource(nullptr, &unchecked_image, unchecked_png);
    this->left = x;
    this->top = y;
    this->right = right_edge;
    this->bottom = y + (checked_image.is_null() ? 0 : checked_image.height());
    this->text = caption;
  }
  void create(T*, int, int, int, const std::u16string&, int) override {}

  void on_click() override {
    checked = checked ? 0 : 1;
    this->redraw();
    this->call(this->click_callback);
  }
  virtual void set_checked(int value) {
    checked = value;
    this->redraw();
  }
  int get_frame_width() const override {
    return checked_image.is_null() ? 0 : frame_width_of(checked_image.width(), this->frame_count);
  }
  int get_height() const override { return checked_image.is_null() ? 0 : checked_image.height(); }

  // The strip is lent to the button drawing only while it runs: button_c deletes its image.
  void draw(HDC dc) override {
    this->image = checked ? &checked_image : &unchecked_image;
    if (this->text_x == -1) this->text_x = checked_image.width() / 3 + 5;
    RECT frame = {this->left, this->top, this->left + get_frame_width(), this->top + get_height()};
    this->draw_frame(dc, frame);
    draw_wrapping_caption(dc);
    this->image = nullptr;
  }

 private:
  // A caption longer than its line takes the narrow font when it has one and fits there, else
  // goes on in further lines below, so that no word is lost (breaking inside a word where it
  // has no spaces, as Japanese has none).
  void draw_wrapping_caption(HDC dc) {
    this->apply_text_style(dc);
    if (this->text.empty()) return;
    const wchar_t* caption = as_wide(this->text);
    const int length = static_cast<int>(this->text.size());
    RECT r = this->get_rect();
    r.left += this->text_x;
    RECT one = r;
    DrawTextW(dc, caption, length, &one, DT_SINGLELINE | DT_CALCRECT);
    if (one.right <= r.right || this->text_y >= 0) return this->draw_caption(dc);
    if (narrow_font) {
      HGDIOBJ wide_font = SelectObject(dc, narrow_font);
      one = r;
      DrawTextW(dc, caption, length, &one, DT_SINGLELINE | DT_CALCRECT);
      if (one.right <= r.right) {
        DrawTextW(dc, caption, length, &r, DT_SINGLELINE | DT_VCENTER);
        return;
      }
      SelectObject(dc, wide_font);
    }
    const int line = one.bottom - one.top;
    r.top = this->top + (get_height() - line) / 2;
    r.bottom = wrapped_text_bottom(dc, caption, r, 0);
    draw_wrapped_text(dc, caption, r, 0);
  }
};

template <class T>
class radio_c : public checkbox_c<T>, public resource_item_c {
 public:
  void on_click() override {
    if (this->checked) return;
    notify_group();
    select();
    this->call(this->click_callback);
  }
  // Only selects: a radio is unselected by selecting another member of its group.
  void set_checked(int) override {
    if (this->checked) return;
    notify_group();
    select();
  }
  void unselect() override {
    if (!this->checked) return;
    this->checked = 0;
    this->redraw();
  }
  void select() override {
    if (this->checked) return;
    this->checked = 1;
    this->redraw();
  }
};

template <class T>
class stick_button_c : public ui_button_c<T>, public resource_item_c {
 public:
  int selected = 0;

  void on_click() override {
    if (selected) return;
    notify_group();
    select();
    this->call(this->click_callback);
  }
  // The selected tab looks pressed whatever the mouse does.
  void draw(HDC dc) override {
    if (!selected) return ui_button_c<T>::draw(dc);
    int real = this->state;
    this->state = item_pressed;
    ui_button_c<T>::draw(dc);
    this->state = real;
  }
  void unselect() override {
    selected = 0;
    this->redraw();
  }
  void select() override {
    selected = 1;
    this->redraw();
  }
};
