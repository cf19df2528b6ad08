// How the deflate fuzz target reads its bytes, shared with the regression tests that replay
// its findings: the first byte gives the largest read answered (bits 0-1), the level (bits
// 2-4) and, when its top
// bits are set, how often the rest is repeated, each copy changed a little, so that inputs
// reach past the window and the block buffers (few inputs do: big ones make runs slow).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct deflate_fuzz_input {
  std::string data;
  size_t chunk = ~size_t(0);
  int level = 1;
};

inline deflate_fuzz_input read_deflate_fuzz_input(const uint8_t* bytes, size_t size) {
  deflate_fuzz_input in;
  if (size == 0) return in;
  static const size_t chunks[] = {~size_t(0), 1, 7, 4096};
  in.chunk = chunks[bytes[0] & 3];
  in.level = 1 + ((bytes[0] >> 2) & 7);
  const size_t copies = bytes[0] >= 0xC0 ? size_t(1) << (bytes[0] >> 5) : 1;
  in.data.reserve((size - 1) * copies);
  for (size_t k = 0; k < copies && in.data.size() < (size_t(1) << 18); ++k)
    for (size_t i = 1; i < size; ++i) in.data += char(bytes[i] ^ (i % 61 == 0 ? uint8_t(k) : 0));
  return in;
}
