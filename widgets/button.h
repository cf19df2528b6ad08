// Windows only: drawn items, the button family. An item belongs to one window (its owner T),
// which paints it into its own DC and routes the mouse to it (ui_event.h); its callbacks are
// member functions of T.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/wide.h"
#include "framework/image.h"
#include "widgets/images.h"
#include "widgets/image_pixels.h"
#include "widgets/item_dispatch.h"
#include "widgets/ui_fonts.h"

template <class T>
class button_c : public dispatch_item_i {
 public:
  using callback = void (T::*)();

  T* owner = nullptr;
  int left = 0, top = 0, right = 0, bottom = 0;
  image_c* image = nullptr;
  std::u16string text;
  HFONT fonts[4] = {};
  COLORREF colours[4] = {};
  int text_x = -1;
  int text_y = -1;
  int state = item_normal;
  int frame_count = 3;
  int visible = 1;
  std::intptr_t user_data = 0;
  callback hover_callback = nullptr;
  callback click_callback = nullptr;
  callback press_callback = nullptr;
  callback double_click_callback = nullptr;

  button_c() = default;
  // The item owns its image: a copy would free it twice.
  button_c(const button_c&) = delete;
  button_c& operator=(const button_c&) = delete;
  ~button_c() override { delete image; }

  virtual void create(T* owner_window, int png_id, int x, int y, const std::u16string& caption,
                      int frames) {
    delete image;
    image = new image_c;
    frame_count = frames;
    owner = owner_window;
    load_png_resource(nullptr, image, png_id);
    left = x;
    top = y;
    right = x + get_frame_width();
    bottom = y + get_height();
    text = caption;
  }

