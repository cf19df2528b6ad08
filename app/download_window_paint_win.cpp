// The update page's painting: the billboard over the list, the footer with the bullets of the
// links and the selection total, then the drawn items.
#include <algorithm>
#include <cwchar>

#include "app/download_window_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/paint_win.h"
#include "widgets/size_text.h"
#include "widgets/ui_fonts.h"

namespace {

void fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

RECT rect_in_page(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

void download_window_c::paint(HDC dc, const RECT& client) {
  const int w = client.right, h = client.bottom;
  SetBkMode(dc, TRANSPARENT);
  fill(dc, client, RGB(229, 233, 238));
  fill(dc, RECT{0, h - 30, w, h}, RGB(232, 235, 242));
  HGDIOBJ old_pen = SelectObject(dc, line_pen_);
  MoveToEx(dc, 0, h - 30, nullptr);
  LineTo(dc, w, h - 30);
  if (!bullet_.is_null())
    for (int x : {15, 157, 276}) bullet_.draw(dc, x, h - 15);

  download_billboard board = choose_download_billboard(counts_);
  image_c& picture = board.png == 174 ? billboard_many_ : board.png == 198 ? billboard_some_ : billboard_none_;
  if (!picture.is_null()) picture.draw(dc, 17, 7);
  wchar_t title[1024] = L"";
  if (board.updates > 0)
    _snwprintf(title, 1023, as_wide(get_text(board.key)), int(board.updates));
  else
    _snwprintf(title, 1023, L"%ls", as_wide(get_text(board.key)));
  title[1023] = 0;
  // Title, rescan button and hint end before the "Download All" button: a longer translation
  // takes a smaller font (and the hint two lines) rather than run under it.
  int text_right = w - 10;
  if (download_all_.handle() && IsWindowVisible(download_all_.handle()))
    text_right = rect_in_page(download_all_.handle()).left - 10;
  const int rescan_width = rescan_button_ && rescan_button_->is_visible() ? rescan_button_->get_frame_width() + 12 : 0;
  const int title_length = int(wcslen(title));
  const HFONT title_fonts[] = {font_bold_ct_13, font_bold_ct_12, font_bold_ct_11, font_bold_ct_10};
  SIZE title_size = {0, 0};
  for (HFONT f : title_fonts) {
    if (!f) continue;
    SelectObject(dc, f);
    GetTextExtentPoint32W(dc, title, title_length, &title_size);
    if (75 + title_size.cx + rescan_width <= text_right) break;
  }
  SetTextColor(dc, board.colour);
  TextOutW(dc, 75, text_y_adjust_large + 12, title, title_length);
  // The rescan button sits 12 pixels right of the title's end.
  if (rescan_button_) rescan_button_->move_to(title_size.cx + 87, 13);
  SetTextColor(dc, RGB(21, 80, 146));
  const wchar_t* hint = as_wide(get_text("download_billboard_text2"));
  const int hint_length = int(wcslen(hint));
  SelectObject(dc, font_normal_9);
  SIZE hint_size = {0, 0};
  GetTextExtentPoint32W(dc, hint, hint_length, &hint_size);
  if (75 + hint_size.cx <= text_right) {
    TextOutW(dc, 75, 36, hint, hint_length);
  } else {
    RECT lines = {75, 33, text_right, 61};
    const HFONT hint_fonts[] = {font_normal_9, font_normal_8, font_normal_7};
    draw_wrapped_text_to_fit(dc, hint, lines, 1, hint_fonts, 3);
  }
  MoveToEx(dc, 0, 62, nullptr);
  LineTo(dc, w, 62);
  SelectObject(dc, old_pen);

  char16_t size[size_text_capacity];
  format_size_text(counts_.selected.size, size);
  wchar_t total[1024];
  _snwprintf(total, 1023, as_wide(get_text("download_total_selection")), int(counts_.selected.count), as_wide(size));
  total[1023] = 0;
  SelectObject(dc, font_normal_8);
  SetTextColor(dc, RGB(0, 0, 0));
  // A longer total grows leftwards instead of past the page's edge.
  const int total_length = int(wcslen(total));
  SIZE total_size = {0, 0};
  GetTextExtentPoint32W(dc, total, total_length, &total_size);
  TextOutW(dc, std::min(w - 165, w - 10 - int(total_size.cx)), h - 20, total, total_length);

  draw_items(dc);
}
