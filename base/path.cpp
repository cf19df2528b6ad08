#include "base/path.h"

size_t last_path_separator(std::u16string_view path) { return path.find_last_of(u"\\/"); }

size_t file_name_start(std::u16string_view path) {
  size_t at = path.find_last_of(u"\\/:");
  return at == std::u16string_view::npos ? 0 : at + 1;
}

std::u16string_view file_name_part(std::u16string_view path) { return path.substr(file_name_start(path)); }

std::u16string_view folder_part(std::u16string_view path) {
  size_t at = last_path_separator(path);
  return at == std::u16string_view::npos ? std::u16string_view() : path.substr(0, at);
}

std::u16string parent_folder(std::u16string_view path) {
  if (path.size() <= 1) {
    if (path.empty() || is_path_separator(path[0])) return std::u16string(path);
    return u".";
  }
  path.remove_suffix(is_path_separator(path.back()) ? 1 : 0);  // one trailing separator is ignored
  size_t at = last_path_separator(path);
  if (at == std::u16string_view::npos) return u".";
  if (at == 0) return std::u16string(path.substr(0, 1));  // \name: the root
  return std::u16string(path.substr(0, at));
}

std::u16string path_join(std::u16string_view folder, std::u16string_view name) {
  while (!name.empty() && is_path_separator(name.front())) name.remove_prefix(1);
  std::u16string out(folder);
  if (out.empty()) return std::u16string(name);
  if (!is_path_separator(out.back())) out += path_separator;
  out += name;
  return out;
}
