// The answer path from the wire: any body deciphered and inflated under the cap, and the
// inflated answer read into the fixture store. The cipher turns any change into noise, so
// half the inputs skip it and go to the inflater as if deciphered.
#include <cstddef>
#include <cstdint>

#include "engine/envelope.h"
#include "tests/fuzz/answer_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool sealed = data[0] & 1;
  // A small cap keeps runs fast; the cap's check is the same for any size.
  const size_t cap = data[0] & 2 ? 4096 : 1 << 20;
  ++data, --size;
  byte_buffer plain;
  const uint8_t* stream = data;
  size_t stream_size = size;
  if (sealed) {
    if (decrypt_buffer(size, plain, data, size) != 0) return 0;
    if (plain.size() % 16 != 0 || plain.size() < size) __builtin_trap();
    stream = plain.data();
    stream_size = plain.size();
  }
  byte_buffer answer;
  if (uncompress_buffer(answer, stream, stream_size, cap) != 0) return 0;
  if (answer.size() > cap) __builtin_trap();
  read_answer_into_fixture(reinterpret_cast<const char*>(answer.data()), answer.size());
  return 0;
}
