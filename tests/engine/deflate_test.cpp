#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "engine/zip/deflate.h"
#include "tests/engine/deflate_corpus.h"
#include "tests/engine/deflate_trace.h"
#include "tests/fuzz/deflate_input.h"

namespace {

struct memory_io {
  explicit memory_io(const std::string* input) : in(input) {}
  const std::string* in;
  size_t pos = 0;
  size_t chunk = ~size_t(0);  // largest read answered
  long fail_read_at = -1;     // input position at which a read answers -1
  int fail_write_call = -1;   // which write call fails (0 = first)
  int write_calls = 0;
  int writes_after_failure = 0;
  std::string out;
};

int mem_read(void* c, uint8_t* buffer, unsigned size) {
  auto* io = static_cast<memory_io*>(c);
  if (io->fail_read_at >= 0 && io->pos >= size_t(io->fail_read_at)) return -1;
  size_t n = std::min({size_t(size), io->in->size() - io->pos, io->chunk});
  if (io->fail_read_at >= 0) n = std::min(n, size_t(io->fail_read_at) - io->pos);
  std::memcpy(buffer, io->in->data() + io->pos, n);
  io->pos += n;
  return int(n);
}

bool mem_write(void* c, const uint8_t* buffer, unsigned size) {
  auto* io = static_cast<memory_io*>(c);
  int call = io->write_calls++;
  if (io->fail_write_call >= 0 && call > io->fail_write_call) io->writes_after_failure++;
  if (call == io->fail_write_call) return false;
  io->out.append(reinterpret_cast<const char*>(buffer), size);
  return true;
}

struct packed {
  std::string out;
  const char* message;
  uint16_t flags = 0;
  uint64_t reported = 0;
};

packed pack(const std::string& in, int level, size_t chunk = ~size_t(0)) {
  memory_io io(&in);
  io.chunk = chunk;
  packed p;
  p.message = deflate_stream(mem_read, mem_write, &io, level, &p.flags, &p.reported);
  p.out = io.out;
  return p;
}

// Stock zlib in raw mode, the reference decoder.
std::string zlib_inflate(const std::string& in, bool* ok) {
  z_stream z{};
  inflateInit2(&z, -15);
  std::string out;
  char buffer[65536];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  int r;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    r = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  } while (r == Z_OK);
  *ok = r == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return out;
}

struct corpus_case {
  std::string name;
  std::string data;
};

std::vector<corpus_case> corpus() {
  std::vector<corpus_case> c = {
      {"empty", ""},
      {"one byte", "A"},
      {"two bytes", "AB"},
      {"noise 200 KiB", deflate_noise(200000, 1)},
      {"run of 1000", std::string(1000, 'x')},
      {"text 300 KiB", deflate_text(300000, 2)},
      // Ends near the window's end with no slide after it: the search there must not fail.
      {"text of 65500 bytes", deflate_text(65500, 8)},
      {"text of 98268 bytes", deflate_text(98268, 8)},
      {"text then noise then text", deflate_text(70000, 3) + deflate_noise(40000, 4) + deflate_text(90000, 3)},
      {"all byte values", [] {
         std::string s;
         for (int r = 0; r < 300; ++r)
           for (int b = 0; b < 256; ++b) s += char((b * 7 + r) & 0xFF);
         return s;
       }()},
  };
  // A fuzzer's input whose code-length tree ran past 7 bits: the lengths were once cut back
  // too little and the level 4 run gave up.
  std::string found = read_file_bytes(source_path("tests/fuzz/corpus/deflate/overfull_length_code"));
  c.push_back({"overfull length code",
               read_deflate_fuzz_input(reinterpret_cast<const uint8_t*>(found.data()), found.size()).data});
  for (const auto& p : deflate_binaries(3, 150000)) c.push_back({p.filename().string(), read_file_bytes(p)});
  return c;
}

TEST(Deflate, EveryLevelInflatesBackWithZlib) {
  for (const auto& c : corpus()) {
    for (int level = 1; level <= 8; ++level) {
      SCOPED_TRACE(c.name + " level " + std::to_string(level));
      packed p = pack(c.data, level);
      EXPECT_EQ(p.message, nullptr) << p.message;
      EXPECT_EQ(p.reported, p.out.size());
      bool ok = false;
      EXPECT_TRUE(zlib_inflate(p.out, &ok) == c.data);
      EXPECT_TRUE(ok);
      deflate_trace t = trace_deflate(p.out);
      EXPECT_EQ(t.error, "");
      EXPECT_EQ(t.bytes_used, p.out.size());
      for (auto m : t.matches) EXPECT_LE(m.second, 32506u);
      if (c.data.size() > 1000 && c.name.rfind("noise", 0) != 0) {
        EXPECT_LT(p.out.size(), c.data.size() * 9 / 10);
      }
    }
  }
}

