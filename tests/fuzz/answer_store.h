// The small device store and config record that the answer targets read answers into.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/documents.h"
#include "tests/engine/answer_readers.h"
#include "tests/engine/documents_fixture.h"

struct answer_config_record {
  int32_t desc = 0;
  uint32_t autorun = 2;
  char16_t link[uninstall_link_capacity] = {};
  driver_config_target target() { return {&desc, &autorun, link, nullptr}; }
};

// Reads the answer into a fresh fixture store; every device keeps at most the allowed number
// of candidates and the link its terminator. The answer read one hardware element at a time
// leaves everything as the whole tree's reading does.
inline void read_answer_into_fixture(const char* text, size_t length) {
  std::vector<device_info> store = fixture_store();
  answer_config_record config;
  parse_driver_answer(text, length, store, config.target());
  for (const device_info& d : store)
    if (d.candidates.size() > size_t(max_candidates_per_device)) __builtin_trap();
  if (config.link[uninstall_link_capacity - 1] != 0) __builtin_trap();
  if (!answer_readers_differ(text, length).empty()) __builtin_trap();
}
