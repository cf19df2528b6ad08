// The arithmetic of the drop-down list, portable: popup and list rectangles, which row the
// mouse is over, the scroll position and its clamp, the selection and the row marks, and the
// three slices of the stretched button picture.
#pragma once

constexpr int combo_row_height = 20;
constexpr int combo_corner_radius = 4;

struct combo_rect {
  int left, top, right, bottom;
  bool operator==(const combo_rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The popup's size for `rows` rows: a drop width of 0 takes the button's frame width; a drop
// height of 0 takes the rows' height (rows × 20 + 8). A scroll bar is made only when the rows
// do not fit the drop height.
struct combo_popup_size {
  int drop_width;
  int drop_height;
  bool scroll_bar;
};
combo_popup_size combo_popup_size_for(int rows, int drop_width, int drop_height, int frame_width);

// The popup in the owner's client coordinates, under the button's bottom-left corner.
combo_rect combo_popup_rect(int item_left, int item_bottom, int drop_width, int drop_height);
// The row list inside the popup: 1 pixel in from the sides, the corner radius from top and bottom.
combo_rect combo_list_rect(int popup_width, int popup_height);

// The row under list point (x, y), or -1: outside the rows' area (x beyond the widest row,
// y beyond the rows or the client bottom) nothing is hovered. A point on the boundary of two
// rows belongs to the upper one.
int combo_row_at(int x, int y, int rows, int widest, int total, int client_bottom, int position);

// The scroll position kept inside the rows: 0 when everything fits or it went negative,
// else at most total − page + 1 (the last position the scroll bar itself allows).
int combo_clamp_position(int position, int page, int total);
// A wheel turn: one notch (120) scrolls 20 pixels, forward (positive) moves up.
int combo_wheel_position(int position, int wheel_delta);
// A press in the scroll bar's strip: arrows ±20, the track above or below the thumb ±100.
int combo_press_scroll(int position, int y, int arrow_height, int thumb_top, int thumb_bottom,
                       int client_bottom);
// A scroll bar notification: lines ±10, pages ± the page, thumb codes the track position;
// other codes leave the position.
enum combo_scroll_code { combo_line_up = 0, combo_line_down = 1, combo_page_up = 2,
                         combo_page_down = 3, combo_thumb_position = 4, combo_thumb_track = 5 };
int combo_scroll_position(int position, int code, int page, int track);

// Whether select_index may take the index: within the rows and not already selected.
bool combo_can_select(int index, int rows, int selected);

// Moving the row mark: the row to unmark (-1 none) and the row to mark (-1 none; nothing
// changes then).
struct combo_mark_change {
  int unmark;
  int mark;
};
combo_mark_change combo_move_mark(int marked, int index, int rows);
// A release over the list: the hovered row becomes the choice unless it is the marked one.
combo_mark_change combo_release_choice(int hovered, int marked);

// The three slices of a stretched frame: the left and right thirds (t = frame width / 3) at
// their size, the middle third stretched over the rest. Source x is within the strip.
struct combo_slice {
  combo_rect source;
  combo_rect target;
};
struct combo_slices {
  combo_slice part[3];
};
combo_slices combo_three_slices(int left, int top, int right, int frame_x, int frame_width,
                                int height);
