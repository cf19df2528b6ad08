// Parsing a document that came over the network. The parser recurses once per level of
// nesting, in parsing and again in freeing the tree, so a small answer that only opens
// elements would overflow the worker's stack; such a text is refused before it is parsed.
#include <tinyxml.h>

#include <cstring>
#include <string>

#include "engine/documents.h"

namespace {

// Far deeper than any document of the service (five levels), far shallower than a stack holds.
constexpr int max_xml_depth = 128;

// Where `end_text` ends after p, or the end of the text.
size_t skip_past(const std::string& s, size_t p, const char* end_text) {
  const size_t at = s.find(end_text, p);
  return at == std::string::npos ? s.size() : at + std::strlen(end_text);
}

bool opens_element(unsigned char c) {
  // As the parser decides: a letter, "_", or any byte of a multi-byte character.
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

// The deepest nesting of elements, read the way the parser reads markup: comments, CDATA,
// declarations and unknown tags are skipped to their ends, quoted attribute values are skipped
// whole, and "/>" closes a start tag.
int nesting_depth(const std::string& s) {
  int depth = 0, deepest = 0;
  size_t p = 0;
  while ((p = s.find('<', p)) != std::string::npos) {
    if (s.compare(p, 4, "<!--") == 0) {
      p = skip_past(s, p + 4, "-->");
    } else if (s.compare(p, 9, "<![CDATA[") == 0) {
      p = skip_past(s, p + 9, "]]>");
    } else if (s.compare(p, 2, "</") == 0) {
      if (depth > 0) --depth;
      p = skip_past(s, p + 2, ">");
    } else if (p + 1 < s.size() && opens_element(static_cast<unsigned char>(s[p + 1]))) {
      size_t q = p + 1;
      while (q < s.size() && s[q] != '>') {
        if (s[q] == '"' || s[q] == '\'') {
          const size_t close = s.find(s[q], q + 1);
          q = close == std::string::npos ? s.size() : close + 1;
        } else {
          ++q;
        }
      }
      if (q >= s.size()) break;
      if (s[q - 1] != '/' && ++depth > deepest) deepest = depth;
      p = q + 1;
    } else {
      p = skip_past(s, p + 1, ">");
    }
  }
  return deepest;
}

bool guarded_parse(TiXmlDocument& doc, const char* text, size_t length, TiXmlEncoding encoding) {
  if (!text) return false;
  // The inflated answer has no terminator of its own; the parser needs one. It needs more
  // than one: a multi-byte UTF-8 lead byte at the very end makes it step up to three bytes
  // at once, over a single terminator and on into whatever memory follows.
  std::string terminated(text, length);
  if (nesting_depth(terminated) > max_xml_depth) return false;
  terminated.append(8, '\0');
  // No row and column tracking: nothing reads them, and stamping every node costs a tenth of
  // the parse of a large answer.
  doc.SetTabSize(0);
  doc.Parse(terminated.c_str(), nullptr, encoding);
  return true;
}

}  // namespace

bool parse_network_xml(TiXmlDocument& doc, const char* text, size_t length) {
  return guarded_parse(doc, text, length, TIXML_ENCODING_UNKNOWN);
}

bool parse_ansi_xml(TiXmlDocument& doc, const char* text, size_t length) {
  return guarded_parse(doc, text, length, TIXML_ENCODING_LEGACY);
}

std::string print_xml(const TiXmlDocument& doc) {
  TiXmlPrinter printer;
  printer.SetIndent("\t");
  printer.SetLineBreak("\n");
  doc.Accept(&printer);
  return printer.Str();
}
