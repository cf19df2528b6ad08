// The platform's converters and casing.
#include <windows.h>

#include "base/text.h"
#include "base/wide.h"

namespace {

std::u16string to_u16(UINT page, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(page, 0, s.data(), int(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(size_t(n), u'\0');
  MultiByteToWideChar(page, 0, s.data(), int(s.size()), as_wide(&out[0]), n);
  return out;
}

std::string from_u16(UINT page, std::u16string_view w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(page, 0, as_wide(w.data()), int(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(page, 0, as_wide(w.data()), int(w.size()), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

std::u16string utf8_to_u16(std::string_view s) { return to_u16(CP_UTF8, s); }
std::string u16_to_utf8(std::u16string_view w) { return from_u16(CP_UTF8, w); }
std::u16string ansi_to_u16(std::string_view s) { return to_u16(CP_ACP, s); }
std::string u16_to_ansi(std::u16string_view w) { return from_u16(CP_ACP, w); }

size_t copy_cut_ansi(char16_t* field, size_t capacity, std::string_view s) {
  if (capacity == 0) return 0;
  // An ANSI page never makes more UTF-16 units than bytes: a text shorter than the field
  // converts whole into it.
  if (!s.empty() && s.size() < capacity) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), as_wide(field), int(capacity - 1));
    if (n > 0) {
      field[n] = 0;
      return size_t(n);
    }
  }
  return copy_cut(field, capacity, ansi_to_u16(s));
}
unsigned ansi_code_page() { return GetACP(); }

char16_t fold_case(char16_t c) {
  WCHAR one[1] = {WCHAR(c)};
  CharUpperBuffW(one, 1);
  return char16_t(one[0]);
}
