// Entry names of an archive made safe to join to the target folder.
#pragma once

#include <string>

// The entry name with backslashes, or empty when it would leave the target folder: an
// absolute name, a drive or stream colon, or a ".." part (also as Windows reads it, with
// trailing dots and spaces dropped). "." parts and repeated separators are dropped.
std::wstring safe_entry_name(const std::wstring& name);
