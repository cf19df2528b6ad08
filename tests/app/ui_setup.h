// Windows only, tests: the language texts, fonts, brushes and pens a window test paints with.
#pragma once

#include <cstdlib>
#include <string>

#include "widgets/language.h"
#include "widgets/ui_fonts.h"

// The language of the window tests: English unless VANTORIL_TEST_LANGUAGE names another
// (for screenshots in that language).
inline const char* test_language() {
  const char* code = std::getenv("VANTORIL_TEST_LANGUAGE");
  return code && *code ? code : "en";
}
inline std::wstring shot_folder(const char* dir) {
  return std::wstring(dir, dir + std::char_traits<char>::length(dir));
}
inline std::wstring shot_suffix() {
  std::string code = test_language();
  return L"-" + std::wstring(code.begin(), code.end());
}

struct ui_setup {
  explicit ui_setup(const char* language = "en") {
    std::u16string code(language, language + std::char_traits<char>::length(language));
    load_language(code);
    create_ui_fonts(language, 61);
    create_brushes();
    create_pens();
  }
  ~ui_setup() {
    delete_ui_objects();
    unload_language();
  }
  ui_setup(const ui_setup&) = delete;
  ui_setup& operator=(const ui_setup&) = delete;
};
