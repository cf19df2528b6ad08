// Windows only: Trellum's form layer over Win32. Forms with menus and timers; panels that are
// child windows and paint the windowless images on them; static text, mask edits, radio
// buttons, a combo box, buttons and a status bar over the system's controls. Every control has
// a name, and a form can describe the state of its named controls in text when the
// test build's probe (tests that drive the program from outside) asks for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"

namespace forms {

struct rect {
  int left = 0, top = 0, width = 0, height = 0;
};

// Colours as COLORREF.
constexpr COLORREF clSilver = 0xC0C0C0, clBlack = 0x000000, clMaroon = 0x000080, clNavy = 0x800000,
                   clOrange = 0x0080FF, clWhite = 0xFFFFFF, clRed = 0x0000FF, clBtnFace = 0xF0F0F0,
                   clYellow = 0x00FFFF;
// System colours, resolved when painted.
constexpr COLORREF clScrollBar = 0x80000000 | COLOR_SCROLLBAR, clWindow = 0x80000000 | COLOR_WINDOW;
COLORREF resolve_colour(COLORREF c);

// The user's decimal separator, as the edits show real numbers; '.' when it is not one
// character of the ASCII range.
char decimal_separator();

// The shared fonts of the layer: the dialog font, and named faces by pixel height.
HFONT ui_font();
HFONT font(const wchar_t* face, int pixel_height, bool bold);

class form_c;
class surface_c;

// Something with a name that the dump lists.
class control_c {
 public:
  control_c(form_c& form, std::string name);
  virtual ~control_c();
  control_c(const control_c&) = delete;
  control_c& operator=(const control_c&) = delete;

  const std::string& name() const { return name_; }
  form_c& form() const { return form_; }

  virtual rect bounds() const = 0;
  virtual bool visible() const = 0;
  virtual bool enabled() const { return true; }
  virtual std::wstring text() const { return {}; }
  virtual int check() const { return -1; }  // -1 where a control has no check

  // Messages the parent passes on (windowed controls).
  virtual void on_command(WORD) {}
  virtual bool on_colour(HDC, HBRUSH&) { return false; }

 private:
  form_c& form_;
  std::string name_;
};

// A control that is a window of the system's classes (or of ours).
class windowed_c : public control_c {
 public:
  using control_c::control_c;
  ~windowed_c() override;
  HWND handle() const { return hwnd_; }

  rect bounds() const override;
  void set_bounds(const rect& r);
  bool visible() const override;
  void set_visible(bool on);
  bool enabled() const override;
  void set_enabled(bool on);
  std::wstring text() const override;

  // The control behind a child window of this layer (null for others).
  static windowed_c* of(HWND window);

 protected:
  HWND make(const wchar_t* window_class, HWND parent, const rect& r, DWORD style, DWORD ex_style = 0,
            const wchar_t* text = L"");
  // Takes a window of our own classes as this control's.
  void adopt(HWND window);
  HWND hwnd_ = nullptr;
};

// A picture of 24 bits per pixel, rows top first; it is the picture sink of the display.
class bitmap_c {
 public:
  bitmap_c() = default;
  bitmap_c(int width, int height) { resize(width, height); }
  ~bitmap_c();
  bitmap_c(const bitmap_c&) = delete;
  bitmap_c& operator=(const bitmap_c&) = delete;

  bool resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  HBITMAP handle() const { return bitmap_; }
  uint8_t* row(int r) { return bits_ + size_t(r) * stride_; }
  const uint8_t* row(int r) const { return bits_ + size_t(r) * stride_; }
  // Copies rows of `width` x 3 bytes (blue, green, red) top first.
  void assign(const uint8_t* bgr, int width, int height);
  // The bitmap's bytes as a resource holds them (info header and pixels).
  bool load_resource(int id);
  const BITMAPINFO& info() const { return info_; }
  const void* bits() const { return bits_; }
  bool empty() const { return !bitmap_; }

 private:
  HBITMAP bitmap_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_ = 0, height_ = 0;
  size_t stride_ = 0;
  BITMAPINFO info_{};
};

// A picture drawn by the panel or form it lies on: stretched to its bounds (which may reach
// past the surface and are clipped before the stretch) or centred; one colour may be
// transparent. Mouse presses on it capture the mouse until the button comes up.
class image_c : public control_c {
 public:
  image_c(form_c& form, surface_c& surface, std::string name, const rect& r);
  ~image_c() override;

  rect bounds() const override { return bounds_; }
  void set_bounds(const rect& r);
  bool visible() const override { return visible_; }
  void set_visible(bool on);
  // The picture is shared (the display image shows the form's frame bitmap).
  void set_picture(const bitmap_c* picture);
  // The picture changed; repaint.
  void picture_changed();

  bool stretch = false;
  bool centre = false;
  bool transparent = false;  // the picture's bottom-left colour is not drawn

  std::function<void(int x, int y)> OnMouseDown, OnMouseMove, OnMouseUp;  // image pixels

  void draw(HDC dc, const RECT& surface_client) const;
  surface_c& surface() const { return surface_; }

