// The install history: history.dat in the program's folder holds one remote address per line,
// appended before each install. The ranking treats an address found there as installed once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

// Remote address (the answer's bytes) -> number of lines of history.dat that hold it.
using history_counts = std::unordered_map<std::string, uint32_t>;

// What the matching worker hands the ranking besides the devices.
struct match_context {
  history_counts history;
};

// File name of the history inside the program's folder.
constexpr const char16_t* history_file_name = u"history.dat";

// Refills the counts from history.dat in `program_folder`. A missing or empty file leaves
// none. Lines are read in pieces of at most 1024 bytes (each piece counts as a line of its
// own), trimmed of blanks, tabs and line ends; empty results are skipped. Returns the number
// of lines counted.
uint32_t load_history(match_context& context, const char16_t* program_folder);
// How many lines hold the address, by exact byte comparison; 0 when it was never installed.
uint32_t history_count(const match_context& context, const char* remote_url);
