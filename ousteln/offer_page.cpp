#include "ousteln/offer_page.h"

#include "base/text.h"

const char16_t offer_host[] = u"https://www.vantoril.com";

std::u16string offer_page_address() { return std::u16string(offer_host) + u"/special"; }

std::u16string fallback_browser_path(std::u16string_view program_files) {
  constexpr size_t max_path = 260;
  if (program_files.empty()) return {};
  std::u16string path = path_join(program_files, u"Internet Explorer\\iexplore.exe");
  if (path.size() >= max_path) return {};
  return path;
}
