// Where a window goes when it is centred over its owner or a monitor's work area.
#pragma once

struct rect_i {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Top-left corner of `window` centred over `over`, then pushed inside `work_area` so that the
// caption stays reachable (a window larger than the work area keeps its top-left corner inside).
void centred_position(const rect_i& window, const rect_i& over, const rect_i& work_area, int& x,
                      int& y);
