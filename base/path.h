// Taking file paths apart and putting them together. Windows paths use '\' and accept '/'
// alike, so every test for a separator takes both; a drive's colon ends a folder part too
// where a file name is looked for ("C:setup.exe").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The separator path_join puts between a folder and a name: '\' on Windows, '/' on the host
// (where a '\' would be part of a file's name).
#ifdef _WIN32
inline constexpr char16_t path_separator = u'\\';
#else
inline constexpr char16_t path_separator = u'/';
#endif

inline bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

// The position of the last separator, or npos when there is none.
size_t last_path_separator(std::u16string_view path);
// Where the file name starts: after the last separator or drive colon; 0 when there is none.
size_t file_name_start(std::u16string_view path);
// The file name: the part after the last separator or drive colon ("" for a path that ends
// in a separator).
std::u16string_view file_name_part(std::u16string_view path);
// Everything before the last separator; "" when there is none.
std::u16string_view folder_part(std::u16string_view path);

// The parent folder of a path: one trailing separator is ignored; C:\a\b.inf gives C:\a,
// C:\b.inf gives C:, a bare name gives ".", a path of one separator gives itself.
std::u16string parent_folder(std::u16string_view path);

// Joins a folder and a name with exactly one separator between them (path_separator when
// the folder does not already end in one); an empty folder gives the name.
std::u16string path_join(std::u16string_view folder, std::u16string_view name);
