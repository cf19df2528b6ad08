// The painting helpers drawn into a memory bitmap and read back.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include "widgets/paint_win.h"

namespace {

// A white 32-bit top-down bitmap selected into a memory DC.
class canvas {
 public:
  canvas(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < w * h; ++i) bits_[i] = 0xFFFFFF;
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * w_ + x];
    return RGB(p >> 16 & 255, p >> 8 & 255, p & 255);
  }
  // Whether any pixel of the rows top..bottom-1 is not white.
  bool inked(int top, int bottom, int left = 0, int right = -1) const {
    if (right < 0) right = w_;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (at(x, y) != RGB(255, 255, 255)) return true;
    return false;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

TEST(PaintWin, VerticalGradientRunsFromTopToBottomColour) {
  canvas c(50, 110);
  RECT r = {0, 0, 50, 110};
  fill_vertical_gradient(RGB(89, 131, 177), r, c.dc(), RGB(255, 255, 255));
  COLORREF top = c.at(10, 0), bottom = c.at(10, 109);
  EXPECT_NEAR(GetRValue(top), 89, 4);
  EXPECT_NEAR(GetBValue(top), 177, 4);
  EXPECT_GT(GetRValue(bottom), 245);
  EXPECT_LT(GetRValue(c.at(10, 30)), GetRValue(c.at(10, 80)));
}

TEST(PaintWin, WrappedTextStaysInsideTheRectangle) {
  canvas c(300, 200);
  RECT r = {10, 10, 110, 60};
  draw_wrapped_text(c.dc(), L"one two three four five six seven eight nine ten eleven twelve", r, 6);
  EXPECT_TRUE(c.inked(10, 30, 10, 110));
  EXPECT_TRUE(c.inked(30, 60, 10, 110));  // a second line
  EXPECT_FALSE(c.inked(60, 200));         // nothing past the bottom
  EXPECT_FALSE(c.inked(0, 200, 112, 300));
  // A rectangle narrower than any character still ends: one character a line.
  canvas d(50, 400);
  RECT narrow = {0, 0, 2, 400};
  draw_wrapped_text(d.dc(), L"WWWW", narrow, 0);
  EXPECT_TRUE(d.inked(0, 400));
}

TEST(PaintWin, SizeProgressFillsItsShareAndFrames) {
  canvas c(200, 20);
  size_progress_c bar;
  bar.frame_brush = CreateSolidBrush(RGB(255, 0, 0));
  bar.fill_brush = CreateSolidBrush(RGB(0, 0, 255));
  bar.values.set_total(2048);
  bar.set_value(1024);
  bar.draw(c.dc(), 0, 0, 200, 20);
  EXPECT_EQ(c.at(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.at(5, 10), RGB(0, 0, 255));
  EXPECT_EQ(c.at(195, 10), RGB(255, 255, 255));
  bar.set_value(1 << 20);  // past the total: no paint past the bar
  canvas d(300, 20);
  bar.draw(d.dc(), 0, 0, 200, 20);
  EXPECT_EQ(d.at(198, 2), RGB(0, 0, 255));
  EXPECT_EQ(d.at(250, 10), RGB(255, 255, 255));
  DeleteObject(bar.frame_brush);
  DeleteObject(bar.fill_brush);
}

TEST(PaintWin, RoundOutlineLeavesTheCornersOut) {
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  {
    canvas c(100, 60);
    Gdiplus::Graphics g(c.dc());
    draw_round_outline(4, g, 0xFF000000, 0, 0, 99, 59);
    EXPECT_EQ(g.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(g.GetPageUnit(), Gdiplus::UnitDisplay);
    g.Flush();
    EXPECT_EQ(c.at(0, 0), RGB(255, 255, 255));
    EXPECT_TRUE(c.inked(0, 2, 40, 60));   // top edge
    EXPECT_TRUE(c.inked(20, 40, 0, 2));   // left edge
    EXPECT_FALSE(c.inked(10, 50, 10, 90));
  }
  Gdiplus::GdiplusShutdown(token);
}

TEST(PaintWin, PopupPointsAreClampedOnlyOffTheMonitors) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int w = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_EQ(clamp_to_monitor(10, 10), 10);
  EXPECT_EQ(clamp_to_monitor(w - 1, 10), w - 1);  // the outer edge is still on the monitor
  EXPECT_EQ(clamp_to_monitor(-500, 10), work.left);
  EXPECT_EQ(clamp_to_monitor(w + 500, 10), work.right);
}

}  // namespace
