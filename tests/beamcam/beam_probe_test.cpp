#include "tools/beam-probe/probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "beamcam/bmp24.h"
#include "beamcam/frame_files.h"
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

// A raw text file is measured as the program measures an opened file: the same table as the
// binary frame of the same values, with the profile point searched from the corner.
TEST(BeamProbe, MeasuresARawTextFileAsTheProgramOpensIt) {
  temp_folder dir;
  std::vector<int16_t> f(FramePixels, 3);
  f[size_t(250) * FrameWidth + 300] = 133;
  f[size_t(251) * FrameWidth + 300] = 120;
  write_file_bytes(dir / "beam.raw", raw_frame_text(f.data()));
  std::string bytes;
  for (int16_t v : f) {
    bytes += char(uint16_t(v) & 0xFF);
    bytes += char(uint16_t(v) >> 8);
  }
  write_file_bytes(dir / "beam.bin", bytes);
  probe_run text = run({"--raw", (dir / "beam.raw").string()});
  probe_run binary = run({"--processed", (dir / "beam.bin").string(), "--cross", "300", "250"});
  EXPECT_EQ(text.code, 0) << text.err;
  EXPECT_EQ(text.out, binary.out);
  EXPECT_EQ(run({"--raw", "a", "b"}).code, 2);
}

// A grabbed buffer of `lines` rows whose every byte is `v`.
std::string video_buffer(int lines, uint8_t v) { return std::string(video_buffer_bytes(lines), char(v)); }

// The store's state after each step, in order: "AcqState=A RingPos=R".
std::vector<std::string> states(const std::string& out) {
  std::vector<std::string> s;
  for (size_t at = out.find(" -> "); at != std::string::npos; at = out.find(" -> ", at + 1))
    s.push_back(out.substr(at + 4, out.find('\n', at) - at - 4));
  return s;
}

// Every value of a written frame file, when all are one value; -1 otherwise.
int uniform_value(const std::string& frame_bytes) {
  frame_buffer f(FramePixels);
  if (frame_bytes.size() != FramePixels * 2) return -1;
  for (size_t i = 0; i < FramePixels; ++i)
    f[i] = int16_t(uint16_t(uint8_t(frame_bytes[2 * i]) | uint8_t(frame_bytes[2 * i + 1]) << 8));
  return std::all_of(f.begin(), f.end(), [&](int16_t v) { return v == f[0]; }) ? f[0] : -1;
}

struct script_run {
  temp_folder dir;
  probe_run result;
  std::string path(const char* name) { return (dir / name).string(); }
  void run_steps(const std::string& steps) {
    write_file_bytes(dir / "steps.txt", steps);
    result = run({"--script", path("steps.txt")});
  }
};

// While the ring is full (AcqState 2) offered buffers are dropped: neither the raw frame nor
// any slot changes until the state is set back to collecting.
TEST(BeamProbe, ScriptShowsFramesDroppedWhileTheRingIsFull) {
  script_run s;
  write_file_bytes(s.dir / "a.rgb", video_buffer(576, 10));   // converts to 45
  write_file_bytes(s.dir / "b.rgb", video_buffer(576, 100));  // converts to 450
  const std::string a = s.path("a.rgb"), b = s.path("b.rgb");
  s.run_steps("# fill a ring of two, then offer more\ncount 2\nacq 1\noffer " + a + "\noffer " + a +
              "\noffer " + b + "\nwrite raw " + s.path("raw.bin") + "\nwrite slot 0 " + s.path("s0.bin") +
              "\nacq 1\noffer " + b + "\nwrite slot 0 " + s.path("s0b.bin") + "\n");
  ASSERT_EQ(s.result.code, 0) << s.result.err;
  EXPECT_EQ(states(s.result.out),
            (std::vector<std::string>{"AcqState=0 RingPos=0", "AcqState=1 RingPos=0", "AcqState=1 RingPos=1",
                                      "AcqState=2 RingPos=0", "AcqState=2 RingPos=0", "AcqState=2 RingPos=0",
                                      "AcqState=2 RingPos=0", "AcqState=1 RingPos=0", "AcqState=1 RingPos=1",
                                      "AcqState=1 RingPos=1"}))
      << s.result.out;
  EXPECT_EQ(uniform_value(read_file_bytes(s.dir / "raw.bin")), 45);
  EXPECT_EQ(uniform_value(read_file_bytes(s.dir / "s0.bin")), 45);
  EXPECT_EQ(uniform_value(read_file_bytes(s.dir / "s0b.bin")), 450);
}

