// history.dat loading on any bytes: the file is written to a folder of this run's own and
// loaded as the ranking loads it; every line counted is found again by its address.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "engine/helpers.h"
#include "engine/history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    char name[] = "/tmp/fuzz_history.XXXXXX";
    if (!mkdtemp(name)) std::abort();
    return std::string(name);
  }();
  const std::u16string folder16 = utf8_to_u16(folder);
  FILE* f = std::fopen(u16_to_utf8(path_join(folder16, history_file_name)).c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  match_context context;
  const uint32_t lines = load_history(context, folder16.c_str());
  uint32_t total = 0;
  for (const auto& entry : context.history) {
    if (entry.first.empty() || history_count(context, entry.first.c_str()) != entry.second) __builtin_trap();
    total += entry.second;
  }
  if (total != lines) __builtin_trap();
  return 0;
}
