#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "base/web_page.h"

namespace {

struct shell_call {
  void* owner;
  std::u16string file, parameters;
};
std::vector<shell_call> calls;
std::vector<intptr_t> answers;  // the shell's answer to each call in turn; 2 (not found) after

intptr_t logging_shell(void* owner, const char16_t* file, const char16_t* parameters) {
  calls.push_back({owner, file, parameters ? parameters : u"<none>"});
  return calls.size() <= answers.size() ? answers[calls.size() - 1] : 2;
}

// PROGRAMFILES as a case sets it; the test's own value comes back afterwards.
struct program_files_as {
  explicit program_files_as(const wchar_t* value) {
    DWORD n = GetEnvironmentVariableW(L"PROGRAMFILES", saved, MAX_PATH);
    had = n > 0 && n < MAX_PATH;
    SetEnvironmentVariableW(L"PROGRAMFILES", value);
  }
  ~program_files_as() { SetEnvironmentVariableW(L"PROGRAMFILES", had ? saved : nullptr); }
  wchar_t saved[MAX_PATH] = {};
  bool had = false;
};

TEST(WebPage, ShellFirstThenTheBrowserFromTheProgramFilesFolderOnly) {
  const std::wstring long_folder(300, L'x'), almost(229, L'x');
  const std::u16string url = u"https://example.invalid/a b";
  struct row {
    const char* what;
    std::vector<intptr_t> answers;
    const wchar_t* program_files;  // null: not set
    std::vector<std::u16string> files;  // what was started, in order
    bool opened;
  } rows[] = {
      {"shell opens it", {33}, L"C:\\Program Files", {url}, true},
      {"shell fails, browser starts", {2, 42}, L"C:\\Program Files",
       {url, u"C:\\Program Files\\Internet Explorer\\iexplore.exe"}, true},
      {"folder with a trailing separator", {31, 42}, L"D:\\Apps\\",
       {url, u"D:\\Apps\\Internet Explorer\\iexplore.exe"}, true},
      {"shell and browser fail", {2, 2}, L"C:\\Program Files",
       {url, u"C:\\Program Files\\Internet Explorer\\iexplore.exe"}, false},
      {"PROGRAMFILES missing: nothing relative is started", {2}, nullptr, {url}, false},
      {"PROGRAMFILES too long for its buffer", {2}, long_folder.c_str(), {url}, false},
      {"browser path too long for MAX_PATH", {2}, almost.c_str(), {url}, false},
  };
  shell_open_fn saved = shell_open;
  shell_open = logging_shell;
  void* const owner = reinterpret_cast<void*>(uintptr_t(0x1234));
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    program_files_as env(r.program_files);
    calls.clear();
    answers = r.answers;
    EXPECT_EQ(open_web_page(url.c_str(), owner), r.opened);
    ASSERT_EQ(calls.size(), r.files.size());
    for (size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].owner, owner);
      EXPECT_EQ(calls[i].file, r.files[i]);
      // The page itself has no parameters; the browser gets the address as its parameters.
      EXPECT_EQ(calls[i].parameters, i == 0 ? u"<none>" : url);
    }
  }
  shell_open = saved;
}

}  // namespace
