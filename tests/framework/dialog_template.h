// Windows only, tests: dialog templates built in memory.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

class dialog_template {
 public:
  dialog_template(DWORD style, short cx, short cy) {
    put_dword(style);
    put_dword(0);  // extended style
    count_at_ = words_.size();
    put_word(0);  // controls
    put_word(0);  // x
    put_word(0);  // y
    put_word(static_cast<WORD>(cx));
    put_word(static_cast<WORD>(cy));
    put_word(0);  // no menu
    put_word(0);  // the dialog class
    put_word(0);  // no title
  }
  // A push button (class atom 0x80).
  void add_button(int id, const wchar_t* text, short x, short y, short cx, short cy,
                  DWORD style = BS_PUSHBUTTON) {
    while (words_.size() % 2) put_word(0);
    put_dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | style);
    put_dword(0);
    put_word(static_cast<WORD>(x));
    put_word(static_cast<WORD>(y));
    put_word(static_cast<WORD>(cx));
    put_word(static_cast<WORD>(cy));
    put_word(static_cast<WORD>(id));
    put_word(0xFFFF);
    put_word(0x0080);
    for (const wchar_t* p = text; *p; ++p) put_word(static_cast<WORD>(*p));
    put_word(0);
    put_word(0);  // no creation data
    ++words_[count_at_];
  }
  const DLGTEMPLATE* get() {
    buffer_.assign((words_.size() + 1) / 2, 0);
    std::memcpy(buffer_.data(), words_.data(), words_.size() * sizeof(WORD));
    return reinterpret_cast<const DLGTEMPLATE*>(buffer_.data());
  }

 private:
  void put_word(WORD w) { words_.push_back(w); }
  void put_dword(DWORD d) {
    put_word(LOWORD(d));
    put_word(HIWORD(d));
  }
  std::vector<WORD> words_;
  std::vector<DWORD> buffer_;  // DWORD-aligned copy
  size_t count_at_ = 0;
};
