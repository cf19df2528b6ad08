// Windows only: UTF-16 text of the portable code seen as the platform's wide characters.
// wchar_t and char16_t have the same size and representation on Windows.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

inline const wchar_t* as_wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* as_wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const wchar_t* as_wide(const std::u16string& s) { return as_wide(s.c_str()); }
inline const char16_t* as_u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* as_u16(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }
