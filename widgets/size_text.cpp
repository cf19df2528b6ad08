// The text is built here rather than by the C runtime's "%lld" and "%.2f": old msvcrt lacks
// %lld, and runtimes round exact ties differently. The quotient is the double n / 2^k, as
// the runtime would see it, rounded to two decimals exactly with ties to even.
#include "widgets/size_text.h"

#include <cmath>
#include <string>

#include "base/text.h"

namespace {

void append_unsigned(std::u16string& out, uint64_t v) {
  char16_t digits[21];
  int n = 0;
  do {
    digits[n++] = char16_t(u'0' + v % 10);
    v /= 10;
  } while (v);
  while (n) out += digits[--n];
}

// Hundredths of (double)bytes / 2^shift, rounded to nearest with ties to even.
uint64_t hundredths(int64_t bytes, int shift) {
  int exp = 0;
  double mant = std::frexp(double(bytes), &exp);           // bytes = mant * 2^exp, 0.5 <= mant < 1
  uint64_t m = uint64_t(std::ldexp(mant, 53));             // exact 53-bit integer
  int scale = exp - 53 - shift;                            // value = m * 2^scale
  uint64_t m100 = m * 100;                                 // below 2^60
  if (scale >= 0) return m100 << scale;                    // only for counts far beyond 2^63
  int s = -scale;
  if (s >= 64) return 0;
  uint64_t q = m100 >> s;
  uint64_t rem = m100 & ((uint64_t(1) << s) - 1);
  uint64_t half = uint64_t(1) << (s - 1);
  if (rem > half || (rem == half && (q & 1))) ++q;
  return q;
}

}  // namespace

void format_size_text(int64_t n, char16_t* out, size_t capacity) {
  std::u16string text;
  const char16_t* unit = u"B";
  int shift = 0;
  if (n > 1073741824) {
    shift = 30, unit = u"GB";
  } else if (n > 1048576) {
    shift = 20, unit = u"MB";
  } else if (n > 1024) {
    shift = 10, unit = u"KB";
  }
  if (shift == 0) {
    if (n < 0) text += u'-';
    append_unsigned(text, n < 0 ? uint64_t(0) - uint64_t(n) : uint64_t(n));
  } else {
    uint64_t h = hundredths(n, shift);
    append_unsigned(text, h / 100);
    text += u'.';
    text += char16_t(u'0' + h / 10 % 10);
    text += char16_t(u'0' + h % 10);
  }
  text += unit;
  copy_cut(out, capacity, text);
}
