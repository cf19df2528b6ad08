#include "framework/centre.h"

void centred_position(const rect_i& window, const rect_i& over, const rect_i& work_area, int& x,
                      int& y) {
  x = over.left + (over.width() - window.width()) / 2;
  y = over.top + (over.height() - window.height()) / 2;
  if (x + window.width() > work_area.right) x = work_area.right - window.width();
  if (y + window.height() > work_area.bottom) y = work_area.bottom - window.height();
  if (x < work_area.left) x = work_area.left;
  if (y < work_area.top) y = work_area.top;
}
