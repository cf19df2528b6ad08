#include "beamcam/capture_graph.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CaptureModes, SampleSizeChoosesLinesFramesAndPictureControls) {
  struct row {
    uint32_t sample_size;
    bool known;
    int32_t lines;
    int frames;
    int32_t brightness, contrast;
  } rows[] = {
      {829440, true, 576, 10, 64, 100},  // 720 x 576 x 2
      {691200, true, 480, 5, 1, 127},    // 720 x 480 x 2
      {1244160, false, 0, 0, 0, 0},      // 720 x 576 x 3: RGB24, not the grabber's format
      {829439, false, 0, 0, 0, 0},
      {0, false, 0, 0, 0, 0},
  };
  for (const row& r : rows) {
    video_mode m{-1, 0, -1, -1};
    EXPECT_EQ(video_mode_for_sample_size(r.sample_size, &m), r.known) << r.sample_size;
    if (!r.known) continue;
    EXPECT_EQ(m.lines, r.lines);
    EXPECT_EQ(m.frames_to_average, r.frames);
    EXPECT_EQ(m.brightness, r.brightness);
    EXPECT_EQ(m.contrast, r.contrast);
  }
  EXPECT_EQ(ProcAmpHue, 128);
  EXPECT_EQ(ProcAmpSaturation, 80);
  EXPECT_EQ(ProcAmpSharpness, 0);
}

TEST(CaptureNames, OnlyTheGrabbersNamesInTheirOwnCase) {
  struct row {
    const char* name;
    bool taken;
  } rows[] = {
      {"AV TO USB2.0", true},        {"SMI Grabber Device", true}, {"av to usb2.0", false},
      {"AV TO USB2.0 ", false},      {"AV TO USB2", false},        {"smi grabber device", false},
      {"USB Video Device", false},   {"", false},                  {nullptr, false},
  };
  for (const row& r : rows) EXPECT_EQ(is_capture_device_name(r.name), r.taken) << (r.name ? r.name : "(null)");
}

std::string format(const char* fmt, ...) {
  char out[CameraMessageChars];
  std::memset(out, 'x', sizeof out);
  va_list args;
  va_start(args, fmt);
  size_t n = format_camera_message(out, fmt, args);
  va_end(args);
  EXPECT_EQ(n, std::strlen(out));
  return out;
}

TEST(CameraMessage, FormatsAndCutsLongTextsTo1023Characters) {
  EXPECT_EQ(format("Couldn't get format.  hr=0x%x\r\n", 0x80004002u), "Couldn't get format.  hr=0x80004002\r\n");
  EXPECT_EQ(format("wrong viedo mode, will turn off..%x", 0), "wrong viedo mode, will turn off..0");
  std::string exact(1023, 'a');
  EXPECT_EQ(format("%s", exact.c_str()), exact);
  std::string longer(5000, 'b');
  EXPECT_EQ(format("%s", longer.c_str()), std::string(1023, 'b'));
}

struct grab_fixture : ::testing::Test {
  std::atomic<int16_t> acq{1};
  grab_buffer_c grab;
  grab_fixture() { grab.attach(&acq); }
  std::vector<uint8_t> read() {
    return grab.read([](const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); });
  }
};

TEST_F(grab_fixture, CopiesOnlyWhileCollecting) {
  const uint8_t frame[4] = {1, 2, 3, 4};
  for (int16_t state : {0, 2}) {
    acq = state;
    auto r = grab.BufferCB(frame, 4);
    EXPECT_EQ(r.code, capture_ok);
    EXPECT_FALSE(r.copied) << state;
    EXPECT_EQ(grab.size(), 0);
  }
  acq = 1;
  auto r = grab.BufferCB(frame, 4);
  EXPECT_EQ(r.code, capture_ok);
  EXPECT_TRUE(r.copied);
  EXPECT_EQ(read(), std::vector<uint8_t>(frame, frame + 4));
}

TEST_F(grab_fixture, BufferOnlyGrowsAndAShorterFrameFillsItsStart) {
  std::vector<uint8_t> first(100, 7), second(50, 9);
  EXPECT_TRUE(grab.BufferCB(first.data(), 100).copied);
  EXPECT_TRUE(grab.BufferCB(second.data(), 50).copied);
  EXPECT_EQ(grab.size(), 100);
  EXPECT_EQ(grab.last_length(), 50u);
  EXPECT_EQ(read(), second);  // the reader sees the frame just grabbed, not the stale tail
  std::vector<uint8_t> third(300, 3);
  EXPECT_TRUE(grab.BufferCB(third.data(), 300).copied);
  EXPECT_EQ(grab.size(), 300);
  EXPECT_EQ(read(), third);
}

TEST_F(grab_fixture, BadInputIsRefusedWithoutCopy) {
  uint8_t one = 1;
  struct row {
    const uint8_t* buffer;
    long length;
    int32_t code;
  } rows[] = {{nullptr, 10, capture_e_pointer}, {&one, -1, capture_e_invalidarg}, {&one, 0, capture_ok}};
  for (const row& r : rows) {
    auto result = grab.BufferCB(r.buffer, r.length);
    EXPECT_EQ(result.code, r.code) << r.length;
    EXPECT_FALSE(result.copied);
  }
  EXPECT_EQ(grab.size(), 0);
}

TEST_F(grab_fixture, NothingIsCopiedBeforeAttachOrAfterRelease) {
  grab_buffer_c fresh;
  uint8_t frame[8] = {};
  EXPECT_FALSE(fresh.BufferCB(frame, 8).copied);
  EXPECT_TRUE(grab.BufferCB(frame, 8).copied);
  grab.release();
  EXPECT_EQ(grab.size(), 0);
  EXPECT_FALSE(grab.BufferCB(frame, 8).copied);
  EXPECT_EQ(grab.read([](const uint8_t* p, size_t n) { return p == nullptr && n == 0; }), true);
}

// A reader never sees a half-written frame, and release while frames arrive is safe.
TEST_F(grab_fixture, ReaderSeesWholeFramesWhileTheCaptureThreadWrites) {
  constexpr long n = 720 * 576 * 3;
  std::atomic<bool> stop{false};
  std::thread capture([&] {
    std::vector<uint8_t> frame(n);
    for (uint8_t v = 0; !stop; ++v) {
      std::memset(frame.data(), v, frame.size());
      // A frame of alternating length makes the buffer grow once and be reused after.
      grab.BufferCB(frame.data(), (v & 1) ? n : n / 2);
    }
  });
  int checked = 0;
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (int i = 0; checked < 100 && std::chrono::steady_clock::now() < give_up; ++i) {
    bool whole = grab.read([&](const uint8_t* p, size_t len) {
      if (!p) return true;
      ++checked;
      for (size_t k = 0; k < len; k += 4099)
        if (p[k] != p[0]) return false;
      return p[len - 1] == p[0];
    });
    ASSERT_TRUE(whole) << i;
  }
  grab.release();
  stop = true;
  capture.join();
  EXPECT_EQ(checked, 100);
  EXPECT_EQ(grab.size(), 0);
}

}  // namespace
