// Times one acquisition tick's work at 720 x 576: conversion of a grabbed buffer, the
// combination of 10 and of 100 frames, the measurement and the false-colour picture, and
// whole ticks in both modes.
// Prints the median and the fastest of several runs, in milliseconds per call.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "beamcam/beam_view.h"
#include "beamcam/frame_store.h"
#include "beamcam/result_table.h"

namespace {

// A bright round beam in the middle on a noisy background: the peak lies in the middle, so
// the smoothing covers the largest square there is. Combined it stays below 765.
std::vector<uint8_t> beam_video(int lines, unsigned seed) {
  std::vector<uint8_t> bytes(video_buffer_bytes(lines));
  unsigned state = seed;
  for (int r = 0; r < lines; ++r)
    for (int c = 0; c < FrameWidth; ++c) {
      state = state * 1103515245u + 12345u;
      double dx = c - 360.0, dy = r - lines / 2.0;
      double v = 140.0 * std::exp(-(dx * dx + dy * dy) / (2 * 60.0 * 60.0)) + (state >> 16) % 20;
      uint8_t* p = &bytes[(size_t(r) * FrameWidth + c) * 3];
      p[0] = p[1] = p[2] = uint8_t(std::min(v, 255.0));
    }
  return bytes;
}

// FNV-1a over 16-bit values, to show that a change leaves every output as it was.
uint64_t fnv(const int16_t* v, size_t n, uint64_t h = 14695981039346656037ull) {
  for (size_t i = 0; i < n; ++i) {
    h = (h ^ uint16_t(v[i] & 0xff)) * 1099511628211ull;
    h = (h ^ uint16_t(uint16_t(v[i]) >> 8)) * 1099511628211ull;
  }
  return h;
}

double report(const char* name, int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-40s median %8.3f ms   fastest %8.3f ms   (%d runs)\n", name, ms[ms.size() / 2], ms[0], runs);
  return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // "beam_bench ticks N": only N average-mode ticks, for a profiler.
  const int only_ticks = argc > 2 && std::string(argv[1]) == "ticks" ? std::atoi(argv[2]) : 0;
  auto store = std::make_unique<frame_store_c>();
  beam_view_c view;
  for (int i = 0; i < PaletteEntries; ++i) view.Palette[size_t(i) * 3] = uint8_t(i / 4);
  view.CrossPixelX = 360;
  view.CrossPixelY = 288;
  result_table_c table;
  InitResultTable(table);
  struct : clipboard_i {
    void CopyTextToClipboard(const char*) override {}
  } clipboard;

  const std::vector<uint8_t> video576 = beam_video(576, 1), video480 = beam_video(480, 2);
  auto convert = [&](const std::vector<uint8_t>& video, int lines) {
    store->VideoLines = lines;
    store->AcqState = acq_collecting;
    store->ConvertFrame(video.data(), video.size());
  };

  if (only_ticks > 0) {
    store->FramesToAverage = 10;
    for (unsigned s = 0; s < 10; ++s) convert(beam_video(576, 100 + s), 576);
    for (int i = 0; i < only_ticks; ++i) {
      convert(video576, 576);
      store->CombineFrames();
      view.Img_Dis(store->ProcessedFrame.data(), nullptr);
      view.AnalyzeBeam(store->ProcessedFrame.data(), table, &clipboard);
    }
    return 0;
  }
  store->FramesToAverage = 100;
  report("ConvertFrame, 576 lines", 200, [&] { convert(video576, 576); });
  report("ConvertFrame, 480 lines (with stretch)", 200, [&] { convert(video480, 480); });
  // Fill every slot with beams of their own noise.
  store->RingPos = 0;
  for (unsigned s = 0; s < RingSlots; ++s) {
    std::vector<uint8_t> v = beam_video(576, 100 + s);
    convert(v, 576);
  }

  for (int count : {10, 100})
    for (int mode : {int(acq_average), int(acq_peak_hold)}) {
      char name[64];
      std::snprintf(name, sizeof name, "CombineFrames, %d frames, %s", count, mode ? "peak hold" : "average");
      store->FramesToAverage = uint8_t(count);
      store->AcqMode = int16_t(mode);
      report(name, count == 10 ? 100 : 30, [&] { store->CombineFrames(); });
    }

  store->FramesToAverage = 10;
  store->AcqMode = acq_average;
  store->CombineFrames();
  report("AnalyzeBeam", 200, [&] { view.AnalyzeBeam(store->ProcessedFrame.data(), table, &clipboard); });
  report("Img_Dis (false colour and profiles)", 200, [&] { view.Img_Dis(store->ProcessedFrame.data(), nullptr); });
  for (int mode : {int(acq_average), int(acq_peak_hold)}) {
    store->AcqMode = int16_t(mode);
    double tick = report(mode ? "one tick, peak hold: convert, combine 10, show, measure"
                              : "one tick, average: convert, combine 10, show, measure",
                         50, [&] {
                           convert(video576, 576);
                           store->CombineFrames();
                           view.Img_Dis(store->ProcessedFrame.data(), nullptr);
                           view.AnalyzeBeam(store->ProcessedFrame.data(), table, &clipboard);
                         });
    std::printf("  %.1f %% of the 100 ms tick\n", tick);
  }
  // The same ticks with a frame of its own noise each time, as a camera gives them (the ticks
  // above put one frame into every slot), on a store, view and table of their own so that
  // the lines below stay as they were.
  {
    auto live = std::make_unique<frame_store_c>();
    beam_view_c live_view;
    live_view.Palette = view.Palette;
    live_view.CrossPixelX = view.CrossPixelX;
    live_view.CrossPixelY = view.CrossPixelY;
    result_table_c live_table;
    InitResultTable(live_table);
    live->FramesToAverage = 10;
    std::vector<std::vector<uint8_t>> videos;
    for (unsigned s = 0; s < 16; ++s) videos.push_back(beam_video(576, 500 + s));
    size_t next = 0;
    auto tick = [&] {
      live->VideoLines = 576;
      live->AcqState = acq_collecting;
      const std::vector<uint8_t>& video = videos[next++ % videos.size()];
      live->ConvertFrame(video.data(), video.size());
      live->CombineFrames();
      live_view.Img_Dis(live->ProcessedFrame.data(), nullptr);
      live_view.AnalyzeBeam(live->ProcessedFrame.data(), live_table, &clipboard);
    };
    for (int i = 0; i < 10; ++i) tick();
    for (int mode : {int(acq_average), int(acq_peak_hold)}) {
      live->AcqMode = int16_t(mode);
      report(mode ? "one tick, peak hold, a new frame each tick" : "one tick, average, a new frame each tick", 50, tick);
    }
  }
  store->AcqMode = acq_average;
  store->CombineFrames();
  // One hash over the outputs of many cases: conversion of both line counts, combination of
  // several counts in both modes and gains, and the smoothing around peaks on and near edges.
  {
    uint64_t h = 14695981039346656037ull;
    frame_store_c hs;
    hs.FramesToAverage = 100;
    for (unsigned s = 0; s < RingSlots; ++s) {
      std::vector<uint8_t> v = beam_video(s % 2 ? 480 : 576, 300 + s);
      hs.VideoLines = s % 2 ? 480 : 576;
      hs.AcqState = acq_collecting;
      hs.ConvertFrame(v.data(), v.size());
      h = fnv(hs.RawFrame.data(), FramePixels, h);
      h = fnv(hs.LineInterpBuffer.data(), FramePixels, h);
    }
    for (int count : {1, 2, 3, 7, 10, 64, 99, 100, 0, 255})
      for (int mode : {int(acq_average), int(acq_peak_hold)})
        for (double gain : {1.0, 1.5, 0.37, 2.7, 0.0, -1.25, 1e9, 1.0 / 3}) {
          hs.FramesToAverage = uint8_t(count);
          hs.AcqMode = int16_t(mode);
          hs.PixelGain = gain;
          hs.CombineFrames();
          h = fnv(hs.ProcessedFrame.data(), FramePixels, h);
          int16_t where[2] = {int16_t(hs.peak_x), int16_t(hs.peak_y)};
          h = fnv(where, 2, h);
        }
    std::vector<int16_t> noise(FramePixels);
    unsigned state = 7;
    for (auto& v : noise) {
      state = state * 1103515245u + 12345u;
      v = int16_t((state >> 16) % 766);
    }
    for (int x : {0, 1, 2, 3, 100, 359, 360, 361, 715, 716, 717, 719})
      for (int y : {0, 1, 2, 3, 77, 287, 288, 289, 572, 573, 574, 575}) {
        std::vector<int16_t> f = noise;
        smooth_around_peak(f.data(), x, y);
        h = fnv(f.data(), FramePixels, h);
      }
    // Values beyond the usual range, negative ones included.
    for (auto& v : noise) {
      state = state * 1103515245u + 12345u;
      v = int16_t(state >> 16);
    }
    for (int x : {2, 300, 716})
      for (int y : {2, 300, 573}) {
        std::vector<int16_t> f = noise;
        smooth_around_peak(f.data(), x, y);
        h = fnv(f.data(), FramePixels, h);
        for (double gain : {1.0, 0.5, 3.0}) {
          std::vector<int16_t> g = f;
          apply_gain(g.data(), gain);
          h = fnv(g.data(), FramePixels, h);
        }
      }
    std::printf("output hash %016llx\n", (unsigned long long)h);
  }
  std::printf("peak %d at %d, %d; %s\n", store->ProcessedFrame[size_t(store->peak_y) * FrameWidth + store->peak_x],
              store->peak_x, store->peak_y, table.value(WidthKey).c_str());
  return 0;
}
