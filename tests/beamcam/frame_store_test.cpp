#include "beamcam/frame_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

std::unique_ptr<frame_store_c> collecting_store(int lines = 576, int frames = 1) {
  auto s = std::make_unique<frame_store_c>();
  s->VideoLines = lines;
  s->FramesToAverage = uint8_t(frames);
  s->AcqState = acq_collecting;
  return s;
}

std::vector<uint8_t> video(int lines, uint8_t value) { return std::vector<uint8_t>(video_buffer_bytes(lines), value); }

int16_t& at(frame_buffer& f, int c, int r) { return f[size_t(r) * FrameWidth + c]; }
const int16_t* slot(const frame_store_c& s, int n) { return s.FrameRing.data() + size_t(n) * FramePixels; }

bool all_equal(const int16_t* p, size_t n, int16_t v) { return std::all_of(p, p + n, [v](int16_t x) { return x == v; }); }

TEST(ConvertFrame, WhiteBuffersConvertToTheTopOfEachScale) {
  auto s = collecting_store(576);
  auto white = video(576, 255);
  EXPECT_EQ(s->ConvertFrame(white.data(), white.size()), 0);
  EXPECT_TRUE(all_equal(slot(*s, 0), FramePixels, 1147));
  s->CombineFrames();
  EXPECT_TRUE(all_equal(s->ProcessedFrame.data(), FramePixels, 765));

  auto s480 = collecting_store(480);
  auto white480 = video(480, 255);
  s480->ConvertFrame(white480.data(), white480.size());
  EXPECT_TRUE(all_equal(slot(*s480, 0), FramePixels, 770));
}

TEST(ConvertFrame, LastSourceRowBecomesTheTopAndBytesAreSummed) {
  auto s = collecting_store(576);
  auto v = video(576, 0);
  const size_t row = size_t(FrameWidth) * 3;
  uint8_t* last = &v[575 * row];
  last[0] = 10, last[1] = 20, last[2] = 30;  // column 0 of the top row: 60 * 765 / 510 = 90
  v[5 * 3 + 1] = 3;                          // column 5 of the bottom row: 3 * 765 / 510 = 4.5
  s->ConvertFrame(v.data(), v.size());
  EXPECT_EQ(s->RawFrame[0], 90);
  EXPECT_EQ(s->RawFrame[575 * FrameWidth + 5], 4);
}

TEST(ConvertFrame, StretchesFourHundredEightyLinesWithAMeanRowAfterEveryFive) {
  frame_buffer source(FramePixels, -1), dest(FramePixels, -1);
  for (int r = 0; r < 480; ++r) std::fill_n(&at(source, 0, r), FrameWidth, int16_t(r));
  stretch_480_to_576(source.data(), dest.data());
  const int expected_start[] = {0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 8, 9, 10, 11, 12, 13};
  for (int r = 0; r < 16; ++r) EXPECT_EQ(at(dest, 0, r), expected_start[r]) << "row " << r;
  EXPECT_EQ(at(dest, 719, 573), 478);
  EXPECT_EQ(at(dest, 0, 574), 478);
  EXPECT_EQ(at(dest, 719, 575), 479);
  for (int r = 0; r < 576; ++r) EXPECT_TRUE(all_equal(&at(dest, 0, r), FrameWidth, at(dest, 0, r))) << r;
}

TEST(ConvertFrame, DropsShortBuffersNullBuffersAndFramesWhileNotCollecting) {
  auto s = collecting_store(576, 2);
  auto white = video(576, 255);
  s->ConvertFrame(white.data(), white.size() - 1);  // short: would be read past its end
  s->ConvertFrame(nullptr, white.size());
  EXPECT_EQ(s->RingPos, 0);
  EXPECT_TRUE(all_equal(slot(*s, 0), FramePixels, 0));

  auto s480 = collecting_store(480);
  auto v480 = video(480, 255);
  s480->ConvertFrame(v480.data(), v480.size() - 3);
  EXPECT_EQ(s480->AcqState, acq_collecting);
  s480->ConvertFrame(v480.data(), v480.size() + 100);  // longer is fine: only its start is read
  EXPECT_EQ(s480->AcqState, acq_ring_full);

  for (int16_t state : {int16_t(acq_stopped), int16_t(acq_ring_full)}) {
    s->AcqState = state;
    s->ConvertFrame(white.data(), white.size());
    EXPECT_EQ(s->RingPos, 0);
    EXPECT_EQ(s->AcqState, state);
  }
}

