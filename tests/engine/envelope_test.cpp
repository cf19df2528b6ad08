#include "engine/envelope.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "tests/support/hex_text.h"

namespace {

byte_buffer from_hex(const std::string& h) {
  byte_buffer b;
  for (size_t i = 0; i + 1 < h.size(); i += 2) b.push_back(uint8_t(std::stoul(h.substr(i, 2), nullptr, 16)));
  return b;
}

byte_buffer bytes(const std::string& s) { return byte_buffer(s.begin(), s.end()); }

// The whole way out and back, as the exchange does it.
std::string round_trip(const std::string& text) {
  byte_buffer sealed;
  EXPECT_EQ(compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), sealed), 0);
  EXPECT_EQ(encrypt_buffer(sealed), 0);
  byte_buffer plain, out;
  EXPECT_EQ(decrypt_buffer(sealed.size(), plain, sealed.data(), sealed.size()), 0);
  EXPECT_EQ(uncompress_buffer(out, plain.data(), plain.size()), 0);
  return std::string(out.begin(), out.end());
}

TEST(Envelope, KnownAnswerOfTheCipherOverOneZeroBlock) {
  byte_buffer b(16, 0);
  ASSERT_EQ(encrypt_buffer(b), 0);
  EXPECT_EQ(hex_text(b), "451367773f4399a0900f85505d0960e9");
  // The vector is not carried over: the same block enciphers the same way every time.
  byte_buffer again(16, 0);
  ASSERT_EQ(encrypt_buffer(again), 0);
  EXPECT_EQ(hex_text(again), hex_text(b));
}

TEST(Envelope, OpensAnEnvelopeSealedByTheStandInService) {
  // Made by tools/service/envelope.py from the text below.
  const byte_buffer sealed = from_hex(
      "2e671beb4f7d52dcdef17ea9e27594a5ed5d8e547cb419a21f3f4cbbdfb1cbe6f5c3cf6bd7bd6a931e5a5297edf96111");
  byte_buffer plain, out;
  ASSERT_EQ(decrypt_buffer(sealed.size(), plain, sealed.data(), sealed.size()), 0);
  ASSERT_EQ(uncompress_buffer(out, plain.data(), plain.size()), 0);
  EXPECT_EQ(std::string(out.begin(), out.end()), "<?xml version=\"1.0\"?><a>stand-in</a>");
}

TEST(Envelope, EmptyInputIsRefused) {
  byte_buffer empty, out;
  EXPECT_EQ(encrypt_buffer(empty), -1);
  const uint8_t one = 0;
  EXPECT_EQ(decrypt_buffer(0, out, &one, 1), -1);
}

TEST(Envelope, PadsToWholeBlocksOnlyWhenNeeded) {
  for (size_t n : {size_t(1), size_t(15), size_t(16), size_t(17), size_t(32), size_t(33)}) {
    byte_buffer b(n, 0x41);
    ASSERT_EQ(encrypt_buffer(b), 0);
    EXPECT_EQ(b.size(), (n + 15) / 16 * 16) << n;
  }
  // 17 bytes: the last 15 are zeros before enciphering.
  byte_buffer b(17, 0x41), plain;
  ASSERT_EQ(encrypt_buffer(b), 0);
  ASSERT_EQ(decrypt_buffer(b.size(), plain, b.data(), b.size()), 0);
  EXPECT_EQ(plain, [] { byte_buffer e(17, 0x41); e.resize(32, 0); return e; }());
}

TEST(Envelope, RoundTripsTextsOfManySizes) {
  EXPECT_EQ(round_trip("x"), "x");
  std::string big;
  for (int i = 0; i < 200000; ++i) big += char('a' + (i * 7919) % 26);
  EXPECT_EQ(round_trip(big), big);
}

TEST(Envelope, BodyShortOfAWholeBlockIsCompletedWithZerosNotReadPast) {
  const std::string text = "<hardwares/>";
  byte_buffer z;
  ASSERT_EQ(compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), z), 0);
  ASSERT_EQ(z.size(), 20u);  // a 20-byte stream: 12 zero bytes complete the second block
  byte_buffer sealed = z;
  ASSERT_EQ(encrypt_buffer(sealed), 0);
  // The body on the wire was cut to 20 bytes: the plain text comes out wrong but nothing past
  // the 20 bytes given is read (the sanitizers of the host build would see it).
  byte_buffer body(sealed.begin(), sealed.begin() + 20), plain;
  ASSERT_EQ(decrypt_buffer(body.size(), plain, body.data(), body.size()), 0);
  EXPECT_EQ(plain.size(), 32u);

  // A 20-byte plain zlib stream deciphered and inflated: the zeros after its end are ignored.
  byte_buffer padded = z, out;
  padded.resize(32, 0);
  ASSERT_EQ(uncompress_buffer(out, padded.data(), padded.size()), 0);
  EXPECT_EQ(std::string(out.begin(), out.end()), text);
}

TEST(Envelope, TruncatedOrDamagedStreamsFail) {
  const std::string text(5000, 'q');
  byte_buffer z, out;
  ASSERT_EQ(compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), z), 0);
  EXPECT_EQ(uncompress_buffer(out, z.data(), z.size() - 3), -3);
  const byte_buffer junk = bytes("this is no zlib stream at all");
  EXPECT_LT(uncompress_buffer(out, junk.data(), junk.size()), 0);
  EXPECT_LT(uncompress_buffer(out, nullptr, 0), 0);
}

TEST(Envelope, InflatedSizeIsBounded) {
  // A small stream that inflates to far more than any answer may hold.
  const std::string text(4 << 20, '\0');
  byte_buffer z, out;
  ASSERT_EQ(compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), z), 0);
  EXPECT_LT(uncompress_buffer(out, z.data(), z.size(), 1 << 20), 0);
  EXPECT_LE(out.size(), size_t(1) << 20);
  // Exactly at the bound is still whole.
  EXPECT_EQ(uncompress_buffer(out, z.data(), z.size(), text.size()), 0);
  EXPECT_EQ(out.size(), text.size());
}

TEST(Envelope, CompressedStreamIsZlibFormat) {
  const std::string text = "abc";
  byte_buffer z;
  ASSERT_EQ(compress_buffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), z), 0);
  ASSERT_GE(z.size(), 6u);
  EXPECT_EQ(z[0], 0x78);  // deflate, 32K window
  EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0);
  uLongf n = 16;
  uint8_t back[16];
  EXPECT_EQ(uncompress(back, &n, z.data(), uLong(z.size())), Z_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), n), text);
}

}  // namespace
