// Opening a web page: with the shell's handler for web addresses, or, when there is none,
// with the browser that every Windows has, started from the program files folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Internet Explorer\iexplore.exe" in the program files folder; empty when the folder is not
// known or the path would not fit in MAX_PATH (260 characters with the terminator). A browser
// path relative to the current folder is never started.
std::u16string fallback_browser_path(std::u16string_view program_files);

// Windows only. Starts `file` through the shell (no verb, shown normally) with `parameters`
// (null for none) and answers the shell's result: above 32 when it was started. A seam: tests
// put a logging handler here.
using shell_open_fn = intptr_t (*)(void* owner, const char16_t* file, const char16_t* parameters);
extern shell_open_fn shell_open;

// Windows only. Opens `url` with the shell; when that fails, starts the fallback browser with
// the address as its parameters (when PROGRAMFILES gives one). True when either was started.
bool open_web_page(const char16_t* url, void* owner_window);
