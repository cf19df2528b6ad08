// Windows only, tests: finds texts that a window shows cut, past its edge or under another
// item. While a text_fit::recorder lives, every text this program draws through GDI (DrawText,
// TextOut, ExtTextOut, TabbedTextOut) and every picture it blits is recorded with the DC, the
// place and the font; `check_window` renders a window and its visible descendants one by one
// through WM_PRINTCLIENT and judges each recorded text:
//   - cut: larger than the rectangle it was drawn into (measured with DT_CALCRECT in its own
//     font and format; an ellipsis format counts as whole);
//   - past the edge: beyond the client area of its window or of any window above it;
//   - under another item: a picture blitted after it, another text or a visible child window
//     covers part of it;
//   - prefixed: a '&' in it underlines the next letter (DrawText without DT_NOPREFIX).
// Real text controls (static texts, buttons, check boxes) are measured in their own font
// against their client area.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace text_fit {

// One text as drawn, in its window's client coordinates.
struct drawn_text {
  std::wstring text;
  RECT given{};  // the rectangle it was drawn into (its own box for TextOut)
  RECT box{};    // where its glyphs lie
  SIZE need{};   // what it needs (DrawText)
  bool cut = false;
  bool prefixed = false;  // a '&' drawn by DrawText without DT_NOPREFIX
  // A text that DrawText word-wrapped itself: the lines it made of it, as it drew them.
  std::vector<std::wstring> lines;
};

class recorder {
 public:
  recorder();
  ~recorder();
  recorder(const recorder&) = delete;
  recorder& operator=(const recorder&) = delete;
};

struct options {
  // Texts that must be drawn whole somewhere in the window tree (a dialog's message): all of
  // their characters but spaces and line breaks, in order, in the recorded texts of one window.
  std::vector<std::wstring> whole_texts;
  // Child windows of these classes are not counted as covering their parent's texts.
  std::vector<std::wstring> see_through_classes;
};

// The texts of one window, rendered now (a recorder must live).
std::vector<drawn_text> texts_of(HWND window);

// Every fault found in `window` and its visible descendants, one line each ("" when none is
// found): the window's class, the text and what is wrong with it.
std::vector<std::string> check_window(HWND window, const options& how = {});

// While it lives, checks the first modal dialog (#32770) of this thread that shows, from a
// timer that modal loops also run, then ends it with `end`. With TEXT_FIT_SHOTS naming a
// folder, a picture of each dialog checked goes there.
class modal_check {
 public:
  modal_check(options how, std::function<void(HWND)> end);
  ~modal_check();
  modal_check(const modal_check&) = delete;
  modal_check& operator=(const modal_check&) = delete;
  std::vector<std::string> faults;
  bool seen = false;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
  options how_;
  std::function<void(HWND)> end_;
  UINT_PTR timer_ = 0;
};

// The lines in which a window drew a text that it wraps (`whole`, line feeds and all): the run
// of its recorded texts, one line each, that together make the text, or the lines DrawText
// made of it; empty when the window drew no such run.
std::vector<std::wstring> lines_of(const std::vector<drawn_text>& texts, const std::wstring& whole);

// A line that breaks where Japanese readers do not expect one, one fault each: a line after
// the first that starts with a closing mark, a comma or full stop, a small kana or a long-vowel
// or iteration mark, or a line before the last that ends with an opening mark.
std::vector<std::string> line_break_faults(const std::vector<std::wstring>& lines);

// The faults as one text for a test's message.
std::string describe(const std::vector<std::string>& faults);

}  // namespace text_fit
