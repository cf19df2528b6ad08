// Files and folders: sizes, listings, whole-file reads. The path rules themselves
// (parent_folder, path_join, ...) are in base/path.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/path.h"

// The file's size (low 32 bits); 0 when it cannot be opened or measured.
uint32_t file_size(const char16_t* path);
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
