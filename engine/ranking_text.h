// The two orders the ranking and the driver groups compare texts by.
#pragma once

// Code unit by code unit; a text that is a prefix of the other sorts first. Null reads as "".
int plain_compare(const char16_t* a, const char16_t* b);
// The platform's locale-aware order (lstrcmpW's, the user's default locale) on Windows; the
// host stands in the plain order. Negative, 0 or positive. Null reads as "".
int locale_compare(const char16_t* a, const char16_t* b);
