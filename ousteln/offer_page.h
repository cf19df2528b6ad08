// Where Ousteln's offer page lives, and the browser it starts itself when the shell cannot
// open the page.
#pragma once

#include <string>
#include <string_view>

// The maker's web host.
extern const char16_t offer_host[];

// The offer page: the path "/special" on the maker's host.
std::u16string offer_page_address();

// "Internet Explorer\iexplore.exe" in the program files folder; empty when the folder is not
// known or the path would not fit in MAX_PATH (260 characters with the terminator).
std::u16string fallback_browser_path(std::u16string_view program_files);
