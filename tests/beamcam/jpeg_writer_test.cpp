#include "beamcam/jpeg_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

// Decodes a JPEG to RGB rows with the library itself.
bool decode(const std::vector<uint8_t>& bytes, int& width, int& height, std::vector<uint8_t>& rgb) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = int(cinfo.output_width);
  height = int(cinfo.output_height);
  rgb.assign(size_t(width) * height * 3, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + size_t(cinfo.output_scanline) * width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

TEST(JpegWriter, DisplayPictureComesBackCloseAsRgb) {
  const int w = 720, h = 576;
  std::vector<uint8_t> bgr(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &bgr[(size_t(y) * w + x) * 3];
      p[0] = uint8_t(x * 255 / w);  // blue grows to the right
      p[1] = 40;
      p[2] = uint8_t(y * 255 / h);  // red grows downward
    }
  jpeg_result r = encode_jpeg_bgr(bgr.data(), w, h, size_t(w) * 3);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_GT(r.bytes.size(), 2u);
  EXPECT_EQ(r.bytes[0], 0xFF);
  EXPECT_EQ(r.bytes[1], 0xD8);
  int dw = 0, dh = 0;
  std::vector<uint8_t> rgb;
  ASSERT_TRUE(decode(r.bytes, dw, dh, rgb));
  EXPECT_EQ(dw, w);
  EXPECT_EQ(dh, h);
  double total = 0;
  for (size_t i = 0; i < size_t(w) * h; ++i)
    for (int c = 0; c < 3; ++c) total += std::abs(int(rgb[i * 3 + c]) - int(bgr[i * 3 + 2 - c]));
  EXPECT_LT(total / (double(w) * h * 3), 3.0);  // quality 75 on a smooth picture
}

TEST(JpegWriter, LibraryErrorsComeBackInsteadOfEndingTheProcess) {
  // Wider than the format allows: the library raises its error at the start of compression.
  std::vector<uint8_t> row(size_t(70000) * 3, 0);
  jpeg_result r = encode_jpeg_bgr(row.data(), 70000, 1, row.size());
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.bytes.empty());
  EXPECT_NE(r.error.find("65500"), std::string::npos) << r.error;
  EXPECT_FALSE(encode_jpeg_bgr(nullptr, 10, 10, 30).ok);
  EXPECT_FALSE(encode_jpeg_bgr(row.data(), 10, 10, 20).ok);  // rows shorter than the pixels
}
