#include "base/text.h"

#include <algorithm>

bool equal_ci(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold_case(a[i]) != fold_case(b[i])) return false;
  return true;
}

bool contains_ci(std::u16string_view haystack, std::u16string_view needle) {
  if (needle.empty()) return true;
  if (needle.size() > haystack.size()) return false;
  for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
    if (equal_ci(haystack.substr(start, needle.size()), needle)) return true;
  }
  return false;
}

bool equal_ci_ascii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto up = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (up(a[i]) != up(b[i])) return false;
  return true;
}

template <typename C>
static size_t copy_cut_impl(C* field, size_t capacity, std::basic_string_view<C> text) {
  if (capacity == 0) return 0;
  size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), n, field);
  field[n] = 0;
  return n;
}

size_t copy_cut(char16_t* field, size_t capacity, std::u16string_view text) {
  return copy_cut_impl(field, capacity, text);
}

size_t copy_cut(char* field, size_t capacity, std::string_view text) {
  return copy_cut_impl(field, capacity, text);
}
