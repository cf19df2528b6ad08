#include "beamcam/beam_view.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "beamcam/bmp24.h"
#include "beamcam/frame_store.h"
#include "tests/support/test_support.h"

namespace {

using bgr = std::array<int, 3>;

const palette_bytes& colour_bar_palette() {
  static palette_bytes palette = [] {
    bmp24_image picture;
    palette_bytes p{};
    EXPECT_TRUE(read_bmp24(read_file_bytes(BEAM_COLOUR_BAR_PICTURE), picture)) << BEAM_COLOUR_BAR_PICTURE;
    EXPECT_EQ(picture.width, 1024);
    EXPECT_EQ(picture.height, 30);
    EXPECT_TRUE(palette_from_colour_bar(picture, p));
    return p;
  }();
  return palette;
}

bgr entry(int i) {
  const palette_bytes& p = colour_bar_palette();
  return {p[size_t(i) * 3], p[size_t(i) * 3 + 1], p[size_t(i) * 3 + 2]};
}

bgr pixel(const beam_view_c& view, int c, int r) {
  const uint8_t* p = view.DisplayRGB.data() + (size_t(r) * FrameWidth + c) * 3;
  return {p[0], p[1], p[2]};
}

const bgr white{255, 255, 255};

std::unique_ptr<beam_view_c> view_with_palette() {
  auto view = std::make_unique<beam_view_c>();
  view->Palette = colour_bar_palette();
  return view;
}

frame_buffer frame_of(int16_t value) { return frame_buffer(FramePixels, value); }
int16_t& at(frame_buffer& f, int c, int r) { return f[size_t(r) * FrameWidth + c]; }

TEST(ColourBar, HitsEveryBreakpointColour) {
  // Entries as (blue, green, red).
  struct {
    int entry;
    bgr colour;
  } cases[] = {
      {0, {0, 0, 0}},        {156, {255, 0, 0}},    {157, {255, 1, 0}},    {313, {255, 255, 0}},
      {314, {253, 255, 0}},  {470, {0, 255, 0}},    {471, {0, 255, 1}},    {627, {0, 255, 255}},
      {628, {0, 253, 255}},  {784, {0, 0, 255}},    {785, {1, 0, 255}},    {940, {255, 0, 255}},
      {941, {255, 0, 255}},  {1019, {255, 0, 255}}, {1020, {255, 255, 255}}, {1023, {255, 255, 255}},
  };
  for (const auto& c : cases) EXPECT_EQ(entry(c.entry), c.colour) << "entry " << c.entry;
  // Inside the ramps each entry steps by one or two (about 1.63).
  for (int i = 1; i <= 940; ++i) {
    bgr a = entry(i - 1), b = entry(i);
    int step = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    EXPECT_LE(step, 2) << "entry " << i;
  }
}

TEST(ImgDis, ConstantFramesTakeTheirPaletteEntry) {
  struct {
    int16_t value;
    bgr colour;
  } cases[] = {
      {0, {0, 0, 0}},         {117, {255, 0, 0}},     {118, {255, 1, 0}},      {235, {253, 255, 0}},
      {352, {0, 255, 0}},     {469, {0, 255, 255}},   {470, {0, 253, 255}},    {587, {0, 0, 255}},
      {703, {255, 0, 255}},   {704, {255, 0, 255}},   {762, {255, 0, 255}},    {763, white},
      {764, white},           {765, white},           {-5, {0, 0, 0}},         {2000, white},
  };
  auto view = view_with_palette();
  view->ProfilesOn = 0;
  for (const auto& c : cases) {
    frame_buffer f = frame_of(c.value);
    view->Img_Dis(f.data(), nullptr);
    EXPECT_EQ(pixel(*view, 0, 0), c.colour) << c.value;
    EXPECT_EQ(pixel(*view, 719, 575), c.colour) << c.value;
  }
  EXPECT_EQ(palette_index(-1), 0);
  EXPECT_EQ(palette_index(32767), 1023);
  EXPECT_EQ(palette_index(762), 1018);
}

TEST(ImgDis, EverySixteenBitValueTakesTheEntryOfItsIndex) {
  auto view = view_with_palette();
  view->ProfilesOn = 0;
  frame_buffer f(FramePixels);
  for (size_t i = 0; i < FramePixels; ++i) f[i] = int16_t(uint16_t(i * 7));  // every value, in no order
  view->Img_Dis(f.data(), nullptr);
  size_t wrong = 0;
  for (size_t i = 0; i < FramePixels; ++i)
    wrong += std::memcmp(&view->DisplayRGB[i * 3], &view->Palette[size_t(palette_index(f[i])) * 3], 3) != 0;
  EXPECT_EQ(wrong, 0u);
}

struct recording_sink : picture_sink_i {
  const uint8_t* bgr = nullptr;
  int32_t width = 0, height = 0;
  void show_frame_picture(const uint8_t* p, int32_t w, int32_t h) override { bgr = p, width = w, height = h; }
};

TEST(ImgDis, DrawsBothProfilesAndShowsThePicture) {
  auto view = view_with_palette();
  view->CrossPixelX = 700;
  view->CrossPixelY = 100;
  frame_buffer f = frame_of(0);
  at(f, 10, 100) = 765;
  at(f, 11, 100) = 2;
  recording_sink sink;
  view->Img_Dis(f.data(), &sink);
  EXPECT_EQ(sink.bgr, view->DisplayRGB.data());
  EXPECT_EQ(sink.width, 720);
  EXPECT_EQ(sink.height, 576);
  EXPECT_EQ(pixel(*view, 10, 320), white);        // 765 / 3 = 255 rows above the bottom
  EXPECT_EQ(pixel(*view, 10, 575), (bgr{0, 0, 0}));
  EXPECT_EQ(pixel(*view, 11, 575), white);        // 2 / 3 = 0
  EXPECT_EQ(pixel(*view, 12, 575), white);
  // Column 700 is dark: the vertical profile runs down the right edge, rows 1 to 574.
  EXPECT_EQ(pixel(*view, 719, 1), white);
  EXPECT_EQ(pixel(*view, 719, 574), white);
  EXPECT_EQ(pixel(*view, 719, 0), (bgr{0, 0, 0}));

  view->ProfilesOn = 0;
  view->Img_Dis(f.data(), nullptr);
  EXPECT_EQ(pixel(*view, 11, 575), entry(palette_index(0)));
}

TEST(DrawProfiles, ColumnLevelCarriesOverToTheNextRefresh) {
  auto view = view_with_palette();
  view->CrossPixelX = 360;
  view->CrossPixelY = 0;
  frame_buffer f = frame_of(0);
  for (int r = 0; r < 576; ++r) at(f, 360, r) = 300;  // a third of it is 100
  view->Img_Dis(f.data(), nullptr);
  // Levels 50, 75, 87, 93, 96, 98, 99, 99, ...
  EXPECT_EQ(pixel(*view, 719 - 50, 1), white);
  EXPECT_EQ(pixel(*view, 719 - 75, 2), white);
  EXPECT_EQ(pixel(*view, 719 - 99, 574), white);
  EXPECT_EQ(view->ColumnProfileLevel, 99);
  view->Img_Dis(f.data(), nullptr);
  EXPECT_EQ(pixel(*view, 719 - 99, 1), white);  // starts from where the last refresh ended
  EXPECT_NE(pixel(*view, 719 - 50, 1), white);
}

TEST(DrawProfiles, OutOfRangeValuesPaintNothingOutsideThePicture) {
  auto view = view_with_palette();
  view->CrossPixelX = 360;
  view->CrossPixelY = 288;
  frame_buffer f = frame_of(0);
  const int16_t wild[] = {-3, 2000, 32767, -32768};
  for (int i = 0; i < 4; ++i) at(f, i, 288) = wild[i];
  at(f, 4, 288) = 765;
  for (int r = 0; r < 576; ++r) at(f, 360, r) = wild[r % 4];
  for (int refresh = 0; refresh < 3; ++refresh) view->Img_Dis(f.data(), nullptr);
  EXPECT_EQ(view->DisplayRGB.size(), size_t(720) * 576 * 3);
  EXPECT_EQ(pixel(*view, 4, 320), white);  // in-range dots are drawn as ever
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 576; ++r) {
      if (r != 288) {
        EXPECT_NE(pixel(*view, c, r), white) << c << ", " << r;
      }
    }
  }

  // A cross outside the frame draws no profile and reads nothing outside the frame.
  auto other = view_with_palette();
  other->CrossPixelX = 720;
  other->CrossPixelY = -1;
  frame_buffer dark = frame_of(0);
  other->Img_Dis(dark.data(), nullptr);
  EXPECT_EQ(pixel(*other, 0, 575), (bgr{0, 0, 0}));
  EXPECT_EQ(pixel(*other, 719, 1), (bgr{0, 0, 0}));
}

}  // namespace
