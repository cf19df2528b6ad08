#include <windows.h>

#include "base/wide.h"
#include "engine/ranking_text.h"

int locale_compare(const char16_t* a, const char16_t* b) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, 0, as_wide(a ? a : u""), -1, as_wide(b ? b : u""), -1);
  if (r == 0) return plain_compare(a, b);  // only for invalid arguments; keep an order anyway
  return r - CSTR_EQUAL;
}
