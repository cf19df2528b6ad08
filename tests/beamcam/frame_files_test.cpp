#include "beamcam/frame_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "beamcam/frame_store.h"

TEST(FrameFiles, CalibrationFileKeepsTheDefaultForWhatItDoesNotGive) {
  struct row {
    std::string text;
    int32_t x, y;
  } rows[] = {
      {"65000 65000", 65000, 65000},
      {"72500  65000   65000  65000   ", 72500, 65000},
      {"", DefaultCalib, DefaultCalib},           // missing or empty file
      {"65000", 65000, DefaultCalib},             // one number
      {"abc 5", DefaultCalib, DefaultCalib},      // letters first
      {"7 x", 7, DefaultCalib},
      {"99999999999 5", DefaultCalib, DefaultCalib},  // beyond 32 bits: unreadable
      {"-2147483648 +12", -2147483647 - 1, 12},
  };
  for (const row& r : rows) {
    calibration c = read_calibration_text(r.text);
    EXPECT_EQ(c.x, r.x) << r.text;
    EXPECT_EQ(c.y, r.y) << r.text;
  }
}

TEST(FrameFiles, CalibrationRewriteKeepsTheEarlierFileBehindTheNewPair) {
  EXPECT_EQ(calibration_file_text({72500, 65000}, "65000 65000"), "72500  65000   65000 65000");
  std::string earlier(20000, 'z');
  std::string text = calibration_file_text({1, 2}, earlier);
  EXPECT_EQ(text, "1  2   " + std::string(CalibrationKeptBytes, 'z'));
}

TEST(FrameFiles, CalibrationFormRules) {
  EXPECT_TRUE(calibration_code_matches("quillbrookmax"));
  EXPECT_FALSE(calibration_code_matches("Quillbrookmax"));
  EXPECT_FALSE(calibration_code_matches(""));
  EXPECT_EQ(pitch_from_text("7.25"), 72500);
  EXPECT_EQ(pitch_from_text("0"), 0);
  EXPECT_EQ(pitch_from_text("100"), 1000000);
  EXPECT_EQ(pitch_from_text("0.00005"), 1);  // rounded half up
  EXPECT_FALSE(pitch_from_text("120"));
  EXPECT_FALSE(pitch_from_text("-1"));
  EXPECT_FALSE(pitch_from_text("abc"));
  EXPECT_FALSE(pitch_from_text(""));
  EXPECT_FALSE(pitch_from_text("6.5x"));
  EXPECT_EQ(pitch_text(65000), "6.5");
  EXPECT_EQ(pitch_text(72500), "7.25");
  EXPECT_EQ(pitch_text(10000), "1");
}

TEST(FrameFiles, RawFramesWriteFourCharactersPerValueAndReadBackBelow1000) {
  std::vector<int16_t> frame(FramePixels, 0), back(FramePixels, -7);
  for (size_t i = 0; i < FramePixels; ++i) frame[i] = int16_t(i % 1000);
  std::string text = raw_frame_text(frame.data());
  ASSERT_EQ(text.size(), size_t(FrameHeight) * (FrameWidth * 4 + 1));
  EXPECT_EQ(text.substr(0, 12), "   0   1   2");
  EXPECT_EQ(text[FrameWidth * 4], '\n');
  EXPECT_EQ(read_raw_frame_text(text, back.data()), FramePixels);
  EXPECT_EQ(back, frame);

  // 5, 1000 and 1147 side by side run together: "   510001147".
  frame[0] = 5, frame[1] = 1000, frame[2] = 1147;
  EXPECT_EQ(raw_frame_text(frame.data()).substr(0, 12), "   510001147");
}

TEST(FrameFiles, RawReadingStopsAtTheFirstTokenThatIsNotANumber) {
  struct row {
    std::string text;
    size_t read;
    std::vector<int16_t> first;
  } rows[] = {
      {"1 2 3", 3, {1, 2, 3, -7}},                   // short file: the rest keeps its values
      {"1 x 3", 1, {1, -7, -7}},                     // a letter ends the reading
      {"1 99999999999 3", 1, {1, -7, -7}},           // beyond 32 bits: unreadable
      {"40000 -40000 12abc", 3, {32767, -32768, 12, -7}},  // clamped into 16 bits
      {"", 0, {-7}},
  };
  for (const row& r : rows) {
    std::vector<int16_t> frame(FramePixels, -7);
    EXPECT_EQ(read_raw_frame_text(r.text, frame.data()), r.read) << r.text;
    for (size_t i = 0; i < r.first.size(); ++i) EXPECT_EQ(frame[i], r.first[i]) << r.text << " #" << i;
  }
}

TEST(FrameFiles, ExtensionIsAppendedUnlessTheNameEndsInItExactly) {
  EXPECT_EQ(with_extension("beam", ".raw"), "beam.raw");
  EXPECT_EQ(with_extension("beam.RAW", ".raw"), "beam.RAW.raw");
  EXPECT_EQ(with_extension("x.raw", ".raw"), "x.raw");
  EXPECT_EQ(with_extension("raw", ".raw"), "raw.raw");
  EXPECT_EQ(with_extension("x", ".jpg"), "x.jpg");
  EXPECT_EQ(with_extension(std::wstring(L"d:\\beam"), L".raw"), L"d:\\beam.raw");
  EXPECT_EQ(with_extension(std::wstring(L"x.JPG"), L".jpg"), L"x.JPG.jpg");
  EXPECT_EQ(with_extension(std::wstring(L"x.jpg"), L".jpg"), L"x.jpg");
}

TEST(FrameFiles, TextModeLineEnds) {
  EXPECT_EQ(crlf_text("a\nb\n"), "a\r\nb\r\n");
  std::vector<int16_t> frame(FramePixels, 7);
  std::string text = crlf_text(raw_frame_text(frame.data()));
  EXPECT_EQ(text.size(), size_t(FrameHeight) * (FrameWidth * 4 + 2));  // 576 lines of 2880 and CR LF
  std::vector<int16_t> back(FramePixels, 0);
  EXPECT_EQ(read_raw_frame_text(text, back.data()), FramePixels);
  EXPECT_EQ(back, frame);
}

TEST(FrameFiles, ProfilePointSearch) {
  std::vector<int16_t> frame(FramePixels, 0);
  pixel_point p = find_profile_point(frame.data());  // all zero: the top left corner
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);

  frame[10 * FrameWidth + 300] = 500;
  frame[20 * FrameWidth + 100] = 600;
  p = find_profile_point(frame.data());
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 20);

  // Above 764 the rest of each row is skipped: a greater value later in a row is not seen,
  // one at the start of a later row is.
  frame[30 * FrameWidth + 5] = 800;
  frame[30 * FrameWidth + 6] = 900;
  p = find_profile_point(frame.data());
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 30);
  frame[40 * FrameWidth + 0] = 850;
  p = find_profile_point(frame.data());
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 40);
}
