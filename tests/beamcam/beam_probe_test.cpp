#include "tools/beam-probe/probe.h"

#include <gtest/gtest.h>

#include <sstream>

#include "beamcam/bmp24.h"
#include "beamcam/frame_store.h"
#include "tests/support/test_support.h"

namespace {

struct probe_run {
  int code;
  std::string out, err;
};

probe_run run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int code = run_beam_probe(args, out, err);
  return {code, out.str(), err.str()};
}

// A frame file: 720 x 576 little-endian 16-bit values.
std::string frame_file(int16_t background, std::initializer_list<std::tuple<int, int, int16_t>> pixels = {}) {
  std::vector<int16_t> f(FramePixels, background);
  for (auto [c, r, v] : pixels) f[size_t(r) * FrameWidth + c] = v;
  std::string bytes;
  for (int16_t v : f) {
    bytes += char(uint16_t(v) & 0xFF);
    bytes += char(uint16_t(v) >> 8);
  }
  return bytes;
}

TEST(BeamProbe, PrintsTheTableAndTheClipboardLineOfAFrame) {
  temp_folder dir;
  write_file_bytes(dir / "zero.raw", frame_file(0));
  probe_run r = run({(dir / "zero.raw").string(), "--count", "3"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "Min, Peak: 0 , 0\n"
            "Peak Loc ( X, Y ): 0 , 0\n"
            "Centroid ( X, Y ): 360 , 288\n"
            "Width ( X, Y ): 719 , 575 , 20%\n"
            "Clipboard: 0 0 0 0 360 288 719 575\n");
}

TEST(BeamProbe, CombinesTheInputsInTurnWithModeGainAndPitch) {
  temp_folder dir;
  write_file_bytes(dir / "a.raw", frame_file(0, {{100, 50, 400}}));
  write_file_bytes(dir / "b.raw", frame_file(0, {{100, 50, 200}}));
  const std::string a = (dir / "a.raw").string(), b = (dir / "b.raw").string();
  // Average of 400 and 200, times 1.5; a peak near the border is not smoothed.
  probe_run avg = run({a, b, "--count", "2", "--gain", "1.5", "--pitch", "6.5", "2"});
  EXPECT_EQ(avg.code, 0) << avg.err;
  EXPECT_NE(avg.out.find("Min, Peak: 0 , 450\n"), std::string::npos) << avg.out;
  EXPECT_NE(avg.out.find("Peak Loc ( X, Y ): 650 , 100\n"), std::string::npos) << avg.out;
  probe_run peak = run({a, b, "--count", "2", "--mode", "peak"});
  EXPECT_NE(peak.out.find("Min, Peak: 0 , 400\n"), std::string::npos) << peak.out;
}

TEST(BeamProbe, ConvertsVideoBuffersAndWritesThePicture) {
  temp_folder dir;
  write_file_bytes(dir / "white.rgb", std::string(video_buffer_bytes(480), char(255)));
  const std::string picture = (dir / "white.bmp").string();
  probe_run r = run({"--video", "480", (dir / "white.rgb").string(), "--picture", picture});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Min, Peak: 765 , 765\n"), std::string::npos) << r.out;
  bmp24_image image;
  ASSERT_TRUE(read_bmp24(read_file_bytes(picture), image));
  EXPECT_EQ(image.width, 720);
  EXPECT_EQ(image.height, 576);
  EXPECT_EQ(image.bgr[0], 255);
}

TEST(BeamProbe, TakesARawFrameAsItIsWithWildValues) {
  temp_folder dir;
  write_file_bytes(dir / "wild.raw", frame_file(0, {{0, 288, -3}, {1, 288, 2000}, {360, 288, 32767}}));
  const std::string picture = (dir / "wild.bmp").string();
  probe_run r = run({"--processed", (dir / "wild.raw").string(), "--picture", picture, "--refreshes", "2"});
  EXPECT_EQ(r.code, 0) << r.err;
  // Once -3 and 2000 are seen, the rest of each row is skipped: 32767 is never reached.
  EXPECT_NE(r.out.find("Min, Peak: -3 , 2000\n"), std::string::npos) << r.out;
  bmp24_image image;
  EXPECT_TRUE(read_bmp24(read_file_bytes(picture), image));
}

TEST(BeamProbe, ReportsBadCommandLinesAndInputs) {
  temp_folder dir;
  write_file_bytes(dir / "short.raw", frame_file(0).substr(1));
  write_file_bytes(dir / "zero.raw", frame_file(0));
  const std::string zero = (dir / "zero.raw").string();
  struct {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{}, 2, "no input"},
      {{zero, "--count", "0"}, 2, "--count"},
      {{zero, "--count", "101"}, 2, "--count"},
      {{zero, "--gain", "11"}, 2, "--gain"},
      {{zero, "--mode", "max"}, 2, "--mode"},
      {{zero, "--video", "500"}, 2, "--video"},
      {{zero, "--pitch", "1"}, 2, "--pitch"},
      {{zero, "--bogus"}, 2, "unknown option"},
      {{(dir / "short.raw").string()}, 1, "829439 bytes, not 829440"},
      {{(dir / "missing.raw").string()}, 1, "cannot read"},
      {{zero, "--palette", zero}, 1, "colour-bar"},
      {{zero, "--picture", (dir / "no" / "such" / "x.bmp").string()}, 1, "cannot write"},
  };
  for (const auto& c : cases) {
    probe_run r = run(c.args);
    EXPECT_EQ(r.code, c.code) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

}  // namespace
