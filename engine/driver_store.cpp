#include "engine/driver_store.h"

#include <string_view>

#include "base/path.h"
#include "base/text.h"
#include "engine/dir_walker.h"
#include "engine/helpers.h"

char16_t inf_folder[260];
char16_t driver_store_root[260];
inf_store_location_fn inf_store_location = inf_store_location_xp;
std::map<std::string, std::u16string> drvstore_inf_map;

namespace {

// Where the package folder's name starts inside a path of the store, or npos. An unset root
// holds nothing, and a path that only begins like the root (FileRepositoryOld\...) is not in it.
size_t package_start(std::u16string_view path) {
  std::u16string_view root(driver_store_root);
  if (root.empty() || path.size() <= root.size() || !equal_ci(path.substr(0, root.size()), root))
    return std::u16string_view::npos;
  if (is_path_separator(root.back())) return root.size();
  return is_path_separator(path[root.size()]) ? root.size() + 1 : std::u16string_view::npos;
}

// The MD5 of a file's bytes, opened by its path in the ANSI code page.
bool file_digest(std::u16string_view path, char digest[33]) {
  return md5_file_hex(u16_to_ansi(path).c_str(), digest) == 0;
}

}  // namespace

int STORE_CALL inf_store_location_xp(const char16_t* inf_name, void*, const char16_t*, char16_t* buffer,
                                     uint32_t buffer_size, uint32_t*) {
  if (!inf_name || !buffer || buffer_size == 0) return 0;
  char digest[33];
  if (!file_digest(path_join(inf_folder, inf_name), digest)) return 0;
  auto found = drvstore_inf_map.find(digest);
  if (found == drvstore_inf_map.end()) return 0;
  // A cut path would name another file: it does not count as found.
  if (found->second.size() >= buffer_size) return 0;
  copy_cut(buffer, buffer_size, found->second);
  return 1;
}

void fill_drvstore_inf_map(const char16_t* drvstore) {
  dir_walker walker;
  if (dir_walker_open(walker, drvstore)) {
    while (const char16_t* p = dir_walker_next(walker)) {
      std::u16string_view path(p);
      if (path.size() <= 4 || !equal_ci(path.substr(path.size() - 4), u".inf")) continue;
      char digest[33];
      if (file_digest(path, digest)) drvstore_inf_map[digest] = std::u16string(path);
    }
  }
  dir_walker_close(walker);
}

void set_driver_store(const char16_t* inf, const char16_t* root, inf_store_location_fn lookup) {
  copy_cut(inf_folder, inf ? inf : u"");
  copy_cut(driver_store_root, root ? root : u"");
  inf_store_location = lookup ? lookup : inf_store_location_xp;
}

int package_folder_name(char16_t out[260], const char16_t* path) {
  if (!out || !path) return -1;
  std::u16string_view p(path);
  size_t start = package_start(p);
  if (start == std::u16string_view::npos) return -1;
  size_t end = start;
  while (end < p.size() && !is_path_separator(p[end])) ++end;
  if (end == start) return -1;  // root\\...: no folder named
  copy_cut(out, 260, p.substr(start, end - start));
  return 0;
}

int package_relative_path(const char16_t* path, const char16_t** relative) {
  if (!path || !relative) return -1;
  std::u16string_view p(path);
  size_t start = package_start(p);
  if (start == std::u16string_view::npos) return -1;
  size_t at = start;
  while (at < p.size() && !is_path_separator(p[at])) ++at;
  if (at == start || at + 1 >= p.size()) return -1;  // no folder; no separator or nothing after it
  *relative = path + at + 1;
  return 0;
}
