#include "engine/ranking_text.h"

#include <string_view>

int plain_compare(const char16_t* a, const char16_t* b) {
  std::u16string_view x(a ? a : u""), y(b ? b : u"");
  int c = x.compare(y);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}
