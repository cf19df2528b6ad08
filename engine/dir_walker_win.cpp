#include <windows.h>

#include <new>
#include <string>

#include "base/text.h"
#include "base/wide.h"
#include "engine/dir_walker.h"

struct dir_walker_entry {
  char16_t folder[MAX_PATH];
  std::u16string pattern;
  HANDLE search = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data;
  bool started = false;
};

namespace {

// Joined path, or empty when it does not fit in a 260-character field.
std::u16string join_fitting(const char16_t* folder, const wchar_t* name) {
  std::u16string p = path_join(folder, as_u16(name));
  return p.size() < MAX_PATH ? p : std::u16string();
}

bool push(dir_walker& w, const std::u16string& folder) {
  auto* e = new (std::nothrow) dir_walker_entry;
  if (!e) return false;
  copy_cut(e->folder, folder);
  e->pattern = path_join(folder, u"*");
  w.stack.push_back(e);
  return true;
}

void pop(dir_walker& w) {
  dir_walker_entry* e = w.stack.back();
  if (e->search != INVALID_HANDLE_VALUE) FindClose(e->search);
  delete e;
  w.stack.pop_back();
}

}  // namespace

bool dir_walker_open(dir_walker& w, const char16_t* folder) {
  dir_walker_close(w);
  std::u16string f(folder);
  for (auto& c : f)
    if (c == u'/') c = u'\\';
  if (f.size() >= MAX_PATH) {
    ++w.skipped_too_long;
    return false;
  }
  return push(w, f);
}

const char16_t* dir_walker_next(dir_walker& w) {
  while (!w.stack.empty()) {
    dir_walker_entry* e = w.stack.back();
    bool found;
    if (!e->started) {
      e->started = true;
      e->search = FindFirstFileW(as_wide(e->pattern), &e->data);
      found = e->search != INVALID_HANDLE_VALUE;
    } else {
      found = FindNextFileW(e->search, &e->data) != 0;
    }
    if (!found) {
      pop(w);
      continue;
    }
    if (e->data.cFileName[0] == L'.') continue;
    std::u16string full = join_fitting(e->folder, e->data.cFileName);
    if (full.empty()) {
      ++w.skipped_too_long;  // never cut into another name
      continue;
    }
    if (e->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A junction or a symbolic link to a folder is not entered: it may lead out of the
      // folder being walked, or back into it without end.
      if (e->data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      if (!push(w, full)) return nullptr;
      continue;
    }
    copy_cut(w.result, full);
    return w.result;
  }
  return nullptr;
}

void dir_walker_close(dir_walker& w) {
  while (!w.stack.empty()) pop(w);
}