TEST(ConvertFrame, FillsTheRingRoundRobinAndSignalsAFullRing) {
  auto s = collecting_store(576, 3);
  auto white = video(576, 255);
  s->ConvertFrame(white.data(), white.size());
  s->ConvertFrame(white.data(), white.size());
  EXPECT_EQ(s->RingPos, 2);
  EXPECT_EQ(s->AcqState, acq_collecting);
  s->ConvertFrame(white.data(), white.size());
  EXPECT_EQ(s->RingPos, 0);
  EXPECT_EQ(s->AcqState, acq_ring_full);
  EXPECT_TRUE(all_equal(slot(*s, 2), FramePixels, 1147));
  EXPECT_TRUE(all_equal(slot(*s, 3), FramePixels, 0));

  // A count lowered below the position ends the fill at the next frame.
  s->AcqState = acq_collecting;
  s->RingPos = 5;
  s->FramesToAverage = 2;
  s->ConvertFrame(white.data(), white.size());
  EXPECT_EQ(s->RingPos, 0);
  EXPECT_EQ(s->AcqState, acq_ring_full);
}

// Two slots of one pixel each; returns the combined pixel.
int combine_pixel(int16_t mode, int16_t first, int16_t second, double gain = 1.0) {
  auto s = collecting_store(576, 2);
  s->AcqMode = mode;
  s->PixelGain = gain;
  frame_buffer f(FramePixels, 0);
  f[0] = first;
  s->store_in_ring(f.data());
  f[0] = second;
  s->store_in_ring(f.data());
  s->CombineFrames();
  return s->ProcessedFrame[0];
}

TEST(CombineFrames, AveragePeakHoldAndGain) {
  struct {
    int16_t mode, first, second;
    double gain;
    int expected;
  } cases[] = {
      {acq_average, 1, 2, 1.0, 1},     {acq_peak_hold, 1, 2, 1.0, 2},  {acq_average, -3, -4, 1.0, -3},
      {acq_peak_hold, -3, -4, 1.0, 0}, {acq_average, 600, 600, 1.5, 765}, {acq_average, 401, 401, 1.5, 601},
      {acq_average, 1147, 1147, 1.0, 765},
  };
  for (const auto& c : cases)
    EXPECT_EQ(combine_pixel(c.mode, c.first, c.second, c.gain), c.expected)
        << "mode " << c.mode << " slots " << c.first << ", " << c.second << " gain " << c.gain;
}

TEST(CombineFrames, AllZeroRingGivesAllZeroFrameAndPeakAtOrigin) {
  auto s = collecting_store(576, 10);
  s->CombineFrames();
  EXPECT_TRUE(all_equal(s->ProcessedFrame.data(), FramePixels, 0));
  EXPECT_EQ(s->peak_x, 0);
  EXPECT_EQ(s->peak_y, 0);
}

// A frame of 100 with the given pixels set; combined alone (one slot).
frame_buffer combined(std::initializer_list<std::tuple<int, int, int16_t>> pixels, int16_t background = 100) {
  auto s = collecting_store(576, 1);
  frame_buffer f(FramePixels, background);
  for (auto [c, r, v] : pixels) at(f, c, r) = v;
  s->store_in_ring(f.data());
  s->CombineFrames();
  return s->ProcessedFrame;
}

TEST(CombineFrames, SmoothsRingsAroundTheFirstOfTiedPeaks) {
  // Two tied peaks: the earlier one is the centre. A 0 beside it is trimmed away there,
  // while the same 0 beside the later peak is left as it is.
  frame_buffer f = combined({{100, 50, 700}, {300, 200, 700}, {99, 50, 0}, {299, 200, 0}});
  EXPECT_EQ(at(f, 100, 50), 700);  // the peak itself is never changed
  EXPECT_EQ(at(f, 300, 200), 700);
  EXPECT_EQ(at(f, 299, 200), 0);
  // Left column of ring 0: (99, 49) sees 700 and 0 among eight of 100: trimmed mean 100.
  EXPECT_EQ(at(f, 99, 49), 100);
  // (99, 50) itself is the smallest of its neighbourhood, 700 the largest.
  EXPECT_EQ(at(f, 99, 50), 100);
}

