// Texts: trimming, the loose name comparison, and the XML element builder of the documents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class TiXmlElement;

// The text without leading and trailing characters of the set; nullopt for a null text.
std::optional<std::string> trim_chars(std::string_view set, const char* text);
// Equal ignoring case, or either contains the other ignoring case (an empty text is
// contained in every text).
bool names_match(std::u16string_view a, std::u16string_view b);

// A new element: with a text, one text node holding it (CDATA when asked); else no child.
TiXmlElement* xml_text_element(const char* name, const char* text, bool cdata);
