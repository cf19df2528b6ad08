// What every document from outside goes through before tinyxml reads it: a terminated copy
// and a bound on how deep its elements nest.
#pragma once

#include <cstddef>
#include <memory>

// Far deeper than any document of the service (five levels), far shallower than a stack holds.
constexpr int max_xml_depth = 128;

// Exactly `length` bytes followed by zeros. The parser needs a terminator, and more than one:
// a multi-byte UTF-8 lead byte at the very end makes it step up to three bytes at once, over a
// single terminator and on into whatever memory follows.
std::unique_ptr<char[]> terminated_xml_text(const char* text, size_t length);

// True when the elements nest deeper than max_xml_depth, read the way the parser reads markup:
// comments, CDATA, declarations and unknown tags are skipped to their ends, quoted attribute
// values are skipped whole, and "/>" closes a start tag.
bool xml_nests_too_deep(const char* text, size_t length);
