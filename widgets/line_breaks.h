// Where a line of text may end: the one rule that every text the program wraps itself follows.
// English breaks only after a space, tab or line feed. Japanese (and Chinese) text, which has
// no spaces, may also break between two characters when either is a kana, an ideograph or a
// full-width form, except before a mark that may not start a line (closing brackets, commas
// and full stops, small kana, the long-vowel and iteration marks, ...) and after one that may
// not end it (opening brackets). A surrogate pair or a combining mark is never split.
#pragma once

#include <cstddef>
#include <string_view>

// A mark that may not start a line: 、。）」ー ぁ ッ ！？ and their kin, full-width and half-width.
bool is_no_line_start(char16_t c);
// A mark that may not end a line: （「『【〈《 and their kin.
bool is_no_line_end(char16_t c);
// Kana, ideographs, CJK punctuation and full-width or half-width forms: text that breaks
// between its characters rather than at spaces.
bool breaks_between_characters(char16_t c);

// True when a line may end before text[i] although no space stands there (0 < i < size).
bool may_break_before(std::u16string_view text, size_t i);

// The end of a line that starts at `start` and whose character `overflow` no longer fits
// (start <= overflow < size): the index of the next line's first character. That is after the
// last space, tab or line feed, or at the last place where the text may break between
// characters, whichever comes later, up to and including the overflowing character itself;
// when there is neither, the line is cut just before the overflowing character, but never
// inside a surrogate pair and never empty.
size_t line_end(std::u16string_view text, size_t start, size_t overflow);