// The streams of generated inputs at every level, as FNV-1a over levels 1 to 8 in turn: how
// the matcher searches may change for speed, the bytes it writes may not.
TEST(Deflate, StreamsStayByteForByteAtEveryLevel) {
  struct pinned {
    const char* name;
    std::string data;
    uint64_t hash;
  };
  const pinned cases[] = {
      {"text", deflate_text(200000, 21), 0x249f7d9b07df54eeull},
      {"noise with echoes", deflate_noise_with_echoes(150000, 22), 0x59e0c63054d8eac7ull},
      {"records", deflate_records(120000), 0x9c192293760ae9aeull},
      {"text, noise, text", deflate_text(50000, 23) + deflate_noise(70000, 24) + deflate_text(60000, 23),
       0x5aef660f2d749fa2ull},
  };
  for (const auto& c : cases) {
    uint64_t h = 14695981039346656037ull;
    for (int level = 1; level <= 8; ++level) {
      for (unsigned char b : pack(c.data, level).out) h = (h ^ b) * 1099511628211ull;
      h = (h ^ 0xff) * 1099511628211ull;
    }
    EXPECT_EQ(h, c.hash) << c.name;
  }
}

TEST(Deflate, EmptyInputIsOneFixedBlockWithTheEndCode) {
  packed p = pack("", 8);
  EXPECT_EQ(p.message, nullptr);
  EXPECT_EQ(p.out, std::string("\x03\x00", 2));
}

TEST(Deflate, NoiseGoesIntoStoredBlocks) {
  std::string in = deflate_noise(300000, 9);
  packed p = pack(in, 8);
  deflate_trace t = trace_deflate(p.out);
  ASSERT_EQ(t.error, "");
  size_t stored = 0, stored_bytes = 0;
  for (const auto& b : t.blocks)
    if (b.type == 0) {
      ++stored, stored_bytes += b.stored_len;
      EXPECT_EQ(b.stored_nlen, b.stored_len ^ 0xFFFFu);
    }
  EXPECT_GE(stored, 5u);
  EXPECT_GT(stored_bytes, in.size() * 9 / 10);
  EXPECT_LT(p.out.size(), in.size() + in.size() / 500);
}

TEST(Deflate, LongRunUsesDistanceOneAndFullLengths) {
  std::string in = "ab" + std::string(5000, 'z') + "cd";
  packed p = pack(in, 8);
  deflate_trace t = trace_deflate(p.out);
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(t.output, in);
  ASSERT_FALSE(t.matches.empty());
  unsigned longest = 0;
  for (auto m : t.matches) {
    EXPECT_EQ(m.second, 1u);
    longest = std::max(longest, m.first);
  }
  EXPECT_EQ(longest, 258u);
  EXPECT_LT(p.out.size(), 60u);
}

TEST(Deflate, MatchesReachBackAcrossTheWindowSlide) {
  // A 20000-byte phrase of noise repeated: matches at distance 20000 all through 200 KB.
  std::string phrase = deflate_noise(20000, 5), in;
  while (in.size() < 200000) in += phrase;
  packed p = pack(in, 8);
  deflate_trace t = trace_deflate(p.out);
  ASSERT_EQ(t.error, "");
  EXPECT_EQ(t.output, in);
  size_t late = 0;
  for (size_t i = 0; i < t.matches.size(); ++i)
    if (t.match_at[i] > 140000 && t.matches[i].second == 20000) ++late;
  EXPECT_GT(late, 100u);
  EXPECT_LT(p.out.size(), 30000u);
}

TEST(Deflate, ShortReadsGiveTheSameStream) {
  std::string in = deflate_text(150000, 11);
  packed whole = pack(in, 8);
  for (size_t chunk : {1, 7, 300, 4096}) {
    SCOPED_TRACE(chunk);
    packed bits = pack(in, 8, chunk);
    EXPECT_EQ(bits.message, nullptr);
    EXPECT_TRUE(bits.out == whole.out);
  }
}

TEST(Deflate, LevelsOutsideOneToEightAreRefusedAndFlagsFollowTheLevel) {
  for (int level : {0, 9, -1}) {
    packed p = pack("some text", level);
    EXPECT_STREQ(p.message, "bad pack level") << level;
  }
  const uint16_t expected[] = {0, 4, 4, 0, 0, 0, 0, 0, 2};
  for (int level = 1; level <= 8; ++level) EXPECT_EQ(pack("abc", level).flags, expected[level]) << level;
}

TEST(Deflate, ReadErrorIsNotTheEndOfTheInput) {
  std::string in = deflate_text(200000, 4);
  for (long at : {0L, 1000L, 100000L}) {
    memory_io io(&in);
    io.fail_read_at = at;
    uint64_t n = 0;
    const char* m = deflate_stream(mem_read, mem_write, &io, 8, nullptr, &n);
    EXPECT_STREQ(m, "read error") << at;
  }
}

TEST(Deflate, FailedWriteStopsTheRun) {
  std::string in = deflate_noise(200000, 6);
  memory_io io(&in);
  io.fail_write_call = 1;
  uint64_t n = 0;
  const char* m = deflate_stream(mem_read, mem_write, &io, 8, nullptr, &n);
  EXPECT_STREQ(m, "write error");
  EXPECT_EQ(io.writes_after_failure, 0);
}

}  // namespace
