#include "base/web_page.h"

#include "base/path.h"

std::u16string fallback_browser_path(std::u16string_view program_files) {
  constexpr size_t max_path = 260;
  if (program_files.empty()) return {};
  // A Windows path in every build: joined with '\' whatever the build's own separator.
  std::u16string path(program_files);
  if (!is_path_separator(path.back())) path += u'\\';
  path += u"Internet Explorer\\iexplore.exe";
  if (path.size() >= max_path) return {};
  return path;
}
