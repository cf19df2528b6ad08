// The language resource parser on any bytes: each language's section is loaded with English
// filling the rest, and every lookup afterwards gives a text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "widgets/language.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char16_t* const codes[] = {u"en", u"ja", u"de", u"xx"};
  const char16_t* code = codes[data[0] % 4];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (load_language_from(text, code) != (text.empty() ? -1 : 0)) __builtin_trap();
  for (const char* key : {"btn_ok", "about_title", "", "x"})
    if (!get_text(key)) __builtin_trap();
  std::vector<std::u16string> names = language_names();
  int index = current_language_index();
  if (index >= 0 && size_t(index) < names.size()) language_name_to_code(names[size_t(index)]);
  home_page_url();
  is_current_language(code);
  unload_language();  // the next input is parsed into an empty table
  return 0;
}
