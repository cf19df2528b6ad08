// Date texts: the service's "year-month-day" dates and the local time shown in lists.
#pragma once

#include <cstdint>
#include <string>

// Local midnight of a "year-month-day" text as a 64-bit time; -1 when out of range.
int64_t parse_date(const char16_t* text);
// "yyyy/mm/d hh:mm:ss" of the local time (the day is not padded).
std::u16string local_time_text();
// The local time as the parts the text is made of (a seam for tests of the format).
struct local_time_parts {
  unsigned short year, month, day, hour, minute, second;
};
local_time_parts local_time_now();
std::u16string format_local_time(const local_time_parts& t);
