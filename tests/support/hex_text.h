// Bytes as lower-case hexadecimal digits, for comparing binary messages in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::string hex_text(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (uint8_t c : bytes) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}
