// Host stand-ins for the platform's converters: an own UTF-8 codec and Windows-1252 as the
// ANSI code page. Invalid UTF-8 becomes U+FFFD; characters 1252 lacks become '?'.
#include <algorithm>

#include "base/text.h"

namespace {

const char16_t cp1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void append_utf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += char16_t(0xD800 + (cp >> 10));
    out += char16_t(0xDC00 + (cp & 0x3FF));
  } else {
    out += char16_t(cp);
  }
}

}  // namespace

std::u16string utf8_to_u16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + size_t(extra) >= s.size() + (extra == 0 ? 1 : 0)) {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t min_for[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < min_for[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    append_utf16(out, cp);
    i += extra + 1;
  }
  return out;
}

std::string u16_to_utf8(std::u16string_view w) {
  std::string out;
  out.reserve(w.size());
  for (size_t i = 0; i < w.size(); ++i) {
    char32_t cp = w[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::u16string ansi_to_u16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (unsigned char c : s) out += (c >= 0x80 && c < 0xA0) ? cp1252_high[c - 0x80] : char16_t(c);
  return out;
}

size_t copy_cut_ansi(char16_t* field, size_t capacity, std::string_view s) {
  if (capacity == 0) return 0;
  const size_t n = std::min(s.size(), capacity - 1);  // one unit per byte
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    field[i] = (c >= 0x80 && c < 0xA0) ? cp1252_high[c - 0x80] : char16_t(c);
  }
  field[n] = 0;
  return n;
}

std::string u16_to_ansi(std::u16string_view w) {
  std::string out;
  out.reserve(w.size());
  for (char16_t c : w) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += char(c);
      continue;
    }
    char b = '?';
    for (int k = 0; k < 32; ++k)
      if (cp1252_high[k] == c) b = char(0x80 + k);
    out += b;
  }
  return out;
}

unsigned ansi_code_page() { return 1252; }

char16_t fold_case(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 32);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
    bool odd_is_lower = !((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E));
    if (odd_is_lower ? (c & 1) : !(c & 1)) return char16_t(c - 1);
    return c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return char16_t(c - 32);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 32);
  return c;
}
