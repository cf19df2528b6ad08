// Windows only: the scrolling list of row windows and the group header row.
#pragma once

#include <windows.h>

#include "framework/window.h"
#include "widgets/button.h"
#include "widgets/panel.h"
#include "widgets/ui_event.h"

// What every row does to fit its list: the list's client width, back at the unscrolled y.
void fit_panel_to_list(panel_c& row);

// A child window of a page that stacks row windows, scrolls them and passes the rows'
// selection messages to all of them.
class panel_list_c : public window_impl<panel_list_c> {
 public:
  // Wheel notch divisor: 120 / -6 scrolls 20 pixels down per notch toward the user.
  explicit panel_list_c(int wheel_divisor = -6) : wheel_divisor_(wheel_divisor) {}
  ~panel_list_c() override;

  HWND create_list(HWND page, const RECT& rect, UINT id = 0);

  // The row is made at the end of the content; the list owns it from here on.
  void add(panel_c* row);
  // Every occurrence taken out, the rest laid out again, the row deleted once.
  void remove(panel_c* row);
  void clear();
  void relayout();

  const panel_stack& stack() const { return stack_; }
  int32_t scroll_position() const { return stack_.position; }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

 private:
  void apply_position();
  void set_scroll_info();
  void on_size();
  void on_vscroll(int request);
  void on_wheel(int delta);

  panel_stack stack_;
  int wheel_divisor_;
};

// The header of a group of rows: a blue bar with "title (count)" and a button that folds the
// group; the page hears WM_APP_GROUP_TOGGLED (group id, expanded).
class header_panel_c : public window_impl<header_panel_c>,
                       public panel_c,
                       public ui_event_c<header_panel_c> {
 public:
  // The title is a format with one integer (the count); it is not copied and must outlive
  // the header.
  header_panel_c(int32_t id, const char16_t* title, int32_t count);
  ~header_panel_c() override;

  void fit_width() override { fit_panel_to_list(*this); }
  HWND__* get_hwnd() override { return handle(); }
  bool create(HWND__* parent, int32_t at_x, int32_t at_y) override;

  void toggle();
  bool expanded() const { return expanded_ != 0; }

  bool process_window_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT& result) override;

 private:
  void on_create();
  void paint(HDC dc, const RECT& client);

  const char16_t* title_;
  int32_t count_;
  HPEN white_pen_ = nullptr;
  system_button_c<header_panel_c>* toggle_button_ = nullptr;
  uint8_t expanded_ = 1;
};