TEST(CombineFrames, NoSmoothingForPeaksNearTheBorder) {
  for (auto [c, r] : {std::pair{1, 300}, {717, 300}, {360, 1}, {360, 574}}) {
    frame_buffer f = combined({{c, r, 700}, {c + 1, r + 1, 0}});
    EXPECT_EQ(at(f, c + 1, r + 1), 0) << c << ", " << r;
  }
  // A peak at column 2 gets ring 0 only (ring 1's left edge would be column 0).
  frame_buffer f = combined({{2, 300, 700}, {1, 300, 0}, {3, 302, 0}});
  EXPECT_EQ(at(f, 1, 300), 100);
  EXPECT_EQ(at(f, 3, 302), 0);
}

TEST(CombineFrames, MiddlePeakSmoothsRingsUpToRow574) {
  // Zeros on the last ring, ring 285, and just outside it.
  frame_buffer f = combined({{360, 288, 700}, {360, 574, 0}, {100, 575, 0}, {74, 288, 0}, {73, 300, 0}});
  EXPECT_EQ(at(f, 360, 574), 100);  // its bottom edge
  EXPECT_EQ(at(f, 100, 575), 0);
  EXPECT_EQ(at(f, 74, 288), 100);  // its left column, 360 - 1 - 285
  EXPECT_EQ(at(f, 73, 300), 0);
}

TEST(CombineFrames, NeighbourhoodAbove800IsTrimmedFromTheStartValueAndCapped) {
  // Nine values of 1000 around a peak of 1001: (sum - 1001 - 800) / 7, above 765, capped.
  auto s = collecting_store(576, 1);
  frame_buffer f(FramePixels, 1000);
  at(f, 360, 288) = 1001;
  s->store_in_ring(f.data());
  s->PixelGain = 1.0;
  s->CombineFrames();
  EXPECT_EQ(at(s->ProcessedFrame, 359, 287), 765);

  frame_buffer g(FramePixels, 1000);
  at(g, 360, 288) = 1001;
  smooth_around_peak(g.data(), 360, 288);
  // (359, 287) is first, (359, 288) next, with the new 1028 above it and the largest.
  EXPECT_EQ(at(g, 359, 288), (8001 + 1028 - 1028 - 800) / 7);
}

// The combination written the plain way, pixel by pixel, to hold the fast one against.
namespace plain {

int16_t trimmed_mean(const frame_buffer& f, int c, int r) {
  int sum = 0, largest = 0, smallest = 800;
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc) {
      int v = f[size_t(r + dr) * FrameWidth + c + dc];
      sum += v;
      largest = std::max(largest, v);
      smallest = std::min(smallest, v);
    }
  return int16_t((sum - largest - smallest) / 7);
}

void smooth(frame_buffer& f, int x, int y) {
  if (x < 2 || x > 716 || y < 2 || y > 573) return;
  for (int k = 0;; ++k) {
    const int left = x - 1 - k, right = x + 1 + k, top = y - 1 - k, bottom = y + 1 + k;
    if (left <= 0 || right >= FrameWidth - 1 || top <= 0 || bottom >= FrameHeight - 1) return;
    for (int r = top; r <= bottom; ++r) at(f, left, r) = trimmed_mean(f, left, r);
    for (int c = left; c <= right; ++c) at(f, c, top) = trimmed_mean(f, c, top);
    for (int r = top; r <= bottom; ++r) at(f, right, r) = trimmed_mean(f, right, r);
    for (int c = left; c <= right; ++c) at(f, c, bottom) = trimmed_mean(f, c, bottom);
  }
}

frame_buffer combine(const frame_store_c& s, int& peak_x, int& peak_y) {
  const int slots = std::clamp<int>(s.FramesToAverage, 1, RingSlots);
  std::vector<int> sum(FramePixels, 0), held(FramePixels, 0);
  for (int n = 0; n < slots; ++n)
    for (size_t i = 0; i < FramePixels; ++i) {
      sum[i] += slot(s, n)[i];
      held[i] = std::max<int>(held[i], slot(s, n)[i]);
    }
  frame_buffer out(FramePixels);
  for (size_t i = 0; i < FramePixels; ++i) out[i] = int16_t(s.AcqMode == acq_peak_hold ? held[i] : sum[i] / slots);
  int best = 0;
  size_t where = 0;
  for (size_t i = 0; i < FramePixels; ++i)
    if (out[i] > best) {
      best = out[i];
      where = i;
    }
  peak_x = int(where % FrameWidth);
  peak_y = int(where / FrameWidth);
  smooth(out, peak_x, peak_y);
  for (auto& v : out) {
    double g = std::trunc(v * s.PixelGain);
    if (g > CombinedMax) g = CombinedMax;
    if (g < INT16_MIN) g = INT16_MIN;
    if (g != g) g = 0;
    v = int16_t(g);
  }
  return out;
}

}  // namespace plain

TEST(CombineFrames, MatchesThePixelByPixelDefinitionForAnyRing) {
  // Full-range values (negative sums, the largest sums of 100 slots for every divisor), a
  // beam in the middle so that the smoothing covers most of the frame, and odd gains.
  std::mt19937 random(5);
  auto s = std::make_unique<frame_store_c>();
  for (int n = 0; n < RingSlots; ++n) {
    int16_t* f = s->FrameRing.data() + size_t(n) * FramePixels;
    uint32_t state = random();
    for (size_t i = 0; i < FramePixels; ++i) {
      state = state * 1103515245u + 12345u;
      f[i] = int16_t((state >> 16) % 766);
    }
    f[size_t(300) * FrameWidth + 350] = 765;  // the peak of an average
    if (n % 3 == 0)
      for (size_t i = 0; i < FramePixels; i += 97) f[i] = int16_t(int(random() % 65536) - 32768);
    if (n < 4)
      for (size_t i = 1; i < FramePixels; i += 4001) f[i] = n % 2 ? INT16_MAX : INT16_MIN;
  }
  struct {
    int frames;
    int16_t mode;
    double gain;
  } cases[] = {
      {1, acq_average, 1.0},     {2, acq_average, 0.37},  {3, acq_average, 1.5},
      {7, acq_average, -2.25},   {10, acq_average, 1.0},  {64, acq_average, 1.0 / 3},
      {255, acq_average, 1e9},   {10, acq_peak_hold, 1.0},  {100, acq_peak_hold, 0.5},
      {10, acq_average, std::numeric_limits<double>::infinity()},
      {10, acq_average, std::numeric_limits<double>::quiet_NaN()},
  };
  for (const auto& c : cases) {
    s->FramesToAverage = uint8_t(c.frames);
    s->AcqMode = c.mode;
    s->PixelGain = c.gain;
    s->CombineFrames();
    int x = 0, y = 0;
    frame_buffer expected = plain::combine(*s, x, y);
    EXPECT_EQ(s->peak_x, x) << c.frames << " frames, mode " << c.mode;
    EXPECT_EQ(s->peak_y, y) << c.frames << " frames, mode " << c.mode;
    EXPECT_TRUE(s->ProcessedFrame == expected) << c.frames << " frames, mode " << c.mode << ", gain " << c.gain;
  }
}

// A frame of its own for each seed, with negative values among them.
frame_buffer seeded_frame(unsigned seed) {
  frame_buffer f(FramePixels);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& v : f) {
    state = state * 1103515245u + 12345u;
    v = int16_t(int((state >> 16) % 1500) - 300);
  }
  return f;
}

