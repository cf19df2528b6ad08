#include <windows.h>
#include <psapi.h>

#include "bench/ranking/peak_memory.h"

uint64_t peak_memory_bytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
}
