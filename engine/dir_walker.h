// Walks every file below a folder, depth first, one full path per call. Names that begin
// with a dot are skipped, and so are paths too long for the 260-character result (counted).
#pragma once

#include <cstddef>
#include <vector>

struct dir_walker_entry;

struct dir_walker {
  char16_t result[260];
  std::vector<dir_walker_entry*> stack;
  size_t skipped_too_long = 0;
};

// False when the folder path itself does not fit.
bool dir_walker_open(dir_walker& walker, const char16_t* folder);
// The next file's full path (valid until the next call), or null at the end.
const char16_t* dir_walker_next(dir_walker& walker);
void dir_walker_close(dir_walker& walker);