// A stop (AcqState 0) drops what is offered and keeps RingPos; a restart goes on from there.
TEST(BeamProbe, ScriptShowsRingPosAcrossAStopAndARestart) {
  script_run s;
  write_file_bytes(s.dir / "a.rgb", video_buffer(576, 10));
  write_file_bytes(s.dir / "b.rgb", video_buffer(576, 100));
  const std::string a = s.path("a.rgb"), b = s.path("b.rgb");
  s.run_steps("count 5\nacq 1\noffer " + a + "\noffer " + a + "\nacq 0\noffer " + b + "\nacq 1\noffer " + b +
              "\nwrite slot 2 " + s.path("s2.bin") + "\n");
  ASSERT_EQ(s.result.code, 0) << s.result.err;
  EXPECT_EQ(states(s.result.out),
            (std::vector<std::string>{"AcqState=0 RingPos=0", "AcqState=1 RingPos=0", "AcqState=1 RingPos=1",
                                      "AcqState=1 RingPos=2", "AcqState=0 RingPos=2", "AcqState=0 RingPos=2",
                                      "AcqState=1 RingPos=2", "AcqState=1 RingPos=3", "AcqState=1 RingPos=3"}))
      << s.result.out;
  EXPECT_EQ(uniform_value(read_file_bytes(s.dir / "s2.bin")), 450);
}

// A 480-line buffer after a 576-line one, once the line count says 480, is stretched to a full
// frame; with the count at 576 it is too short and dropped.
TEST(BeamProbe, ScriptShowsA480LineFrameAfterA576LineOne) {
  script_run s;
  write_file_bytes(s.dir / "a576.rgb", video_buffer(576, 10));  // 45
  write_file_bytes(s.dir / "c480.rgb", video_buffer(480, 20));  // 60 * 765 / 760 = 60
  const std::string a = s.path("a576.rgb"), c = s.path("c480.rgb");
  s.run_steps("count 5\nacq 1\noffer " + a + "\nlines 480\noffer " + c + "\nwrite slot 1 " + s.path("s1.bin") +
              "\nlines 576\noffer " + c + "\ncount 2\ncombine\nmeasure\n");
  ASSERT_EQ(s.result.code, 0) << s.result.err;
  const auto st = states(s.result.out);
  ASSERT_EQ(st.size(), 11u) << s.result.out;
  EXPECT_EQ(st[2], "AcqState=1 RingPos=1");
  EXPECT_EQ(st[4], "AcqState=1 RingPos=2");
  EXPECT_EQ(st[7], "AcqState=1 RingPos=2");  // the short buffer was dropped
  EXPECT_EQ(uniform_value(read_file_bytes(s.dir / "s1.bin")), 60);
  // The mean of 45 and 60 over the whole frame.
  EXPECT_NE(s.result.out.find("Min, Peak: 52 , 52\n"), std::string::npos) << s.result.out;
}

TEST(BeamProbe, ScriptErrorsNameTheLine) {
  script_run s;
  s.run_steps("acq 1\nacq 3\n");
  EXPECT_EQ(s.result.code, 2);
  EXPECT_NE(s.result.err.find("line 2: bad step: acq 3"), std::string::npos) << s.result.err;
  s.run_steps("offer " + s.path("missing.rgb") + "\n");
  EXPECT_EQ(s.result.code, 1);
  EXPECT_NE(s.result.err.find("line 1: cannot read"), std::string::npos) << s.result.err;
  EXPECT_EQ(run({"--script", s.path("steps.txt"), s.path("x.raw")}).code, 2);
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
