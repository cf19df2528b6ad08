#include <sys/resource.h>

#include "bench/ranking/peak_memory.h"

uint64_t peak_memory_bytes() {
  struct rusage usage {};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return uint64_t(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}
