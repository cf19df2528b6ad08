// The host has no user locale of Windows: dates and class names are compared by code unit,
// which agrees with the linguistic order on well-formed year-month-day texts.
#include "engine/ranking_text.h"

int locale_compare(const char16_t* a, const char16_t* b) { return plain_compare(a, b); }
