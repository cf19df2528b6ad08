#include "widgets/line_breaks.h"

namespace {

// Closing brackets and quotes, commas and full stops, dividing punctuation, middle dots,
// hyphens, iteration and long-vowel marks, small kana, voiced-sound marks and the marks that
// follow a number, as ASCII, in their Japanese forms and as full-width and half-width forms.
constexpr std::u16string_view no_start =
    u"!),.:;?]}\u00B0\u2010\u2013\u2019\u201D\u2025\u2026\u2030\u203C\u2047\u2048\u2049\u2103"
    u"、。〃々〉》」』】〕〗〙〛〜〞〟〻"
    u"ぁぃぅぇぉっゃゅょゎゕゖ\u3099\u309A゛゜ゝゞ゠"
    u"ァィゥェォッャュョヮヵヶ・ーヽヾ"
    u"！％），．：；？］｝～｠"
    u"｡｣､･ｧｨｩｪｫｬｭｮｯｰﾞﾟ";

// Opening brackets and quotes and the marks that stand before a number.
constexpr std::u16string_view no_end = u"([{\u00AB\u2018\u201C〈《「『【〔〖〘〚〝＄（［｛｟｢￥";

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
// Ideographs beyond the first plane (extensions B and later) start with these.
bool is_ideograph_lead(char16_t c) { return c >= 0xD840 && c <= 0xD8BF; }

// Marks drawn on the character before them.
bool is_combining(char16_t c) {
  return (c >= 0x0300 && c <= 0x036F) || c == 0x3099 || c == 0x309A || (c >= 0xFE00 && c <= 0xFE0F) ||
         c == 0x200D;
}

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

}  // namespace

bool is_no_line_start(char16_t c) {
  return no_start.find(c) != std::u16string_view::npos || (c >= 0x31F0 && c <= 0x31FF);  // small katakana
}

bool is_no_line_end(char16_t c) { return no_end.find(c) != std::u16string_view::npos; }

bool breaks_between_characters(char16_t c) {
  return (c >= 0x2E80 && c <= 0x303F) ||  // radicals, CJK symbols and punctuation
         (c >= 0x3040 && c <= 0x31FF) ||  // kana, bopomofo, small katakana
         (c >= 0x3200 && c <= 0x4DBF) ||  // enclosed and compatibility forms, extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // ideographs
         (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility ideographs
         (c >= 0xFE30 && c <= 0xFE4F) ||  // compatibility forms
         (c >= 0xFF00 && c <= 0xFFEF);    // full-width and half-width forms
}

bool may_break_before(std::u16string_view text, size_t i) {
  if (i == 0 || i >= text.size()) return false;
  const char16_t before = text[i - 1], after = text[i];
  if (is_space(before) || is_space(after)) return false;  // spaces break by themselves
  if (is_low_surrogate(after) || is_high_surrogate(before) || is_combining(after)) return false;
  const bool wide_before = is_low_surrogate(before) ? i >= 2 && is_ideograph_lead(text[i - 2])
                                                    : breaks_between_characters(before);
  const bool wide_after = is_high_surrogate(after) ? is_ideograph_lead(after) : breaks_between_characters(after);
  if (!wide_before && !wide_after) return false;  // inside an English word
  return !is_no_line_start(after) && !is_no_line_end(before);
}

size_t line_end(std::u16string_view text, size_t start, size_t overflow) {
  const size_t n = text.size();
  if (start >= n) return n;
  if (overflow >= n) overflow = n - 1;
  for (size_t j = overflow + 1; j-- > start;) {
    if (is_space(text[j])) return j + 1;  // the line ends with its space
    if (j > start && may_break_before(text, j)) return j;
  }
  // Nowhere to break: cut where the line overflows, at least one character a line.
  size_t end = overflow > start ? overflow : start + 1;
  if (end < n && is_low_surrogate(text[end]) && is_high_surrogate(text[end - 1]))
    end = end - 1 > start ? end - 1 : end + 1;
  return end;
}
