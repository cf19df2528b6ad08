// A byte count as the short text shown wherever a size is shown: "1023B", "1.50KB", "5.00GB".
#pragma once

#include <cstddef>
#include <cstdint>

// The longest text for a 64-bit count, terminator included.
constexpr size_t size_text_capacity = 22;

// Writes the text into `out` (at least size_text_capacity characters; cut to `capacity`).
void format_size_text(int64_t bytes, char16_t* out, size_t capacity = size_text_capacity);
