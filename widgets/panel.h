// The rows of a scrolling list and the list's arithmetic, apart from the windows: where each
// row goes, how tall the content is and where the scroll position may be. The list window
// (panel_list.h) carries the results out with MoveWindow and the scroll bar.
#pragma once

#include <cstdint>
#include <vector>

struct HWND__;  // the platform's window handle type, opaque here

// One row of a list. Its place (x, y) is inside the list's content, unscrolled.
class panel_c {
 public:
  int32_t x = 0, y = 0, height = 0, width = 0;
  int32_t visible = 1;
  // Which group the row belongs to, so that a page can fold a group: headers carry their
  // group's id, rows an id of their own page's choosing.
  int32_t group_id = 0;

  virtual ~panel_c() = default;
  // Takes the list's client width and goes back to its unscrolled place.
  virtual void fit_width() = 0;
  virtual HWND__* get_hwnd() = 0;
  virtual void set_visible(int32_t flag) { visible = flag; }
  virtual int32_t is_visible() { return visible; }
  // Makes the row's window under the list at (x, y).
  virtual bool create(HWND__* parent, int32_t at_x, int32_t at_y) = 0;
};

// A row as the message parameter of WM_APP_ROW_SELECTED and WM_APP_EXCLUDE_DRIVER, and back.
inline std::uintptr_t as_row_param(panel_c* row) { return reinterpret_cast<std::uintptr_t>(row); }
inline panel_c* row_of(std::uintptr_t param) { return reinterpret_cast<panel_c*>(param); }

// Scroll requests of the vertical bar (the platform's SB_ values).
enum : int {
  scroll_line_up = 0,
  scroll_line_down = 1,
  scroll_page_up = 2,
  scroll_page_down = 3,
  scroll_thumb_position = 4,
  scroll_thumb_track = 5,
};

// The position a list may take: 0 while everything fits or below 0, else at most
// content - page + 1.
int32_t clamp_scroll_position(int32_t position, int32_t content_height, int32_t page_height);
// The position after a scroll-bar request (track: the thumb's track position); unchanged for
// any other request. Not clamped.
int32_t scroll_request_position(int request, int32_t position, int32_t page_height, int32_t track);
// The position after a wheel turn of `delta` (120 a notch): position + delta / divisor, the
// division toward zero; the lists use -6, the scan list -8. Not clamped.
int32_t wheel_position(int32_t position, int32_t delta, int32_t divisor);

// The rows of one list and its sizes. Owns its rows: a row removed or cleared is deleted.
class panel_stack {
 public:
  panel_stack() = default;
  panel_stack(const panel_stack&) = delete;
  panel_stack& operator=(const panel_stack&) = delete;
  ~panel_stack() { clear(); }

  int32_t content_height = 0;
  int32_t widest = 0;
  int32_t position = 0;
  int32_t page_height = 0;
  std::vector<panel_c*> rows;

  // Appends a row whose place has been set at the end of the content (y = content height
  // before the call); a visible row grows the content. True when the content now passes the
  // page (the scroll bar is wanted). No row moves.
  bool append(panel_c* row);
  // Takes every occurrence of the row out, lays out again and deletes the row once. False for
  // a row the list does not hold (it is left alone).
  bool remove(panel_c* row);
  void clear();
  // Stacks the visible rows from 0 in order; hidden rows keep their y. Then clamps the position.
  void relayout();
  // Clamps the position to the content and page.
  int32_t clamp_position();
  bool needs_scroll_bar() const { return page_height < content_height; }
};
