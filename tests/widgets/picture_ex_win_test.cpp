#include "widgets/picture_ex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gif_writer.h"
#include "tests/support/gui_driver.h"

namespace {

struct com_for_test {
  com_for_test() { CoInitialize(nullptr); }
  ~com_for_test() { CoUninitialize(); }
};

struct parent_window {
  parent_window() {
    window = CreateWindowExW(0, L"STATIC", L"Pictures", WS_POPUP | WS_VISIBLE, 20, 20, 200, 200,
                             nullptr, nullptr, nullptr, nullptr);
  }
  ~parent_window() { DestroyWindow(window); }
  HWND window;
};

HWND make_child(CPictureExWnd& picture, HWND parent) {
  return picture.create(parent, RECT{10, 10, 20, 20}, L"", WS_CHILD | WS_VISIBLE);
}

HGLOBAL global_copy(const std::string& bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
  GlobalUnlock(memory);
  return memory;
}

BOOL load_bytes(CPictureExWnd& picture, const std::string& bytes) {
  HGLOBAL memory = global_copy(bytes);
  BOOL ok = picture.load(memory, static_cast<DWORD>(bytes.size()));
  GlobalFree(memory);
  return ok;
}

std::string resource_bytes() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(scan_animation_resource), L"GIF");
  if (!found) return {};
  const char* p = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(p, SizeofResource(nullptr, found));
}

// Solid frames of 8 x 8 over a palette whose entry i is (i, 0, 255 - i).
std::string solid_gif(const std::vector<std::pair<int, int>>& colour_and_delay) {
  std::vector<uint8_t> palette(768);
  for (int i = 0; i < 256; ++i) {
    palette[i * 3] = static_cast<uint8_t>(i);
    palette[i * 3 + 2] = static_cast<uint8_t>(255 - i);
  }
  std::vector<gif_frame> frames;
  for (auto [index, delay] : colour_and_delay) {
    gif_frame f;
    f.indexes.assign(64, static_cast<uint8_t>(index));
    f.delay = delay;
    frames.push_back(f);
  }
  return encode_gif(8, 8, palette, frames, 0);
}

// A 24-bit BMP file of 6 x 4, all green.
std::string green_bmp() {
  const int w = 6, h = 4, row = 20;  // 18 bytes padded to 20
  std::string b(54 + row * h, '\0');
  auto put = [&b](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, w, 4);
  put(22, h, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b[54 + y * row + x * 3 + 1] = static_cast<char>(0xFF);
  return b;
}

TEST(PictureWindow, PlaysTheScanningAnimationOnOneThread) {
  com_for_test com;
  parent_window parent;
  CPictureExWnd picture;
  HWND child = make_child(picture, parent.window);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(picture.load_from_resource());
  EXPECT_TRUE(picture.is_gif());
  EXPECT_EQ(picture.frame_count(), 12u);
  EXPECT_EQ(picture.frame(0).delay, 8u);
  EXPECT_EQ(gui::client_rect(child).right, 55);  // loading sizes the window to the picture

  EXPECT_FALSE(picture.start());
  ASSERT_TRUE(picture.has_thread());
  ASSERT_TRUE(gui::pump_until([&] { return picture.is_running(); }, 2000));
  EXPECT_FALSE(picture.start());  // a second start while it plays starts nothing
  std::vector<unsigned> seen;
  for (int i = 0; i < 6; ++i) {
    gui::pump_for(90);
    rendered shot(child);
    unsigned sum = 0;
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) sum = sum * 31 + shot.at(x, y);
    seen.push_back(sum);
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_GE(std::unique(seen.begin(), seen.end()) - seen.begin(), 2) << "the picture never changed";

  picture.stop();
  EXPECT_FALSE(picture.has_thread());
  EXPECT_FALSE(picture.is_running());
  int32_t stopped_at = picture.current_frame();
  picture.stop();  // no thread: only the event is reset
  EXPECT_FALSE(picture.start());  // starts again where it stopped
  EXPECT_TRUE(picture.has_thread());
  EXPECT_EQ(picture.current_frame(), stopped_at);
  DestroyWindow(child);  // WM_DESTROY stops the thread
  EXPECT_FALSE(picture.has_thread());
}

TEST(PictureWindow, StillPicturesAndDamagedData) {
  com_for_test com;
  parent_window parent;
  CPictureExWnd picture;
  HWND child = make_child(picture, parent.window);

  // One image: a still picture, drawn by start, with no thread.
  ASSERT_TRUE(load_bytes(picture, solid_gif({{200, 10}})));
  EXPECT_TRUE(picture.is_gif());
  EXPECT_EQ(picture.frame_count(), 0u);
  EXPECT_TRUE(picture.start());
  EXPECT_FALSE(picture.has_thread());
  EXPECT_EQ(rendered(child).at(4, 4), 0xC80037u);

  // Not a GIF: a still picture sized by the screen's resolution.
  ASSERT_TRUE(load_bytes(picture, green_bmp()));
  EXPECT_FALSE(picture.is_gif());
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(picture.width(), MulDiv(MulDiv(6, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                                    GetDeviceCaps(screen, LOGPIXELSX), 2540));
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(picture.start());
  EXPECT_EQ(rendered(child).at(1, 1), 0x00FF00u);

  // A GIF cut in its third frame keeps the two before it; cut in the first, it fails.
  std::string three = solid_gif({{10, 5}, {20, 5}, {30, 5}});
  std::string two_frames_long = solid_gif({{10, 5}, {20, 5}});
  ASSERT_TRUE(load_bytes(picture, three.substr(0, two_frames_long.size() + 10)));
  EXPECT_EQ(picture.frame_count(), 2u);
  EXPECT_EQ(picture.frame(1).delay, 5u);
  std::string one_frame = solid_gif({{10, 5}});
  EXPECT_FALSE(load_bytes(picture, three.substr(0, one_frame.size() - 8)));
  EXPECT_FALSE(load_bytes(picture, three.substr(0, 20)));  // the colour table is cut
  EXPECT_FALSE(picture.is_prepared());

  std::string resource = resource_bytes();
  ASSERT_FALSE(resource.empty());
  ASSERT_TRUE(load_bytes(picture, resource.substr(0, resource.size() / 2)));
  EXPECT_GT(picture.frame_count(), 1u);
  EXPECT_LT(picture.frame_count(), 12u);
}

}  // namespace
