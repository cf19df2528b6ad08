// Windows only, tests: a window's client area rendered through WM_PRINTCLIENT, read as 0xRRGGBB.
#pragma once

#include <windows.h>

#include "framework/gdi.h"

struct rendered {
  explicit rendered(HWND window) { bitmap = print_client(window, &bits, &width, &height); }
  ~rendered() { DeleteObject(bitmap); }
  rendered(const rendered&) = delete;
  rendered& operator=(const rendered&) = delete;
  unsigned at(int x, int y) const {
    return static_cast<const unsigned*>(bits)[y * width + x] & 0xFFFFFF;
  }
  bool any(int x0, int y0, int x1, int y1, unsigned colour) const {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (at(x, y) == colour) return true;
    return false;
  }
  bool all(unsigned colour) const { return !any_other(colour); }
  bool any_other(unsigned colour) const {
    for (int i = 0; i < width * height; ++i)
      if ((static_cast<const unsigned*>(bits)[i] & 0xFFFFFF) != colour) return true;
    return false;
  }
  HBITMAP bitmap;
  void* bits = nullptr;
  int width = 0, height = 0;
};