  virtual void redraw() {
    RECT r = get_rect();
    RedrawWindow(owner_window(), &r, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  virtual RECT get_rect() const { return {left, top, right, bottom}; }
  virtual void set_rect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  virtual void move_to(int x, int y) {
    right += x - left;
    bottom += y - top;
    left = x;
    top = y;
  }
  virtual void load_image(HMODULE module, int png_id) {
    if (!image) image = new image_c;
    load_png_resource(module, image, png_id);
  }
  virtual void set_text_style(HFONT font, COLORREF colour, int for_state) {
    if (for_state < 0 || for_state > 3) return;
    fonts[for_state] = font;
    colours[for_state] = colour;
  }
  virtual void on_click() { call(click_callback); }
  virtual void on_press() { call(press_callback); }
  virtual void on_double_click() { call(double_click_callback); }
  virtual void on_hover() { call(hover_callback); }
  // The point in the stored rectangle (left and top inclusive); the anchored items first turn
  // the point into their distances from the edge they hang on.
  bool hit_test(int x, int y) const override { return stored_contains(x, y); }
  virtual int get_frame_width() const {
    return image && !image->is_null() ? frame_width_of(image->width(), frame_count) : 0;
  }
  virtual int get_height() const { return image && !image->is_null() ? image->height() : 0; }
  bool is_visible() const override { return visible != 0; }
  virtual void set_visible(int value, bool repaint) {
    if ((value != 0) == (visible != 0)) return;
    visible = value;
    if (repaint) redraw();
  }
  virtual std::intptr_t get_user_data() const { return user_data; }
  virtual void set_user_data(std::intptr_t value) { user_data = value; }
  virtual void draw(HDC dc) = 0;

  int get_state() const override { return state; }
  void set_state(int value) override { state = value; }

  void bind_click(callback c) { click_callback = c; }
  void bind_press(callback c) { press_callback = c; }
  void bind_double_click(callback c) { double_click_callback = c; }
  void bind_hover(callback c) { hover_callback = c; }

 protected:
  // The whole caption in `font` on the screen's DC.
  SIZE measure_text(HFONT font) const {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = font ? SelectObject(screen, font) : nullptr;
    SIZE size = {0, 0};
    GetTextExtentPoint32W(screen, as_wide(text), static_cast<int>(text.size()), &size);
    if (old) SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size;
  }
  bool stored_contains(int x, int y) const {
    RECT r = {left, top, right, bottom};
    POINT p = {x, y};
    return PtInRect(&r, p) != FALSE;
  }
  HWND owner_window() const { return owner ? owner->handle() : nullptr; }
  RECT owner_client() const {
    RECT r = {0, 0, 0, 0};
    if (owner) GetClientRect(owner_window(), &r);
    return r;
  }
  void call(callback c) {
    if (state != item_disabled && c && owner) (owner->*c)();
  }
  // Transparent text in the font and colour of the current state, else of state 0, else the
  // default item font in black.
  void apply_text_style(HDC dc) const {
    SetBkMode(dc, TRANSPARENT);
    int s = state >= 0 && state <= 3 ? state : 0;
    if (fonts[s]) {
      SelectObject(dc, fonts[s]);
      SetTextColor(dc, colours[s]);
    } else if (fonts[0]) {
      SelectObject(dc, fonts[0]);
      SetTextColor(dc, colours[0]);
    } else {
      if (font_bold_ct_9) SelectObject(dc, font_bold_ct_9);
      SetTextColor(dc, RGB(0, 0, 0));
    }
  }
  // Frame `state` of the strip into `target`.
  void draw_frame(HDC dc, const RECT& target) const {
    int w = get_frame_width();
    if (w <= 0) return;
    int s = state >= 0 && state < frame_count ? state : 0;
    RECT source = {s * w, 0, s * w + w, get_height()};
    image->draw(dc, target, source);
  }
};

// An image button anchored to the owner's right edge: left and right are distances from it.
template <class T>
class system_button_c : public button_c<T> {
 public:
  RECT get_rect() const override {
    RECT c = this->owner_client();
    return {c.right - this->right, this->top, c.right - this->left, this->bottom};
  }
  bool hit_test(int x, int y) const override { return this->stored_contains(this->owner_client().right - x, y); }
  void draw(HDC dc) override { this->draw_frame(dc, get_rect()); }
};

// An image button with a caption (white bold text unless styled otherwise).
template <class T>
class ui_button_c : public button_c<T> {
 public:
  ui_button_c() {
    this->fonts[0] = font_bold_ct_9;
    this->colours[0] = RGB(255, 255, 255);
  }
  void draw(HDC dc) override {
    int w = this->get_frame_width();
    RECT frame = {this->left, this->top, this->left + w, this->top + this->get_height()};
    this->draw_frame(dc, frame);
    draw_caption(dc);
  }

 protected:
  // The caption in the style of the state: at the text offsets when both are set, else
  // centred on what is not set.
  void draw_caption(HDC dc) {
    this->apply_text_style(dc);
    if (this->text.empty()) return;
    if (this->text_x >= 0 && this->text_y >= 0) {
      TextOutW(dc, this->left + this->text_x, this->top + this->text_y, as_wide(this->text),
               static_cast<int>(this->text.size()));
      return;
    }
    RECT r = this->get_rect();
    UINT format = DT_SINGLELINE;
    if (this->text_x >= 0)
      r.left += this->text_x;
    else
      format |= DT_CENTER;
    if (this->text_y < 0)
      format |= DT_VCENTER;
    else
      r.top += this->text_y;
    DrawTextW(dc, as_wide(this->text), static_cast<int>(this->text.size()), &r, format);
  }
};

// A text link anchored to the owner's bottom edge: top and bottom are distances upward from
// it; the rectangle grows to the text.
template <class T>
class reverse_link_button_c : public button_c<T> {
 public:
  void create(T* owner_window, int, int x, int distance, const std::u16string& caption,
              int) override {
    this->owner = owner_window;
    this->left = x;
    this->bottom = distance;
    this->text = caption;
  }
  void set_text_style(HFONT font, COLORREF colour, int for_state) override {
    SIZE size = this->measure_text(font);
    if (this->right < this->left + size.cx) this->right = this->left + size.cx;
    if (this->top < this->bottom - size.cy) this->top = this->bottom - size.cy;
    button_c<T>::set_text_style(font, colour, for_state);
  }
  void move_to(int x, int distance) override {
    this->top += distance - this->bottom;
    this->right += x - this->left;
    this->left = x;
    this->bottom = distance;
  }
  RECT get_rect() const override {
    RECT c = this->owner_client();
    return {this->left, c.bottom - this->bottom, this->right, c.bottom - this->top};
  }
  bool hit_test(int x, int y) const override { return this->stored_contains(x, this->owner_client().bottom - y); }
  void draw(HDC dc) override {
    this->apply_text_style(dc);
    RECT c = this->owner_client();
    TextOutW(dc, this->left, c.bottom - this->bottom, as_wide(this->text),
             static_cast<int>(this->text.size()));
  }
};

// Ousteln's text link: the rectangle grows to the text, measured from its top-left corner.
template <class T>
class link_button_c : public button_c<T> {
 public:
  void create(T* owner_window, int, int x, int y, const std::u16string& caption, int) override {
    this->owner = owner_window;
    this->left = this->right = x;
    this->top = this->bottom = y;
    this->text = caption;
  }
  void set_text_style(HFONT font, COLORREF colour, int for_state) override {
    SIZE size = this->measure_text(font);
    if (this->right < this->left + size.cx) this->right = this->left + size.cx;
    if (this->bottom < this->top + size.cy) this->bottom = this->top + size.cy;
    button_c<T>::set_text_style(font, colour, for_state);
  }
  void draw(HDC dc) override {
    this->apply_text_style(dc);
    TextOutW(dc, this->left, this->top, as_wide(this->text), static_cast<int>(this->text.size()));
  }
};

// Ousteln's flat button: its rectangle filled in the colour of its state (normal, hover,
// pressed), the caption centred on one line, or at the text offsets when both are set.
template <class T>
class flat_button_c : public button_c<T> {
 public:
  COLORREF fill_colours[3] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};

  void draw(HDC dc) override {
    int s = this->state >= 0 && this->state < 3 ? this->state : 0;
    RECT r = this->get_rect();
    COLORREF old = SetBkColor(dc, fill_colours[s]);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    this->apply_text_style(dc);
    const wchar_t* caption = as_wide(this->text);
    int length = static_cast<int>(this->text.size());
    if (this->text_x >= 0 && this->text_y >= 0)
      TextOutW(dc, r.left + this->text_x, r.top + this->text_y, caption, length);
    else
      DrawTextW(dc, caption, length, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  }
};
