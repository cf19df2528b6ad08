// Dotted version texts as numbers: "8.5" reads 8, 5, 0, 0; any one character separates.
#pragma once

#include <array>

std::array<int, 4> parse_version_numbers(const char* text);
// True when `second` is lower than `first`.
bool compare_versions(const char* first, const char* second);