 private:
  surface_c& surface_;
  rect bounds_;
  bool visible_ = true;
  const bitmap_c* picture_ = nullptr;
};

// What windowless images lie on: it paints them in order and passes the mouse to them.
class surface_c {
 public:
  virtual ~surface_c() = default;
  virtual HWND surface_window() const = 0;
  void add_image(image_c* image) { images_.push_back(image); }
  void remove_image(image_c* image);
  void invalidate_image(const image_c& image) const;
  void paint_images(HDC dc, const RECT& client) const;
  // True when an image took the mouse message.
  bool route_mouse(UINT message, LPARAM lparam);

 private:
  std::vector<image_c*> images_;
  image_c* captured_ = nullptr;
};

// A child window that holds controls: its own colour and bevel, images painted on it.
class panel_c : public windowed_c, public surface_c {
 public:
  enum class bevel { none, single, lowered };
  panel_c(form_c& form, HWND parent, std::string name, const rect& r, COLORREF colour,
          bevel b = bevel::none, DWORD extra_style = 0);
  ~panel_c() override;
  HWND surface_window() const override { return hwnd_; }
  COLORREF colour;
  bevel border;

 private:
  struct window_c;
  std::unique_ptr<window_c> window_;
};

class static_text_c : public windowed_c {
 public:
  static_text_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& caption,
                HFONT font, COLORREF font_colour, COLORREF back_colour, DWORD align = SS_LEFT);
  ~static_text_c() override;
  void set_caption(const std::wstring& caption);
  // From now on the control is as wide as its caption on one line (grown or shrunk to it at
  // every caption), as a static text that sizes itself.
  void set_auto_size(bool on);
  void set_font_colour(COLORREF c);
  COLORREF font_colour() const { return font_colour_; }
  bool on_colour(HDC dc, HBRUSH& brush) override;

 private:
  void fit_caption();
  COLORREF font_colour_, back_colour_;
  HBRUSH back_brush_ = nullptr;
  bool auto_size_ = false;
};

// An edit whose Change fires at once when its text is set to a different one (none for an
// equal one) and whose KeyDown comes before the key is handled.
class mask_edit_c : public windowed_c {
 public:
  mask_edit_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& text);
  ~mask_edit_c() override;
  void set_text(const std::wstring& text);
  // Each character shown as `c` (0: as typed).
  void set_password_char(wchar_t c);
  bool read_only() const;
  void set_read_only(bool on);
  COLORREF colour() const { return colour_; }
  void set_colour(COLORREF c);
  std::function<void()> OnChange;
  std::function<void(UINT key)> OnKeyDown;
  void on_command(WORD code) override;
  bool on_colour(HDC dc, HBRUSH& brush) override;

 private:
  struct keys_c;
  std::unique_ptr<keys_c> keys_;
  COLORREF colour_ = clWindow;
  HBRUSH brush_ = nullptr;
};

// The system's file dialogs: a title, a filter of "text|pattern" pairs, a first folder and
// file name. Execute shows the dialog modally; the chosen name is then in file_name.
class file_dialog_c {
 public:
  enum class kind { open, save };
  explicit file_dialog_c(kind k) : kind_(k) {}
  std::wstring title;
  std::wstring filter;
  std::wstring initial_dir;
  std::wstring file_name;
  bool overwrite_prompt = false;
  bool Execute(HWND owner);

 private:
  kind kind_;
};

// The question a save dialog asks before replacing `path`; true for yes.
bool confirm_replace(HWND owner, const std::wstring& title, const std::wstring& path);

class radio_button_c : public windowed_c {
 public:
  radio_button_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& caption,
                 bool first_of_group, COLORREF back_colour);
  ~radio_button_c() override;
  bool checked() const;
  void set_checked(bool on);
  int check() const override { return checked() ? 1 : 0; }
  std::function<void()> OnClick;
  void on_command(WORD code) override;
  bool on_colour(HDC dc, HBRUSH& brush) override;

 private:
  COLORREF back_colour_;
  HBRUSH back_brush_ = nullptr;
};

class push_button_c : public windowed_c {
 public:
  push_button_c(form_c& form, HWND parent, std::string name, const rect& r, const std::wstring& caption);
  void set_caption(const std::wstring& caption);
  std::function<void()> OnClick;
  void on_command(WORD code) override;
};

class combo_box_c : public windowed_c {
 public:
  combo_box_c(form_c& form, HWND parent, std::string name, const rect& r, const std::vector<std::wstring>& items);
  int item_index() const;
  void set_item_index(int index);
  std::wstring text() const override;
  std::function<void()> OnChange;
  void on_command(WORD code) override;
};

class status_bar_c : public windowed_c {
 public:
  status_bar_c(form_c& form, HWND parent, std::string name);
  void set_simple_text(const std::wstring& text);
  // Keeps the bar at the bottom of its parent.
  void parent_resized();
};

// A timer of a form; its ticks come as WM_TIMER, so modal loops run them too.
class timer_c {
 public:
  timer_c(form_c& form, UINT interval_ms);
  ~timer_c();
  timer_c(const timer_c&) = delete;
  timer_c& operator=(const timer_c&) = delete;
  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  UINT interval() const { return interval_; }
  void set_interval(UINT ms);
  std::function<void()> OnTimer;
  UINT_PTR id() const { return id_; }

 private:
  void apply();
  form_c& form_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_ = false;
};

// One item of the main menu: on the bar itself or in a drop-down.
class menu_item_c {
 public:
  menu_item_c(std::string name, std::wstring caption) : name_(std::move(name)), caption_(std::move(caption)) {}
  const std::string& name() const { return name_; }
  const std::wstring& caption() const { return caption_; }
  UINT id() const { return id_; }
  bool checked() const { return checked_; }
  void set_checked(bool on);
  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  std::function<void()> OnClick;
  // Items of a drop-down.
  menu_item_c& add(std::string name, std::wstring caption);
  const std::vector<std::unique_ptr<menu_item_c>>& items() const { return items_; }

 private:
  friend class form_c;
  HMENU build(UINT& next_id, HWND owner);
  std::string name_;
  std::wstring caption_;
  UINT id_ = 0;
  bool checked_ = false, enabled_ = true;
  HMENU menu_ = nullptr;    // the menu that holds this item
  HMENU popup_ = nullptr;   // its drop-down, when it has items
  HWND owner_ = nullptr;
  std::vector<std::unique_ptr<menu_item_c>> items_;
};

// A top-level form.
class form_c : public window_impl<form_c>, public surface_c {
 public:
  enum class border { sizeable, dialog };
  form_c(std::string name, std::wstring caption);
  ~form_c() override;

  // Makes the window (hidden) with its menu, client size and largest outer size (0: none).
  bool create(int client_width, int client_height, border b, int max_width = 0, int max_height = 0,
              COLORREF colour = clSilver);
  // Adds the main menu's bar items (call before create).
  menu_item_c& add_menu(std::string name, std::wstring caption);
  menu_item_c* find_menu(const std::string& name);

  void show();
  void hide();
  void close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }
  bool visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  const std::string& name() const { return name_; }
  HWND surface_window() const override { return hwnd_; }

  bool hide_on_close = true;  // false: closing ends the form and, for the main form, the program
  bool main_form = false;     // its end ends the message loop
  std::function<void()> OnCreate;
  std::function<void()> OnClose;
  // Sees every message first; the form's own handling follows in any case.
  std::function<void(UINT, WPARAM, LPARAM)> OnMessage;
  std::function<void()> OnResize;

  // A function that sees every message of every form first (null: none); true when it
  // handled the message. Only test builds set one.
  using message_hook = bool (*)(form_c& form, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  static void set_message_hook(message_hook hook);
  // Chooses the item of that name or caption as the user would.
  bool choose_menu_item(const std::wstring& name_or_caption);
  bool dump(const std::wstring& path) const;
  std::string dump_text() const;

  // Bookkeeping of the layer.
  void register_control(control_c* c) { controls_.push_back(c); }
  void unregister_control(control_c* c);
  void register_timer(timer_c* t) { timers_.push_back(t); }
  void unregister_timer(timer_c* t);
  UINT_PTR next_timer_id() { return ++last_timer_id_; }
  const std::vector<control_c*>& controls() const { return controls_; }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;
  static void adjust_window_class(WNDCLASSEXW& wc);
  static const wchar_t* window_class_name() { return L"beamcam.form"; }

 private:
  bool handle_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  void focus_control(HWND control);
  menu_item_c* item_of_id(UINT id);
  menu_item_c* item_of_popup(HMENU popup);

  std::string name_;
  std::wstring caption_;
  COLORREF colour_ = clSilver;
  HBRUSH brush_ = nullptr;
  int max_width_ = 0, max_height_ = 0;
  std::vector<std::unique_ptr<menu_item_c>> menu_;
  std::vector<control_c*> controls_;
  std::vector<timer_c*> timers_;
  UINT_PTR last_timer_id_ = 0;
  HWND last_focus_ = nullptr;
};

// An exception that escapes an event handler is shown in this box (its text; empty for one
// that is not a std::exception) and the program goes on. Null restores the program's box.
void set_exception_box(std::function<void(const std::string&)> box);
// Shows the exception being handled (call inside a catch).
void report_exception() noexcept;
// Runs a window's message handling; an exception from it is shown and counts as handled, so
// that it never unwinds into the system's code that called the window.
template <class F>
bool guarded(LRESULT& result, F&& handle) noexcept {
  try {
    return handle();
  } catch (...) {
    report_exception();
    result = 0;
    return true;
  }
}

// The keyboard of the forms, as in a dialog: Tab and Shift+Tab move through the controls that
// are tab stops, Enter presses the focused button, Alt with a button's access key presses
// it, arrows move within a group. The message loop offers each message to it first; true
// when it took the message (it is then translated and dispatched already).
bool dialog_key(MSG& message);

// Passes WM_COMMAND and WM_CTLCOLOR* of child controls to their objects; true when handled.
bool route_to_controls(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace forms
