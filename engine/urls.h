// Web addresses: escaping and opening.
#pragma once

// Escapes the spaces of a URL before its query or fragment; false for null or a failure.
bool url_escape(const char* url, char out[1025]);
// Opens a web page with the shell, or with the browser from the program files folder when
// that fails (base/web_page.h).
void open_url(const char16_t* url, void* owner_window);
