#include "widgets/images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "png_writer.h"

namespace {

// A PNG of the given RGBA pixels.
std::string make_png(int w, int h, const std::vector<std::uint8_t>& rgba, bool alpha) {
  return encode_png(w, h, rgba, alpha);
}

bool load(image_c& image, const std::string& png) {
  return load_image_from_memory(png.size(), &image, png.data()) == 0;
}

// Draws the image over a filled 32-bit DIB and reads back the pixel at (x, 0) as 0xRRGGBB.
struct surface {
  image_c target;
  explicit surface(COLORREF background) {
    target.create(8, 1, 32, false);
    HDC dc = target.get_dc();
    RECT r = {0, 0, 8, 1};
    HBRUSH b = CreateSolidBrush(background);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~surface() { target.release_dc(); }
  HDC dc() { return target.get_dc(); }
  unsigned pixel(int x) {
    GdiFlush();
    const unsigned char* p = target.bits() + x * 4;
    return (p[2] << 16) | (p[1] << 8) | p[0];
  }
};

void expect_near_rgb(unsigned actual, unsigned expected) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (actual >> shift) & 0xff, e = (expected >> shift) & 0xff;
    EXPECT_NEAR(a, e, 1) << std::hex << actual << " vs " << expected;
  }
}

TEST(images, alpha_picture_is_premultiplied_and_blended_over_the_background) {
  image_c image;
  // (255,128,0,128), opaque blue, fully clear red.
  ASSERT_TRUE(load(image, make_png(3, 1, {255, 128, 0, 128, 0, 0, 255, 255, 255, 0, 0, 0}, true)));
  EXPECT_EQ(image.bits_per_pixel(), 32);
  EXPECT_TRUE(image.has_alpha());
  premultiply_alpha(&image);
  const unsigned char* p = image.bits();
  EXPECT_EQ(p[0], 0);    // blue
  EXPECT_EQ(p[1], 64);   // green
  EXPECT_EQ(p[2], 128);  // red
  EXPECT_EQ(p[3], 128);
  EXPECT_EQ(p[8 + 3], 0);
  EXPECT_EQ(p[8 + 2], 0);  // a clear pixel adds nothing
  surface s(RGB(255, 255, 255));
  ASSERT_TRUE(image.draw(s.dc(), 0, 0));
  // result = source + background * (255 - a) / 255
  expect_near_rgb(s.pixel(0), 0xFFBF7F);
  expect_near_rgb(s.pixel(1), 0x0000FF);
  expect_near_rgb(s.pixel(2), 0xFFFFFF);
}

TEST(images, opaque_picture_is_copied) {
  image_c image;
  ASSERT_TRUE(load(image, make_png(2, 1, {10, 20, 30, 255, 200, 100, 50, 255}, false)));
  EXPECT_EQ(image.bits_per_pixel(), 24);
  EXPECT_FALSE(image.has_alpha());
  premultiply_alpha(&image);  // nothing to do for 24-bit
  surface s(RGB(0, 0, 255));
  ASSERT_TRUE(image.draw(s.dc(), 0, 0));
  EXPECT_EQ(s.pixel(0), 0x0A141Eu);
  EXPECT_EQ(s.pixel(1), 0xC86432u);
  EXPECT_EQ(s.pixel(2), 0x0000FFu);  // untouched beyond the picture
}

TEST(images, strips_split_into_equal_frames_dropping_leftover_columns) {
  for (bool alpha : {false, true}) {
    // 32 x 2: red channel = column number.
    std::vector<std::uint8_t> px;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 32; ++x) px.insert(px.end(), {std::uint8_t(x), 7, std::uint8_t(y), 200});
    image_c strip;
    ASSERT_TRUE(load(strip, make_png(32, 2, px, alpha)));
    std::unique_ptr<image_c[]> frames(split_image_frames(&strip, 3));
    ASSERT_TRUE(frames);
    for (int f = 0; f < 3; ++f) {
      SCOPED_TRACE(f);
      EXPECT_EQ(frames[f].width(), 10);
      EXPECT_EQ(frames[f].height(), 2);
      EXPECT_EQ(frames[f].bits_per_pixel(), alpha ? 32 : 24);
      EXPECT_EQ(frames[f].has_alpha(), alpha);
      int bpp = alpha ? 4 : 3;
      const unsigned char* first = frames[f].bits();
      const unsigned char* last_row = frames[f].bits() + frames[f].pitch();
      EXPECT_EQ(first[2], f * 10);                // red of its first column
      EXPECT_EQ(first[9 * bpp + 2], f * 10 + 9);  // and of its last
      EXPECT_EQ(last_row[0], 1);                  // blue = row
      if (alpha) {
        EXPECT_EQ(first[3], 200);
      }
    }
  }
}

