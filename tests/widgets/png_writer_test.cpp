#include "png_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint32_t be32(const std::string& s, size_t at) {
  return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint8_t(s[at + 3]);
}

struct chunk {
  std::string type, data;
  bool crc_ok;
};

std::vector<chunk> chunks_of(const std::string& png) {
  std::vector<chunk> list;
  for (size_t at = 8; at + 12 <= png.size();) {
    std::uint32_t n = be32(png, at);
    std::string body = png.substr(at + 4, 4 + n);
    std::uint32_t crc = be32(png, at + 8 + n);
    uLong expected = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    list.push_back({body.substr(0, 4), body.substr(4), crc == expected});
    at += 12 + n;
  }
  return list;
}

TEST(png_writer, writes_valid_chunks_and_a_zlib_stream_of_the_rows) {
  for (bool alpha : {true, false}) {
    // 3 x 2 pixels; large enough rows are not needed to check the layout.
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 6; ++i) rgba.insert(rgba.end(), {std::uint8_t(i), 100, 200, std::uint8_t(10 * i)});
    std::string png = encode_png(3, 2, rgba, alpha);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::vector<chunk> c = chunks_of(png);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].type, "IHDR");
    EXPECT_EQ(c[1].type, "IDAT");
    EXPECT_EQ(c[2].type, "IEND");
    for (const chunk& k : c) EXPECT_TRUE(k.crc_ok) << k.type;
    EXPECT_EQ(be32(c[0].data, 0), 3u);
    EXPECT_EQ(be32(c[0].data, 4), 2u);
    EXPECT_EQ(c[0].data[8], 8);
    EXPECT_EQ(c[0].data[9], alpha ? 6 : 2);
    int bpp = alpha ? 4 : 3;
    std::vector<Bytef> raw(2 * (1 + 3 * bpp));
    uLongf size = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(c[1].data.data()),
                         static_cast<uLong>(c[1].data.size())),
              Z_OK);
    ASSERT_EQ(size, raw.size());
    EXPECT_EQ(raw[0], 0);                           // no filter
    EXPECT_EQ(raw[1 + 3 * bpp + 1 + bpp], 4);       // second row, second pixel: red 4
    if (alpha) {
      EXPECT_EQ(raw[1 + 3 * bpp + 1 + 7], 40);  // and its alpha
    }
  }
}

TEST(png_writer, large_pictures_compress_and_round_trip) {
  // Flat areas with some detail: matches at pixel and row distances, and literals.
  std::vector<std::uint8_t> rgba(300 * 100 * 4, 7);
  for (size_t i = 0; i < rgba.size(); i += 4 * 37) rgba[i] = static_cast<std::uint8_t>(i * 31);
  std::string png = encode_png(300, 100, rgba, true);
  EXPECT_LT(png.size(), rgba.size() / 10);
  std::vector<chunk> c = chunks_of(png);
  ASSERT_EQ(c.size(), 3u);
  std::vector<Bytef> raw(100 * (1 + 300 * 4));
  uLongf size = static_cast<uLongf>(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(c[1].data.data()),
                       static_cast<uLong>(c[1].data.size())),
            Z_OK);
  ASSERT_EQ(size, raw.size());
  for (int y = 0; y < 100; ++y) {
    ASSERT_EQ(raw[y * 1201], 0);
    ASSERT_EQ(std::memcmp(&raw[y * 1201 + 1], &rgba[y * 1200], 1200), 0) << y;
  }
}

}  // namespace
