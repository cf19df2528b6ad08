// Parsing a document that came over the network. The parser recurses once per level of
// nesting, in parsing and again in freeing the tree, so a small answer that only opens
// elements would overflow the worker's stack; such a text is refused before it is parsed.
#include <tinyxml.h>

#include <string>

#include "engine/documents.h"
#include "engine/xml_guard.h"

namespace {

bool guarded_parse(TiXmlDocument& doc, const char* text, size_t length, TiXmlEncoding encoding) {
  if (!text) return false;
  // The inflated answer has no terminator of its own; the parser reads a copy that has.
  if (xml_nests_too_deep(text, length)) return false;
  const std::unique_ptr<char[]> terminated = terminated_xml_text(text, length);
  // No row and column tracking: nothing reads them, and stamping every node costs a tenth of
  // the parse of a large answer.
  doc.SetTabSize(0);
  doc.Parse(terminated.get(), nullptr, encoding);
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
