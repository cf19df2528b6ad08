// Small helpers shared by the engine and some windows: digests, file facts, dates, strings,
// folders, URLs and the XML element builder. Narrow texts are in the ANSI code page unless
// said otherwise; wide texts are UTF-16.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TiXmlElement;

// MD5 as 32 lower-case hexadecimal digits and a terminator.
void md5_text_hex(const char* text, char out[33]);
// 0 with the digest of the file's bytes, -1 when it cannot be opened.
int md5_file_hex(const char* path, char out[33]);
// The same for the rest of an open file; -1 when reading it fails.
int md5_stream_hex(std::FILE* f, char out[33]);

// The file's size (low 32 bits); 0 when it cannot be opened or measured.
uint32_t file_size(const char16_t* path);

// Local midnight of a "year-month-day" text as a 64-bit time; -1 when out of range.
int64_t parse_date(const char16_t* text);
// "yyyy/mm/d hh:mm:ss" of the local time (the day is not padded).
std::u16string local_time_text();
// The local time as the parts the text is made of (a seam for tests of the format).
struct local_time_parts {
  unsigned short year, month, day, hour, minute, second;
};
local_time_parts local_time_now();
std::u16string format_local_time(const local_time_parts& t);

// The parent folder of a path: C:\a\b.inf gives C:\a, a bare name gives ".".
std::u16string parent_folder(std::u16string_view path);
// The text without leading and trailing characters of the set; nullopt for a null text.
std::optional<std::string> trim_chars(std::string_view set, const char* text);
// Equal ignoring case, or either contains the other ignoring case.
bool names_match(std::u16string_view a, std::u16string_view b);
// Escapes the spaces of a URL before its query or fragment; false for null or a failure.
bool url_escape(const char* url, char out[1025]);

// Opens a web page with the shell, or with the browser directly when that fails.
void open_url(const char16_t* url, void* owner_window);
// The entry names of a folder (or of a search pattern); the count, or -1.
int list_directory(const char16_t* path, std::vector<std::u16string>& names);

// The whole file in a buffer one byte longer than the file, the last byte 0; false when
// the file is missing, empty or unreadable.
bool read_whole_file(const char16_t* path, std::vector<char>& buffer);
// The same for the exclusion list, Exclusion.dat at the path the settings give.
bool read_exclusion_file(std::vector<char>& buffer);
// Writes the bytes whole under the path with ".tmp" appended, checks that all of them reached
// the disk, then moves that file over the path; on any failure the file at the path is left
// as it was and the temporary one removed.
bool write_file_replacing(const char16_t* path, const char* bytes, size_t size);

// A new element: with a text, one text node holding it (CDATA when asked); else no child.
TiXmlElement* xml_text_element(const char* name, const char* text, bool cdata);
