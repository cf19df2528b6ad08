// The answer reader alone on any document (handed over without a terminator, as the
// exchange does), into the small fixture store.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "tests/fuzz/answer_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the bytes: a read past them is the sanitizer's to see.
  std::unique_ptr<char[]> text(new char[size ? size : 1]);
  if (size) std::memcpy(text.get(), data, size);
  read_answer_into_fixture(text.get(), size);
  return 0;
}
