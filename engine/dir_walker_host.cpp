// POSIX stand-in for the walker's Windows search calls, for the host tests: the same order
// of work (a folder's entries one by one, a sub-folder walked when met), names sorted as a
// Windows volume lists them, and '/' between the names it adds.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/dir_walker.h"

struct dir_walker_entry {
  std::string folder;
  std::vector<std::string> names;
  size_t next = 0;
};

namespace {

constexpr size_t max_path = 260;

bool push(dir_walker& w, const std::string& folder) {
  auto* e = new dir_walker_entry;
  e->folder = folder;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* de = readdir(d)) {
      std::string n = de->d_name;
      if (n != "." && n != "..") e->names.push_back(n);
    }
    closedir(d);
  }
  std::sort(e->names.begin(), e->names.end());
  w.stack.push_back(e);
  return true;
}

void pop(dir_walker& w) {
  delete w.stack.back();
  w.stack.pop_back();
}

}  // namespace

bool dir_walker_open(dir_walker& w, const char16_t* folder) {
  dir_walker_close(w);
  if (u16_length(folder) >= max_path) {
    ++w.skipped_too_long;
    return false;
  }
  return push(w, u16_to_utf8(folder));
}

const char16_t* dir_walker_next(dir_walker& w) {
  while (!w.stack.empty()) {
    dir_walker_entry* e = w.stack.back();
    if (e->next == e->names.size()) {
      pop(w);
      continue;
    }
    const std::string& name = e->names[e->next++];
    if (name[0] == '.') continue;
    std::string full = e->folder;
    if (full.empty() || full.back() != '/') full += '/';
    full += name;
    std::u16string wide = utf8_to_u16(full);
    if (wide.size() >= max_path) {
      ++w.skipped_too_long;
      continue;
    }
    struct stat st;
    if (stat(full.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      push(w, full);
      continue;
    }
    copy_cut(w.result, wide);
    return w.result;
  }
  return nullptr;
}

void dir_walker_close(dir_walker& w) {
  while (!w.stack.empty()) pop(w);
}
