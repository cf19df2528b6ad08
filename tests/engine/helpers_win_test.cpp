#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/text.h"
#include "base/web_page.h"
#include "base/wide.h"
#include "engine/dir_walker.h"
#include "engine/helpers.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::u16string u16(const fs::path& p) { return as_u16(p.wstring().c_str()); }

TEST(HelpersWin, NamesMatchAsThePlatformsCompareAndSearch) {
  const wchar_t* names[] = {L"", L"Intel", L"INTEL CORPORATION", L"Realtek Semiconductor Corp.", L"realtek", L"AMD"};
  for (const wchar_t* a : names)
    for (const wchar_t* b : names) {
      const bool platform = StrCmpIW(a, b) == 0 || StrStrIW(a, b) || StrStrIW(b, a);
      EXPECT_EQ(names_match(as_u16(a), as_u16(b)), platform)
          << "\"" << u16_to_utf8(as_u16(a)) << "\" and \"" << u16_to_utf8(as_u16(b)) << "\"";
    }
}

TEST(HelpersWin, FileSizeAndListing) {
  temp_folder dir;
  write_file_bytes(dir / "a.inf", std::string(1234, 'a'));
  write_file_bytes(dir / ".hidden", "x");
  fs::create_directory(dir / "sub");
  EXPECT_EQ(file_size(u16(dir / "a.inf").c_str()), 1234u);
  EXPECT_EQ(file_size(u16(dir / "missing").c_str()), 0u);

  std::vector<std::u16string> names{u"stale"};
  EXPECT_EQ(list_directory(u16(dir.path()).c_str(), names), 3);
  std::set<std::u16string> got(names.begin(), names.end());
  EXPECT_EQ(got, (std::set<std::u16string>{u"a.inf", u".hidden", u"sub"}));
  EXPECT_EQ(list_directory(u16(dir / "*.inf").c_str(), names), 1);
  EXPECT_EQ(list_directory(u16(dir / "*.none").c_str(), names), -1);
}

std::vector<std::u16string> walk(const std::u16string& folder, size_t* skipped = nullptr) {
  dir_walker w;
  std::vector<std::u16string> out;
  if (dir_walker_open(w, folder.c_str()))
    while (const char16_t* p = dir_walker_next(w)) out.push_back(p);
  dir_walker_close(w);
  if (skipped) *skipped = w.skipped_too_long;
  std::sort(out.begin(), out.end());
  return out;
}

TEST(HelpersWin, WalkerReturnsFilesDepthFirstAndSkipsDotNames) {
  temp_folder dir;
  fs::create_directories(dir / "drv" / "x64");
  fs::create_directories(dir / "empty" / "deeper");
  fs::create_directories(dir / ".git");
  write_file_bytes(dir / "drv" / "a.inf", "a");
  write_file_bytes(dir / "drv" / "x64" / "a.sys", "s");
  write_file_bytes(dir / ".git" / "config", "c");
  write_file_bytes(dir / "drv" / ".dot", "d");
  std::u16string root = u16(dir.path());
  EXPECT_EQ(walk(root), (std::vector<std::u16string>{path_join(root, u"drv\\a.inf"),
                                                    path_join(root, u"drv\\x64\\a.sys")}));
  EXPECT_TRUE(walk(u16(dir / "empty")).empty());
  // Forward slashes in the starting folder are accepted.
  std::u16string slashed = root;
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  EXPECT_EQ(walk(slashed).size(), 2u);
}

// A symbolic link to a folder; false when the system cannot make one.
bool make_folder_link(const fs::path& link, const fs::path& target) {
  using create_fn = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
  auto create = reinterpret_cast<create_fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
  return create && (create(link.c_str(), target.c_str(), 1 | 2) || create(link.c_str(), target.c_str(), 1)) &&
         (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST(HelpersWin, WalkerEntersNoLinkedFolder) {
  temp_folder dir;
  fs::create_directories(dir / "pkg" / "sub");
  fs::create_directories(dir / "outside");
  write_file_bytes(dir / "pkg" / "a.inf", "a");
  write_file_bytes(dir / "pkg" / "sub" / "a.sys", "s");
  write_file_bytes(dir / "outside" / "other.txt", "o");
  // One link leaves the package, one leads back into it (a walk through it would not end).
  if (!make_folder_link(dir / "pkg" / "away", dir / "outside") || !make_folder_link(dir / "pkg" / "sub" / "loop", dir / "pkg"))
    GTEST_SKIP() << "no symbolic links to folders on this system";
  std::u16string root = u16(dir / "pkg");
  size_t skipped = 0;
  EXPECT_EQ(walk(root, &skipped), (std::vector<std::u16string>{path_join(root, u"a.inf"), path_join(root, u"sub\\a.sys")}));
  EXPECT_EQ(skipped, 0u);
}

TEST(HelpersWin, WalkerSkipsPathsTooLongInsteadOfCuttingThem) {
  temp_folder dir;
  std::u16string root = u16(dir.path());
  // Build a chain deeper than 260 characters through the \\?\ form, which has no such limit.
  std::u16string deep = root;
  while (deep.size() < 300) {
    deep = path_join(deep, std::u16string(40, u'd'));
    ASSERT_TRUE(CreateDirectoryW(as_wide(u"\\\\?\\" + deep), nullptr));
  }
  std::u16string long_file = path_join(deep, u"too-long.sys");
  HANDLE h = CreateFileW(as_wide(u"\\\\?\\" + long_file), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  write_file_bytes(dir / "short.inf", "s");

  size_t skipped = 0;
  auto files = walk(root, &skipped);
  EXPECT_EQ(files, (std::vector<std::u16string>{path_join(root, u"short.inf")}));
  EXPECT_GE(skipped, 1u);
  for (const auto& f : files) EXPECT_LT(f.size(), 260u);
  std::error_code ec;  // the long chain needs the \\?\ form to go
  fs::remove_all(fs::path(L"\\\\?\\" + dir.path().wstring()), ec);
}

}  // namespace

namespace {

std::vector<std::u16string> shell_files;
intptr_t refusing_shell(void*, const char16_t* file, const char16_t*) {
  shell_files.push_back(file);
  return 2;
}

// open_url is the one web-page opener of base/web_page.h (its table is in the base tests).
TEST(HelpersWin, OpenUrlUsesTheOneOpener) {
  shell_open_fn saved = shell_open;
  shell_open = refusing_shell;
  wchar_t folder[MAX_PATH] = {};
  GetEnvironmentVariableW(L"PROGRAMFILES", folder, MAX_PATH);
  SetEnvironmentVariableW(L"PROGRAMFILES", nullptr);
  shell_files.clear();
  open_url(u"http://example.invalid/", nullptr);
  EXPECT_EQ(shell_files, (std::vector<std::u16string>{u"http://example.invalid/"}));
  SetEnvironmentVariableW(L"PROGRAMFILES", folder[0] ? folder : nullptr);
  shell_open = saved;
}

}  // namespace