TEST(CombineFrames, KeptSumsMatchTheWholeRingAfterPushesCountsModesAndWrites) {
  // The average follows the ring from frame to frame; after each step a combination must be
  // the one computed afresh from what the ring holds. One store throughout, fresh at the
  // first case: each case goes on from where the one before left the ring.
  enum op { push, clear, fill, count, mode, gain, check };
  struct step {
    op what;
    double value = 0;
  };
  struct {
    const char* name;
    std::vector<step> steps;
  } cases[] = {
      {"start-up, ring not full", {{count, 4}, {push, 1}, {check}, {push, 2}, {check}, {push, 3}, {push, 4}, {check}}},
      {"past the wrap-around",
       {{count, 3}, {push, 1}, {push, 2}, {push, 3}, {check}, {push, 4}, {check}, {push, 5}, {push, 6}, {push, 7}, {check}}},
      {"count lowered and raised",
       {{count, 5}, {push, 1}, {push, 2}, {push, 3}, {push, 4}, {push, 5}, {check}, {count, 3}, {check}, {push, 6},
        {check}, {count, 7}, {check}, {push, 7}, {check}}},
      {"count below the position", {{count, 8}, {push, 1}, {push, 2}, {push, 3}, {count, 2}, {check}, {push, 4}, {check}}},
      {"mode switches",
       {{count, 4}, {push, 1}, {push, 2}, {push, 3}, {push, 4}, {check}, {mode, acq_peak_hold}, {check}, {push, 5},
        {check}, {mode, acq_average}, {check}, {push, 6}, {check}}},
      {"slots written from outside",
       {{count, 3}, {push, 1}, {push, 2}, {push, 3}, {check}, {clear, 1}, {check}, {push, 4}, {fill, 2}, {check},
        {push, 5}, {check}}},
      {"gain changes", {{count, 2}, {push, 1}, {push, 2}, {gain, 1.5}, {check}, {gain, 0.37}, {push, 3}, {check}}},
      {"every slot, then one", {{count, 255}, {push, 1}, {check}, {push, 2}, {check}, {count, 0}, {push, 3}, {check}}},
  };
  auto s = std::make_unique<frame_store_c>();
  for (const auto& c : cases) {
    int checks = 0;
    for (const step& st : c.steps) {
      const int n = int(st.value);
      switch (st.what) {
        case push: s->store_in_ring(seeded_frame(unsigned(n)).data()); break;
        case clear: std::fill_n(s->FrameRing.data() + size_t(n) * FramePixels, FramePixels, int16_t(0)); break;
        case fill: {
          frame_buffer f = seeded_frame(unsigned(100 + n));
          std::copy(f.begin(), f.end(), s->FrameRing.data() + size_t(n) * FramePixels);
          break;
        }
        case count: s->FramesToAverage = uint8_t(n); break;
        case mode: s->AcqMode = int16_t(n); break;
        case gain: s->PixelGain = st.value; break;
        case check: {
          ++checks;
          s->CombineFrames();
          int x = 0, y = 0;
          frame_buffer expected = plain::combine(*s, x, y);
          EXPECT_TRUE(s->ProcessedFrame == expected) << c.name << ", check " << checks;
          EXPECT_EQ(s->peak_x, x) << c.name << ", check " << checks;
          EXPECT_EQ(s->peak_y, y) << c.name << ", check " << checks;
          break;
        }
      }
    }
  }
}

TEST(SmoothAroundPeak, LongPassesGiveWhatThePlainPassesGive) {
  // Long passes run in pieces from guessed starts; whatever the values, the frame must come
  // out as the plain pixel-by-pixel passes leave it.
  struct {
    const char* name;
    int (*value)(int c, int r, uint32_t& state);
  } frames[] = {
      {"noise", [](int, int, uint32_t& st) { return int(((st = st * 1103515245u + 12345u) >> 16) % 766); }},
      {"full 16-bit range", [](int, int, uint32_t& st) { return int(int16_t((st = st * 1103515245u + 12345u) >> 16)); }},
      {"checkerboard of extremes", [](int c, int r, uint32_t&) { return (c + r) % 2 ? INT16_MAX : INT16_MIN; }},
      {"ramp", [](int c, int r, uint32_t&) { return c + r; }},
      {"above 800", [](int c, int r, uint32_t&) { return 1000 + (c * 7 + r * 3) % 50; }},
  };
  for (const auto& f : frames)
    for (auto [x, y] : {std::pair{360, 288}, {2, 300}, {716, 573}, {100, 50}}) {
      frame_buffer frame(FramePixels);
      uint32_t state = 11;
      for (int r = 0; r < FrameHeight; ++r)
        for (int c = 0; c < FrameWidth; ++c) at(frame, c, r) = int16_t(f.value(c, r, state));
      frame_buffer expected = frame;
      plain::smooth(expected, x, y);
      smooth_around_peak(frame.data(), x, y);
      EXPECT_TRUE(frame == expected) << f.name << " around " << x << ", " << y;
    }
}

}  // namespace
