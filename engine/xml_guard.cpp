#include "engine/xml_guard.h"

#include <cstring>

namespace {

constexpr size_t terminator_bytes = 8;

// Where `needle` starts at or after `from`, or n when it does not. The texts between markup
// are short: a plain loop beats a library call per search.
size_t find_text(const char* s, size_t n, size_t from, const char* needle, size_t needle_length) {
  if (from + needle_length > n) return n;
  const size_t last = n - needle_length;
  for (size_t at = from; at <= last; ++at) {
    if (s[at] == needle[0] && std::memcmp(s + at + 1, needle + 1, needle_length - 1) == 0) return at;
  }
  return n;
}

// Where `end_text` ends after `from`, or the end of the text.
template <size_t N>
size_t skip_past(const char* s, size_t n, size_t from, const char (&end_text)[N]) {
  const size_t at = find_text(s, n, from, end_text, N - 1);
  return at == n ? n : at + N - 1;
}

bool starts_with(const char* s, size_t n, size_t at, const char* prefix, size_t prefix_length) {
  return n - at >= prefix_length && std::memcmp(s + at, prefix, prefix_length) == 0;
}

bool opens_element(unsigned char c) {
  // As the parser decides: a letter, "_", or any byte of a multi-byte character.
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

}  // namespace

std::unique_ptr<char[]> terminated_xml_text(const char* text, size_t length) {
  std::unique_ptr<char[]> copy(new char[length + terminator_bytes]);
  if (length) std::memcpy(copy.get(), text, length);
  std::memset(copy.get() + length, 0, terminator_bytes);
  return copy;
}

bool xml_nests_too_deep(const char* s, size_t n) {
  int depth = 0;
  size_t p = 0;
  for (;;) {
    while (p < n && s[p] != '<') ++p;
    if (p >= n) return false;
    if (starts_with(s, n, p, "<!--", 4)) {
      p = skip_past(s, n, p + 4, "-->");
    } else if (starts_with(s, n, p, "<![CDATA[", 9)) {
      p = skip_past(s, n, p + 9, "]]>");
    } else if (starts_with(s, n, p, "</", 2)) {
      if (depth > 0) --depth;
      p = skip_past(s, n, p + 2, ">");
    } else if (p + 1 < n && opens_element(static_cast<unsigned char>(s[p + 1]))) {
      size_t q = p + 1;
      while (q < n && s[q] != '>') {
        if (s[q] == '"' || s[q] == '\'') {
          const void* close = std::memchr(s + q + 1, s[q], n - q - 1);
          q = close ? size_t(static_cast<const char*>(close) - s) + 1 : n;
        } else {
          ++q;
        }
      }
      if (q >= n) return false;  // a start tag that never ends opens nothing
      if (s[q - 1] != '/' && ++depth > max_xml_depth) return true;
      p = q + 1;
    } else {
      p = skip_past(s, n, p + 1, ">");
    }
  }
}
