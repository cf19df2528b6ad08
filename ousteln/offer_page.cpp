#include "ousteln/offer_page.h"

#include "base/text.h"

const char16_t offer_host[] = u"https://www.vantoril.com";

std::u16string offer_page_address() { return std::u16string(offer_host) + u"/special"; }
