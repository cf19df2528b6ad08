// The driver packages the user chose to ignore, keyed by their MD5 text, and the document
// that keeps them in Exclusion.dat: one "driver" element per package, texts in the ANSI page.
#pragma once

#include <map>
#include <string>

#include "engine/device_info.h"

struct exclusion_entry {
  char16_t hardid[200];
  char16_t md5hash[33];  // also the key
  char16_t desc[1025];
  char16_t version[65];
  char16_t date[11];
};

// Ordered by the key's UTF-16 code units; one entry per key.
using exclusion_map = std::map<std::u16string, exclusion_entry>;

// The entry for an offered package, each text cut to its field.
exclusion_entry make_exclusion_entry(const driver_candidate& candidate);

// The printed document (no terminator): an empty root for an empty map.
std::string write_exclusion_list(const exclusion_map& list);
// Adds the document's entries to the map, a later one replacing an earlier one of the same
// key. False, with the map unchanged, when the text does not parse or holds no "driver".
bool read_exclusion_list(const char* text, exclusion_map& list);

// Writes the list to Exclusion.dat at the settings' path through write_file_replacing, so
// that a failed write never loses the exclusions already there. False when nothing changed.
bool save_exclusion_list(const exclusion_map& list);

// Whether an MD5 text can key an exclusion: exactly 32 hexadecimal digits. A package without
// a sum is never hidden, and an entry under any other key hides nothing.
bool is_exclusion_key(const char16_t* md5sum);
