#include "widgets/panel.h"

#include <algorithm>

int32_t clamp_scroll_position(int32_t position, int32_t content_height, int32_t page_height) {
  if (page_height >= content_height || position < 0) return 0;
  return std::min(position, content_height - page_height + 1);
}

int32_t scroll_request_position(int request, int32_t position, int32_t page_height, int32_t track) {
  switch (request) {
    case scroll_line_up:
      return position - 10;
    case scroll_line_down:
      return position + 10;
    case scroll_page_up:
      return position - page_height;
    case scroll_page_down:
      return position + page_height;
    case scroll_thumb_position:
    case scroll_thumb_track:
      return track;
    default:
      return position;
  }
}

int32_t wheel_position(int32_t position, int32_t delta, int32_t divisor) {
  if (divisor == 0) return position;
  return position + delta / divisor;  // C++ division truncates toward zero
}

bool panel_stack::append(panel_c* row) {
  if (!row) return false;
  rows.push_back(row);
  if (row->is_visible()) {
    widest = std::max(widest, row->width);
    content_height += row->height;
  }
  return needs_scroll_bar();
}

bool panel_stack::remove(panel_c* row) {
  if (!row) return false;
  auto end = std::remove(rows.begin(), rows.end(), row);
  if (end == rows.end()) return false;
  rows.erase(end, rows.end());
  relayout();
  delete row;
  return true;
}

void panel_stack::clear() {
  content_height = 0;
  widest = 0;
  for (panel_c* row : rows) delete row;
  rows.clear();
  position = 0;
}

void panel_stack::relayout() {
  content_height = 0;
  widest = 0;
  for (panel_c* row : rows) {
    if (!row->is_visible()) continue;
    row->y = content_height;
    content_height += row->height;
    widest = std::max(widest, row->width);
  }
  clamp_position();
}

int32_t panel_stack::clamp_position() {
  position = clamp_scroll_position(position, content_height, page_height);
  return position;
}
