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

TEST(PaintWin, WrappedTextBreaksAtLineFeedsWithoutDrawingThem) {
  canvas c(300, 100);
  HFONT font = CreateFontW(-20, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, 0, 0,
                           VARIABLE_PITCH, L"Arial");
  HGDIOBJ old = SelectObject(c.dc(), font);
  RECT r = {0, 0, 300, 100};
  draw_wrapped_text(c.dc(), L"ab\ncd", r, 4);
  SIZE ab;
  GetTextExtentPoint32W(c.dc(), L"ab", 2, &ab);
  EXPECT_TRUE(c.inked(ab.cy + 4, 100));             // "cd" on the second line
  EXPECT_FALSE(c.inked(0, ab.cy, ab.cx + 2, 300));  // nothing after "ab"
  SelectObject(c.dc(), old);
  DeleteObject(font);
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

namespace {

struct solid {
  explicit solid(COLORREF c) : brush(CreateSolidBrush(c)) {}
  ~solid() { DeleteObject(brush); }
  HBRUSH brush;
};

}  // namespace

TEST(PaintWin, PercentBarFillsItsInnerPartToTheFraction) {
  const COLORREF grey = RGB(200, 200, 200), blue = RGB(0, 0, 255);
  solid background(grey), fill(blue);
  struct row {
    float fraction;
    int fill_right;  // first inner pixel not filled; inner part is 1..101
  } rows[] = {{0.0f, 1}, {0.5f, 51}, {0.999f, 100}, {1.0f, 101}, {3.0f, 101}, {-1.0f, 1}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.fraction);
    canvas c(102, 20);
    percent_bar bar;
    bar.fill_pattern = fill.brush;
    bar.background_brush = background.brush;
    bar.fraction = r.fraction;
    draw_percent_bar(c.dc(), bar, 0, 0, 102, 20);
    EXPECT_EQ(c.at(0, 1), grey);  // the border stays the background
    EXPECT_EQ(c.at(50, 0), grey);
    if (r.fill_right > 1) {
      EXPECT_EQ(c.at(r.fill_right - 1, 1), blue);
    }
    if (r.fill_right <= 100) {
      EXPECT_EQ(c.at(r.fill_right, 1), grey);
    }
    EXPECT_EQ(c.at(101, 1), grey);
  }
}

TEST(PaintWin, BusyBarDrawsItsBlockAtTheOffsetAndTurnsAtEitherEdge) {
  const COLORREF grey = RGB(200, 200, 200);
  solid background(grey);
  struct row {
    int offset, step, next_step;
  } rows[] = {{0, 5, 5}, {38, 5, 5}, {39, 5, -5}, {10, -5, -5}, {0, -5, 5}};
  for (const row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.offset << " " << r.step);
    canvas c(51, 12);
    busy_bar bar;
    ASSERT_TRUE(bar.image.create(10, 10, 24, false));  // black
    bar.fill_brush = background.brush;
    bar.offset = r.offset;
    bar.step = r.step;
    draw_busy_bar(c.dc(), bar, 0, 0, 51, 12);
    EXPECT_EQ(bar.step, r.next_step);
    EXPECT_EQ(c.at(r.offset + 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(c.at(r.offset + 10, 1), RGB(0, 0, 0));
    EXPECT_EQ(c.at(r.offset + 11, 1), grey);
    EXPECT_EQ(c.at(r.offset + 1, 0), grey);
  }
}

TEST(PaintWin, ProgressPainterCapsFollowTheFraction) {
  progress_painter_c p;
  p.load();
  ASSERT_NE(p.empty_frames, nullptr);
  ASSERT_NE(p.full_frames, nullptr);
  // Each frame's own look at its centre, for comparison.
  auto look = [](const image_c& frame) {
    canvas c(10, 21);
    frame.draw(c.dc(), 0, 0);
    return c.at(5, 10);
  };
  COLORREF empty_cap = look(p.empty_frames[0]), full_cap = look(p.full_frames[0]);
  COLORREF empty_end = look(p.empty_frames[2]), full_end = look(p.full_frames[2]);
  ASSERT_NE(empty_cap, full_cap);
  ASSERT_NE(empty_end, full_end);
  struct row {
    float fraction;
    bool left_full, right_full;
  } rows[] = {{0.0f, false, false}, {0.5f, true, false}, {1.0f, true, true}};
  for (const row& r : rows) {
    SCOPED_TRACE(r.fraction);
    canvas c(120, 21);
    p.fraction = r.fraction;
    p.paint(c.dc(), 0, 0, 120, 21);
    EXPECT_EQ(c.at(5, 10), r.left_full ? full_cap : empty_cap);
    EXPECT_EQ(c.at(115, 10), r.right_full ? full_end : empty_end);
    // The inner part (10..110) is filled up to 10 + trunc(100 * fraction).
    COLORREF filled = look(p.full_frames[1]), open = look(p.empty_frames[1]);
    if (r.fraction > 0) {
      EXPECT_EQ(c.at(11, 2), filled);
    }
    if (r.fraction < 1) {
      EXPECT_EQ(c.at(108, 2), open);
    }
  }
  p.release();
  EXPECT_EQ(p.empty_frames, nullptr);
  EXPECT_EQ(p.empty_brush, nullptr);
}
