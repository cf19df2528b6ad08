// The update page's painting: the billboard over the list, the footer with the bullets of the
// links and the selection total, then the drawn items.
#include <cwchar>

#include "app/download_window_win.h"
#include "base/text.h"
#include "base/wide.h"
#include "widgets/language.h"
#include "widgets/size_text.h"
#include "widgets/ui_fonts.h"

namespace {

void fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  FillRect(dc, &r, brush);
  DeleteObject(brush);
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
  SelectObject(dc, font_bold_ct_13);
  SetTextColor(dc, board.colour);
  const int title_length = int(wcslen(title));
  TextOutW(dc, 75, text_y_adjust_large + 12, title, title_length);
  SIZE title_size = {0, 0};
  GetTextExtentPoint32W(dc, title, title_length, &title_size);
  // The rescan button sits 12 pixels right of the title's end.
  if (rescan_button_) rescan_button_->move_to(title_size.cx + 87, 13);
  SelectObject(dc, font_normal_9);
  SetTextColor(dc, RGB(21, 80, 146));
  const char16_t* hint = get_text("download_billboard_text2");
  TextOutW(dc, 75, 36, as_wide(hint), int(u16_length(hint)));
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
  TextOutW(dc, w - 165, h - 20, total, int(wcslen(total)));

  draw_items(dc);
}
