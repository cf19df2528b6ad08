#include "widgets/combobox_rules.h"

combo_popup_size combo_popup_size_for(int rows, int drop_width, int drop_height, int frame_width) {
  combo_popup_size s{drop_width ? drop_width : frame_width, drop_height, false};
  int needed = rows * combo_row_height + 2 * combo_corner_radius;
  if (s.drop_height <= 0 || needed <= s.drop_height)
    s.drop_height = needed;
  else
    s.scroll_bar = true;
  return s;
}

combo_rect combo_popup_rect(int item_left, int item_bottom, int drop_width, int drop_height) {
  return {item_left + 3, item_bottom + 3, item_left + drop_width - 3, item_bottom + 3 + drop_height};
}

combo_rect combo_list_rect(int popup_width, int popup_height) {
  return {1, combo_corner_radius, popup_width - 1, popup_height - combo_corner_radius};
}

int combo_row_at(int x, int y, int rows, int widest, int total, int client_bottom, int position) {
  if (x < 0 || x > widest || y < 0 || y > total || y > client_bottom) return -1;
  for (int i = 0; i < rows; ++i) {
    int top = i * combo_row_height - position;
    if (top <= y && y <= top + combo_row_height) return i;
  }
  return -1;
}

int combo_clamp_position(int position, int page, int total) {
  if (page >= total || position < 0) return 0;
  int last = total - page + 1;
  return position > last ? last : position;
}

int combo_wheel_position(int position, int wheel_delta) { return position + wheel_delta / -6; }

int combo_press_scroll(int position, int y, int arrow_height, int thumb_top, int thumb_bottom,
                       int client_bottom) {
  if (y <= arrow_height) return position - combo_row_height;
  if (client_bottom - y < arrow_height) return position + combo_row_height;
  if (y < thumb_top && thumb_top > arrow_height) return position - 100;
  if (y > thumb_bottom) return position + 100;
  return position;
}

int combo_scroll_position(int position, int code, int page, int track) {
  switch (code) {
    case combo_line_up: return position - 10;
    case combo_line_down: return position + 10;
    case combo_page_up: return position - page;
    case combo_page_down: return position + page;
    case combo_thumb_position:
    case combo_thumb_track: return track;
    default: return position;
  }
}

bool combo_can_select(int index, int rows, int selected) {
  return index >= 0 && index < rows && index != selected;
}

combo_mark_change combo_move_mark(int marked, int index, int rows) {
  if (index < 0 || index >= rows || index == marked) return {-1, -1};
  return {marked, index};
}

combo_mark_change combo_release_choice(int hovered, int marked) {
  if (hovered < 0 || hovered == marked) return {-1, -1};
  return {marked, hovered};
}

combo_slices combo_three_slices(int left, int top, int right, int frame_x, int frame_width,
                                int height) {
  int t = frame_width / 3;
  combo_slices s;
  s.part[0] = {{frame_x, 0, frame_x + t, height}, {left, top, left + t, top + height}};
  s.part[1] = {{frame_x + t, 0, frame_x + 2 * t, height}, {left + t, top, right - t, top + height}};
  s.part[2] = {{frame_x + 2 * t, 0, frame_x + 3 * t, height}, {right - t, top, right, top + height}};
  return s;
}
