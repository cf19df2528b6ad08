// Times one acquisition tick's work at 720 x 576: conversion of a grabbed buffer, the
// combination of 10 and of 100 frames, the measurement and the false-colour picture.
// Prints the median and the fastest of several runs, in milliseconds per call.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
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

void report(const char* name, int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%-40s median %8.3f ms   fastest %8.3f ms   (%d runs)\n", name, ms[ms.size() / 2], ms[0], runs);
}

}  // namespace

int main() {
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
  report("one tick: convert, combine 10, show, measure", 50, [&] {
    convert(video576, 576);
    store->CombineFrames();
    view.Img_Dis(store->ProcessedFrame.data(), nullptr);
    view.AnalyzeBeam(store->ProcessedFrame.data(), table, &clipboard);
  });
  std::printf("peak %d at %d, %d; %s\n", store->ProcessedFrame[size_t(store->peak_y) * FrameWidth + store->peak_x],
              store->peak_x, store->peak_y, table.value(WidthKey).c_str());
  return 0;
}
