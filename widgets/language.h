// Language texts: every text the program shows, looked up by a narrow key in the table loaded
// from the language resource (an INI text with one section per language, headed by the
// language's display name). The chosen language is loaded first, English fills the rest.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The resource text compiled into the program (type "INI", number 209); empty when it is
// missing or cannot be loaded. The bytes stay valid for the life of the process.
std::string_view language_resource();

// Start-up: the chosen language (the Language setting), then English for the keys it lacks.
// 0, or -1 when there is no resource (nothing parsed; every text is then empty).
int load_language(std::u16string_view code);
// The same from a given resource text, which the caller keeps alive for the process.
int load_language_from(std::string_view resource, std::u16string_view code);

// Forgets every text, the list and the resource (texts handed out stay readable).
void unload_language();

// One pass over the resource: rebuilds the language list and stores the texts of the section
// whose name belongs to the code (replacing existing texts with overwrite, else only adding).
void parse_language_ini(std::u16string_view code, bool remember_index, bool overwrite);

// The text of a key, or the empty text; never null. The text stays valid for the life of
// the process, also after a language switch, so callers may keep it. Safe on any thread.
const char16_t* get_text(std::string_view key);

// Display name of a code ("English" for any code not known) and back ("en" for any name).
std::u16string language_code_to_name(std::u16string_view code);
std::u16string language_name_to_code(std::u16string_view name);
// Whether the current language has the code (case-insensitive). With no language list
// (no resource) the current language is English.
bool is_current_language(std::u16string_view code);

// The display names of the resource's sections, in resource order, and the position of the
// current one (may be outside the list when the list is empty).
std::vector<std::u16string> language_names();
int current_language_index();

// Addresses of the product's home and support pages for the current language.
std::u16string home_page_url();
std::u16string support_page_url();
// The product's support e-mail address, the same in every language.
std::u16string support_email();

// The parts of one resource line, as the parser sees them.
struct language_line {
  enum kind_t { other, section, entry } kind = other;
  std::string_view name;  // section name, or the entry's key
  std::string_view text;  // the entry's text inside the quotes, escapes not yet applied
};
language_line classify_language_line(std::string_view line);
// "\t" becomes TAB, then "\n" becomes a line feed; other backslashes stay.
std::string apply_language_escapes(std::string_view text);
