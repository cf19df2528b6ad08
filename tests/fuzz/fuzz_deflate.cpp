// The zip writer's compressor as a round trip: any input at any level 1 to 8 (the input
// picks it), read in chunks of any size, must inflate back (stock zlib, raw) to the input,
// with no message and the compressed size it reports.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/zip/deflate.h"
#include "tests/fuzz/deflate_input.h"

namespace {

struct memory_io {
  const std::string* in;
  size_t pos = 0;
  size_t chunk = 0;
  std::string out;
};

int mem_read(void* c, uint8_t* buffer, unsigned size) {
  auto* io = static_cast<memory_io*>(c);
  size_t n = std::min({size_t(size), io->in->size() - io->pos, io->chunk});
  std::memcpy(buffer, io->in->data() + io->pos, n);
  io->pos += n;
  return int(n);
}

bool mem_write(void* c, const uint8_t* buffer, unsigned size) {
  static_cast<memory_io*>(c)->out.append(reinterpret_cast<const char*>(buffer), size);
  return true;
}

bool inflates_to(const std::string& packed, const std::string& expected) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  std::string out(expected.size() + 1, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = uInt(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  int r = inflate(&z, Z_FINISH);
  size_t produced = out.size() - z.avail_out;
  bool whole = z.avail_in == 0;
  inflateEnd(&z);
  return r == Z_STREAM_END && whole && produced == expected.size() && out.compare(0, produced, expected) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const deflate_fuzz_input input = read_deflate_fuzz_input(data, size);
  memory_io io;
  io.in = &input.data;
  io.chunk = input.chunk;
  uint16_t flags = 0;
  uint64_t reported = 0;
  const char* message = deflate_stream(mem_read, mem_write, &io, input.level, &flags, &reported);
  if (message) __builtin_trap();
  if (reported != io.out.size()) __builtin_trap();
  if (!inflates_to(io.out, input.data)) __builtin_trap();
  return 0;
}
