#include "engine/version_compare.h"

#include <climits>
#include <cstdlib>

namespace {

// One decimal integer as a stream reads it: blanks, an optional sign, at least one digit.
bool read_int(const char*& p, int& value) {
  const char* q = p;
  while (*q == ' ' || *q == '\t' || *q == '\n' || *q == '\r' || *q == '\v' || *q == '\f') ++q;
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  if (*q < '0' || *q > '9') return false;
  long long v = 0;
  while (*q >= '0' && *q <= '9') {
    v = v * 10 + (*q++ - '0');
    if (v > INT_MAX) v = INT_MAX;  // an overflowing read saturates, as the stream does
  }
  value = int(negative ? -v : v);
  p = q;
  return true;
}

}  // namespace

std::array<int, 4> parse_version_numbers(const char* text) {
  std::array<int, 4> n{0, 0, 0, 0};
  const char* p = text ? text : "";
  if (!read_int(p, n[0])) return n;
  for (int i = 1; i < 4; ++i) {
    if (*p == 0) break;
    ++p;  // the separator, whatever it is
    if (!read_int(p, n[i])) break;
  }
  return n;
}

bool compare_versions(const char* first, const char* second) {
  auto a = parse_version_numbers(first);
  auto b = parse_version_numbers(second);
  for (int i = 0; i < 4; ++i)
    if (a[i] != b[i]) return b[i] < a[i];
  return false;
}
