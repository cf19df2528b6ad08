// Text conversions and comparisons shared by every program.
// Wide text is UTF-16 (char16_t); narrow text is UTF-8 or the ANSI code page, as each
// function's name says. On Windows the ANSI page is the thread's (CP_ACP); the host build
// stands in Windows-1252 for it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

std::u16string utf8_to_u16(std::string_view utf8);
std::string u16_to_utf8(std::u16string_view wide);
std::u16string ansi_to_u16(std::string_view ansi);
std::string u16_to_ansi(std::u16string_view wide);
unsigned ansi_code_page();

// Case-insensitive comparison of whole texts, and search of one inside another.
bool equal_ci(std::u16string_view a, std::u16string_view b);
bool contains_ci(std::u16string_view haystack, std::u16string_view needle);
bool equal_ci_ascii(std::string_view a, std::string_view b);

// path_join and the other path rules live in base/path.h; included here for the callers
// that found them in this header.
#include "base/path.h"

// Copies into a fixed-capacity field, cut so that the terminator fits; returns the length copied.
size_t copy_cut(char16_t* field, size_t capacity, std::u16string_view text);
size_t copy_cut(char* field, size_t capacity, std::string_view text);

// The ANSI text converted into the field and cut, as copy_cut(field, capacity, ansi_to_u16(ansi))
// stores it, without the whole converted text in between when it fits.
size_t copy_cut_ansi(char16_t* field, size_t capacity, std::string_view ansi);

template <size_t N>
size_t copy_cut(char16_t (&field)[N], std::u16string_view text) { return copy_cut(field, N, text); }
template <size_t N>
size_t copy_cut(char (&field)[N], std::string_view text) { return copy_cut(field, N, text); }

// Length of a terminated wide text (std::char_traits, spelled once).
inline size_t u16_length(const char16_t* s) { return std::char_traits<char16_t>::length(s); }

// Upper-case form of one UTF-16 unit, as the case-insensitive compares use it.
char16_t fold_case(char16_t c);