TEST(images, loaders_fail_cleanly) {
  image_c image;
  EXPECT_EQ(load_png_resource(nullptr, &image, 9999), -1);
  EXPECT_TRUE(image.is_null());
  const char junk[] = "not a picture";
  EXPECT_EQ(load_image_from_memory(sizeof(junk), &image, junk), -1);
  EXPECT_TRUE(image.is_null());
  EXPECT_EQ(split_image_frames(&image, 3), nullptr);
  image_c narrow;
  ASSERT_TRUE(load(narrow, make_png(2, 1, {1, 2, 3, 255, 4, 5, 6, 255}, false)));
  EXPECT_EQ(split_image_frames(&narrow, 3), nullptr);  // frames of no width
}

TEST(images, program_pictures_have_their_sizes_and_depths) {
  const struct {
    int id, width, height, bits;
  } pictures[] = {
      {102, 744, 45, 24}, {104, 744, 45, 24}, {108, 744, 45, 24}, {110, 744, 45, 24},
      {112, 744, 45, 24}, {113, 744, 45, 24}, {203, 744, 45, 24}, {103, 120, 20, 32},
      {105, 84, 20, 32},  {106, 84, 20, 32},  {107, 84, 20, 32},  {120, 84, 20, 32},
      {111, 4, 4, 24},    {117, 157, 157, 32}, {118, 924, 91, 32}, {167, 421, 49, 32},
      {168, 22, 19, 32},  {128, 288, 27, 32}, {129, 40, 40, 32},  {130, 40, 40, 32},
      {131, 40, 40, 32},  {132, 40, 40, 32},  {134, 495, 37, 32}, {151, 30, 21, 24},
      {152, 30, 21, 24},  {169, 95, 78, 32},  {170, 289, 34, 32}, {171, 54, 18, 32},
      {172, 54, 18, 32},  {173, 315, 26, 32}, {174, 48, 48, 32},  {198, 48, 48, 32},
      {199, 48, 48, 32},  {175, 14, 14, 32},  {177, 403, 24, 32}, {178, 5, 5, 32},
      {179, 57, 19, 32},  {180, 57, 19, 32},  {183, 8, 22, 24},   {189, 66, 20, 32},
      {190, 66, 20, 32},  {194, 42, 14, 32},  {195, 42, 14, 32},  {191, 327, 29, 32},
      {192, 138, 24, 32}, {197, 276, 26, 32}, {196, 2, 288, 32},  {200, 39, 10, 32},
      {202, 104, 22, 32}, {204, 39, 16, 32},  {205, 53, 44, 32},  {206, 50, 44, 32},
      {116, 81, 128, 32}, {181, 429, 35, 32},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.id);
    image_c image;
    ASSERT_EQ(load_png_resource(nullptr, &image, p.id), 0);
    EXPECT_EQ(image.width(), p.width);
    EXPECT_EQ(image.height(), p.height);
    EXPECT_EQ(image.bits_per_pixel(), p.bits);
  }
  // A 30 x 21 opaque strip cut in three gives three opaque 10 x 21 frames.
  image_c caps;
  ASSERT_EQ(load_png_resource(nullptr, &caps, 151), 0);
  std::unique_ptr<image_c[]> frames(split_image_frames(&caps, 3));
  ASSERT_TRUE(frames);
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(frames[f].width(), 10);
    EXPECT_EQ(frames[f].height(), 21);
    EXPECT_FALSE(frames[f].has_alpha());
  }
}

}  // namespace
