#include "widgets/gif_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

void add(bytes& b, std::initializer_list<int> values) {
  for (int v : values) b.push_back(static_cast<uint8_t>(v));
}

// A GIF head of 4 x 3 with a two-entry table (background entry 1: blue).
bytes head() {
  bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  add(b, {4, 0, 3, 0, 0x80, 1, 0});
  add(b, {255, 255, 255, 0, 0, 255});
  return b;
}
void control(bytes& b, int delay, int disposal) {
  add(b, {0x21, 0xF9, 4, disposal << 2, delay & 0xFF, delay >> 8, 0, 0});
}
void image(bytes& b, int left = 1, int top = 2, int width = 3, int height = 1) {
  add(b, {0x2C, left, 0, top, 0, width, 0, height, 0, 0, 2, 2, 0x4C, 0x01, 0});
}
void comment(bytes& b) { add(b, {0x21, 0xFE, 3, 'a', 'b', 'c', 0}); }
void application(bytes& b) {
  add(b, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
}

struct walk_case {
  const char* what;
  bytes data;
  int32_t blocks;
  std::vector<uint32_t> delays;  // of the cut frames
};

TEST(GifBlocks, CountsAndCutsFrames) {
  bytes one = head();
  image(one);
  add(one, {0x3B});

  bytes mixed = head();
  application(mixed);
  control(mixed, 5, 2);
  image(mixed);
  comment(mixed);
  image(mixed);  // no control block
  control(mixed, 0, 3);
  comment(mixed);
  image(mixed);
  add(mixed, {0x3B});

  bytes cut = mixed;
  cut.resize(cut.size() - 6);  // the last image's data is cut off

  bytes unknown = head();
  control(unknown, 7, 0);
  image(unknown);
  add(unknown, {0x21, 0x42, 0});  // unknown extension
  image(unknown);

  bytes run_away = head();
  image(run_away);
  add(run_away, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x87});  // a local table far past the end

  bytes control_then_trailer = head();
  control(control_then_trailer, 4, 0);
  add(control_then_trailer, {0x3B});

  const walk_case cases[] = {
      {"one image", one, 1, {gif_no_delay}},
      {"frames with and without control blocks", mixed, 3, {5, gif_no_delay, 0}},
      {"a cut last frame", cut, 2, {5, gif_no_delay}},
      {"an unknown block ends the walk", unknown, 1, {7}},
      {"a block running past the end", run_away, 1, {gif_no_delay}},
      {"a control block with no image", control_then_trailer, 0, {}},
      {"only the head", head(), 0, {}},
  };
  for (const walk_case& c : cases) {
    gif_screen screen;
    ASSERT_TRUE(read_gif_screen(c.data.data(), c.data.size(), screen)) << c.what;
    EXPECT_EQ(count_gif_graphic_blocks(c.data.data(), c.data.size(), screen), c.blocks) << c.what;
    auto frames = cut_gif_frames(c.data.data(), c.data.size(), screen);
    ASSERT_EQ(frames.size(), c.delays.size()) << c.what;
    for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].delay, c.delays[i]) << c.what << i;
  }
}

TEST(GifBlocks, FrameIsAStandAloneGif) {
  bytes data = head();
  comment(data);
  control(data, 9, 3);
  image(data, 1, 2, 3, 1);
  add(data, {0x3B});
  gif_screen screen;
  ASSERT_TRUE(read_gif_screen(data.data(), data.size(), screen));
  EXPECT_EQ(screen.width, 4);
  EXPECT_EQ(screen.height, 3);
  EXPECT_EQ(screen.colour_table_size, 6);
  EXPECT_EQ(screen.background, 0xFF0000u);  // entry 1: blue as 0x00bbggrr
  auto frames = cut_gif_frames(data.data(), data.size(), screen);
  ASSERT_EQ(frames.size(), 1u);
  const gif_frame_cut& f = frames[0];
  EXPECT_EQ(f.disposal, 3);
  EXPECT_EQ(f.left, 1);
  EXPECT_EQ(f.top, 2);
  EXPECT_EQ(f.width, 3);
  EXPECT_EQ(f.height, 1);
  bytes expected = head();
  control(expected, 9, 3);  // the comment before the frame is left out
  image(expected, 1, 2, 3, 1);
  add(expected, {0x3B});
  EXPECT_EQ(f.gif, expected);
}

TEST(GifBlocks, HeadMustLieInsideTheData) {
  bytes data = head();
  gif_screen screen;
  EXPECT_FALSE(read_gif_screen(data.data(), 12, screen));
  EXPECT_FALSE(read_gif_screen(data.data(), 18, screen));  // the table is cut
  EXPECT_TRUE(read_gif_screen(data.data(), 19, screen));
  const uint8_t png[] = {0x89, 'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(read_gif_screen(png, sizeof png, screen));
  EXPECT_FALSE(is_gif_data(png, sizeof png));
  data[11] = 5;  // a background index past the table keeps white
  ASSERT_TRUE(read_gif_screen(data.data(), data.size(), screen));
  EXPECT_FALSE(screen.has_background);
  EXPECT_EQ(screen.background, 0xFFFFFFu);
}

TEST(GifBlocks, BlockLengths) {
  bytes b;
  application(b);
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 0), 19);
  EXPECT_EQ(gif_block_length(b.data(), b.size() - 1, 0), -1);
  b.clear();
  add(b, {0x21, 0xFF});  // an application block measuring nothing
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 0), -1);
  b.clear();
  add(b, {0x21, 0x01, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'x', 0});
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 0), 18);
  b.clear();
  add(b, {0x3B});
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 0), 1);
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 1), -1);
  b.clear();
  add(b, {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 1, 2, 3, 4, 5, 6, 2, 0});  // local table of 2
  EXPECT_EQ(gif_block_length(b.data(), b.size(), 0), 18);
}

TEST(GifBlocks, FrameWaits) {
  const struct {
    uint32_t delay, ms;
  } cases[] = {{0, 100}, {1, 100}, {4, 100}, {5, 50}, {10, 100}, {250, 2500}, {gif_no_delay, 4294967286u}};
  for (const auto& c : cases) EXPECT_EQ(gif_frame_wait_ms(c.delay), c.ms) << c.delay;
}

}  // namespace
