// The decisions of the inventory about single records: cuts, multi-strings, the driver date
// and the class of a device.
#include <cstdio>

#include "base/text.h"
#include "engine/inventory.h"
#include "widgets/language.h"

std::optional<std::u16string> cut_instance_id(std::u16string_view id) {
  size_t last = id.rfind(u'\\');
  if (last == std::u16string_view::npos || last == 0) return std::nullopt;
  return std::u16string(id.substr(0, last));
}

std::u16string normalize_multi_string(std::u16string_view units) {
  std::u16string out;
  size_t start = 0;
  while (start < units.size()) {
    size_t end = units.find(u'\0', start);
    if (end == std::u16string_view::npos) end = units.size();
    if (end == start) break;
    out.append(units.substr(start, end - start));
    out.push_back(u'\0');
    start = end + 1;
  }
  if (!out.empty()) out.push_back(u'\0');
  return out;
}

namespace {

// Three decimal numbers separated by '-', and nothing else.
bool three_numbers(std::u16string_view text, long n[3], size_t digits[3]) {
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != u'-') return false;
      ++pos;
    }
    n[i] = 0;
    digits[i] = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
      if (++digits[i] > 5) return false;
      n[i] = n[i] * 10 + (text[pos] - u'0');
      ++pos;
    }
    if (!digits[i]) return false;
  }
  return pos == text.size();
}

bool valid_day(long year, long month, long day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::u16string year_month_day(long year, long month, long day) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld-%02ld-%02ld", year, month, day);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::u16string rewrite_driver_date(std::u16string_view date) {
  while (!date.empty() && date.front() == u' ') date.remove_prefix(1);
  while (!date.empty() && date.back() == u' ') date.remove_suffix(1);
  long n[3];
  size_t digits[3];
  if (!three_numbers(date, n, digits)) return {};
  if (valid_day(n[2], n[0], n[1])) return year_month_day(n[2], n[0], n[1]);
  // Some driver keys already hold the year first.
  if (digits[0] == 4 && valid_day(n[0], n[1], n[2])) return year_month_day(n[0], n[1], n[2]);
  return {};
}

device_class_info* find_device_class(device_store& store, const device_info& device) {
  std::u16string_view wanted =
      device.class_name[0] && device.class_guid[0] ? device.class_name : u"Unknown";
  for (device_class_info& c : store.classes)
    if (wanted == c.class_name) return &c;
  return nullptr;
}

std::u16string unknown_device_text() { return get_text("unknown_device"); }
