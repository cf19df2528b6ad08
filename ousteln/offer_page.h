// Where Ousteln's offer page lives. The browser started when the shell cannot open the page
// is the one of base/web_page.h.
#pragma once

#include <string>
#include <string_view>

#include "base/web_page.h"

// The maker's web host.
extern const char16_t offer_host[];

// The offer page: the path "/special" on the maker's host.
std::u16string offer_page_address();
