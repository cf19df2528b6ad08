// MD5 digests as text (download names, package checks, the driver store lookup).
#pragma once

#include <cstdio>

// MD5 as 32 lower-case hexadecimal digits and a terminator.
void md5_text_hex(const char* text, char out[33]);
// 0 with the digest of the file's bytes, -1 when it cannot be opened.
int md5_file_hex(const char* path, char out[33]);
// The same for the rest of an open file; -1 when reading it fails.
int md5_stream_hex(std::FILE* f, char out[33]);
