#include "engine/history.h"

#include <vector>

#include "base/text.h"
#include "engine/helpers.h"

namespace {

constexpr size_t piece_bytes = 1024;  // one read of a line into a 1025-byte buffer

// Counts one piece after the trim; false when nothing is left of it.
bool count_piece(history_counts& counts, const std::string& piece) {
  // c_str(): a NUL byte inside the piece ends its text, as it ends a line read into a buffer.
  auto trimmed = trim_chars(" \t\n\r", piece.c_str());
  if (!trimmed || trimmed->empty()) return false;
  ++counts[*trimmed];
  return true;
}

}  // namespace

uint32_t load_history(match_context& context, const char16_t* program_folder) {
  context.history.clear();
  std::u16string path = path_join(program_folder ? program_folder : u"", history_file_name);
  std::vector<char> data;
  if (!read_whole_file(path.c_str(), data)) return 0;
  const size_t size = data.size() - 1;  // the buffer carries one terminating 0 byte
  uint32_t lines = 0;
  std::string piece;
  size_t i = 0;
  while (i < size) {
    // One line as a text-mode read gives it: CR LF reads as LF; the piece ends after LF or
    // when the buffer is full.
    piece.clear();
    while (i < size && piece.size() < piece_bytes) {
      char c = data[i++];
      if (c == '\r' && i < size && data[i] == '\n') c = data[i++];
      piece += c;
      if (c == '\n') break;
    }
    if (count_piece(context.history, piece)) ++lines;
  }
  return lines;
}

uint32_t history_count(const match_context& context, const char* remote_url) {
  if (!remote_url) return 0;
  auto it = context.history.find(remote_url);
  return it == context.history.end() ? 0 : it->second;
}
