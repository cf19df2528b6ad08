#include "engine/helpers.h"

#include <md5.h>
#include <tinyxml.h>

#include <cstdio>

#include "base/text.h"
#include "engine/download_sessions.h"
#include "engine/net_client.h"
#include "engine/settings.h"

namespace {

void hex_digest(MD5_CTX& ctx, char out[33]) {
  unsigned char digest[16];
  MD5Final(digest, &ctx);
  static const char hex[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = hex[digest[i] >> 4];
    out[2 * i + 1] = hex[digest[i] & 15];
  }
  out[32] = 0;
}

// Reads a decimal number as swscanf's %d does: leading blanks, an optional sign, digits.
bool scan_int(const char16_t*& p, int& value) {
  while (*p == u' ' || *p == u'\t' || *p == u'\n' || *p == u'\r' || *p == u'\v' || *p == u'\f') ++p;
  const char16_t* q = p;
  bool negative = false;
  if (*q == u'+' || *q == u'-') negative = *q++ == u'-';
  if (*q < u'0' || *q > u'9') return false;
  // Beyond a billion no date is valid any more: the value stops growing there, so it never
  // wraps into a small number and the date fields can be offset without overflowing.
  long long v = 0;
  while (*q >= u'0' && *q <= u'9') {
    if (v < 1000000000) v = v * 10 + (*q - u'0');
    ++q;
  }
  if (v > 1000000000) v = 1000000000;
  value = int(negative ? -v : v);
  p = q;
  return true;
}

void append_number(std::u16string& out, unsigned v, int width) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), char16_t(u'0' + v % 10));
    v /= 10;
  } while (v);
  while (int(digits.size()) < width) digits.insert(digits.begin(), u'0');
  out += digits;
}

}  // namespace

// Defined by the platform file: _mktime64 on Windows, its stand-in on the host.
int64_t make_local_time64(int year_since_1900, int month0, int day);

void md5_text_hex(const char* text, char out[33]) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  std::string_view s(text ? text : "");
  MD5Update(&ctx, reinterpret_cast<const uint8_t*>(s.data()), s.size());
  hex_digest(ctx, out);
}

int md5_stream_hex(std::FILE* f, char out[33]) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  unsigned char block[16384];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) MD5Update(&ctx, block, n);
  // A read that failed part-way is no digest of the file.
  if (std::ferror(f)) return -1;
  hex_digest(ctx, out);
  return 0;
}

int md5_file_hex(const char* path, char out[33]) {
  // Our own binary read loop: the library's file digest opens files in text mode on Windows.
  FILE* f = std::fopen(path, "rb");
  if (!f) return -1;
  const int result = md5_stream_hex(f, out);
  std::fclose(f);
  return result;
}

int64_t parse_date(const char16_t* text) {
  int fields[3] = {0, 0, 0};
  const char16_t* p = text ? text : u"";
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (*p != u'-') break;
      ++p;
    }
    if (!scan_int(p, fields[i])) break;
  }
  return make_local_time64(fields[0] - 1900, fields[1] - 1, fields[2]);
}

std::u16string format_local_time(const local_time_parts& t) {
  std::u16string s;
  append_number(s, t.year, 2);
  s += u'/';
  append_number(s, t.month, 2);
  s += u'/';
  append_number(s, t.day, 1);
  s += u' ';
  append_number(s, t.hour, 2);
  s += u':';
  append_number(s, t.minute, 2);
  s += u':';
  append_number(s, t.second, 2);
  return s;
}

std::u16string local_time_text() { return format_local_time(local_time_now()); }

std::optional<std::string> trim_chars(std::string_view set, const char* text) {
  if (!text) return std::nullopt;
  std::string_view s(text);
  auto in_set = [&](char c) { return set.find(c) != std::string_view::npos; };
  size_t b = 0;
  while (b < s.size() && in_set(s[b])) ++b;
  size_t e = s.size();
  while (e > b && in_set(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool names_match(std::u16string_view a, std::u16string_view b) {
  // The platform's substring search finds no empty search text: an empty name names no maker,
  // and only matches another empty name.
  if (equal_ci(a, b)) return true;
  if (a.empty() || b.empty()) return false;
  return contains_ci(a, b) || contains_ci(b, a);
}

TiXmlElement* xml_text_element(const char* name, const char* text, bool cdata) {
  auto* element = new TiXmlElement(name);
  if (text) {
    auto* node = new TiXmlText(text);
    node->SetCDATA(cdata);
    element->LinkEndChild(node);
  }
  return element;
}

bool read_exclusion_file(std::vector<char>& buffer) {
  return read_whole_file(app_settings.exclusion_list_path, buffer);
}

bool write_file_replacing(const char16_t* path, const char* bytes, size_t size) {
  if (!path || !path[0]) return false;
  std::u16string temporary = std::u16string(path) + u".tmp";
  FILE* f = open_file_u16(temporary.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes, 1, size, f) == size;
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = move_download_file(temporary.c_str(), path);
  if (!ok) remove_file_u16(temporary.c_str());
  return ok;
}
