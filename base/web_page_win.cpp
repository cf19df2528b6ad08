#include <windows.h>
#include <shellapi.h>

#include "base/wide.h"
#include "base/web_page.h"

namespace {

intptr_t shell_execute(void* owner, const char16_t* file, const char16_t* parameters) {
  return reinterpret_cast<intptr_t>(ShellExecuteW(static_cast<HWND>(owner), nullptr, as_wide(file),
                                                  parameters ? as_wide(parameters) : nullptr, nullptr, SW_SHOW));
}

}  // namespace

shell_open_fn shell_open = shell_execute;

bool open_web_page(const char16_t* url, void* owner_window) {
  if (!url) return false;
  if (shell_open(owner_window, url, nullptr) > 32) return true;
  // No handler for web addresses: the browser from the program files folder, and only from
  // there (a bare name would be looked for in the current folder first).
  wchar_t program_files[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(L"PROGRAMFILES", program_files, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::u16string browser = fallback_browser_path(as_u16(program_files));
  if (browser.empty()) return false;
  return shell_open(owner_window, browser.c_str(), url) > 32;
}
