#include "tests/support/text_fit.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "framework/gdi.h"
#include "tests/support/gui_driver.h"

namespace text_fit {
namespace {

// One text or one picture as drawn into a DC, in the DC's coordinates.
struct mark {
  HDC dc = nullptr;
  bool picture = false;
  drawn_text text;
};

struct state_t {
  bool on = false;
  DWORD thread = 0;
  std::vector<mark> marks;
};
state_t& state() {
  static state_t s;
  return s;
}
bool recording() { return state().on && GetCurrentThreadId() == state().thread; }

using draw_text_fn = int(WINAPI*)(HDC, LPCWSTR, int, LPRECT, UINT);
using draw_text_ex_fn = int(WINAPI*)(HDC, LPWSTR, int, LPRECT, UINT, LPDRAWTEXTPARAMS);
using text_out_fn = BOOL(WINAPI*)(HDC, int, int, LPCWSTR, int);
using ext_text_out_fn = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*);
using tabbed_text_out_fn = LONG(WINAPI*)(HDC, int, int, LPCWSTR, int, int, const INT*, int);
using alpha_blend_fn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using stretch_blt_fn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, DWORD);
using bit_blt_fn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);

draw_text_fn real_draw_text;
draw_text_ex_fn real_draw_text_ex;
text_out_fn real_text_out;
ext_text_out_fn real_ext_text_out;
tabbed_text_out_fn real_tabbed_text_out;
alpha_blend_fn real_alpha_blend;
stretch_blt_fn real_stretch_blt;
bit_blt_fn real_bit_blt;

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }
bool inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
bool overlap(const RECT& a, const RECT& b) {
  RECT i;
  return IntersectRect(&i, &a, &b) != FALSE;
}

void note_picture(HDC dc, int x, int y, int w, int h) {
  if (!recording() || w <= 0 || h <= 0) return;
  mark m;
  m.dc = dc;
  m.picture = true;
  m.text.box = RECT{x, y, x + w, y + h};
  m.text.given = m.text.box;
  state().marks.push_back(m);
}

// Where a text drawn at a point lies, by the DC's text alignment.
RECT box_at(HDC dc, int x, int y, SIZE size) {
  UINT align = GetTextAlign(dc);
  RECT r{x, y, x + size.cx, y + size.cy};
  if ((align & TA_CENTER) == TA_CENTER)
    OffsetRect(&r, -size.cx / 2, 0);
  else if (align & TA_RIGHT)
    OffsetRect(&r, -size.cx, 0);
  if (align & TA_BASELINE) {
    TEXTMETRICW m{};
    GetTextMetricsW(dc, &m);
    OffsetRect(&r, 0, -m.tmAscent);
  } else if (align & TA_BOTTOM) {
    OffsetRect(&r, 0, -size.cy);
  }
  return r;
}

void note_point_text(HDC dc, int x, int y, const wchar_t* text, int count, SIZE size, const RECT* clip) {
  if (!recording() || !text || count <= 0) return;
  mark m;
  m.dc = dc;
  m.text.text.assign(text, size_t(count));
  m.text.box = box_at(dc, x, y, size);
  m.text.given = clip ? *clip : m.text.box;
  m.text.cut = clip && !inside(m.text.box, *clip);
  state().marks.push_back(m);
}

// The lines DrawText makes of a text that it word-wraps into `given`: drawn again into a
// rectangle one line high, it tells how many characters it took into that line.
std::vector<std::wstring> system_lines(HDC dc, const std::wstring& text, const RECT& given, UINT format) {
  std::vector<std::wstring> lines;
  HDC scratch = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 1, 1);
  HGDIOBJ old_bitmap = SelectObject(scratch, bitmap);
  HGDIOBJ old_font = SelectObject(scratch, GetCurrentObject(dc, OBJ_FONT));
  TEXTMETRICW m{};
  GetTextMetricsW(scratch, &m);
  const int line = m.tmHeight + ((format & DT_EXTERNALLEADING) ? m.tmExternalLeading : 0);
  const UINT drawn = format & ~(DT_CALCRECT | DT_MODIFYSTRING | DT_VCENTER | DT_BOTTOM | DT_NOCLIP);
  size_t at = 0;
  while (at < text.size() && lines.size() < 64) {
    std::wstring rest = text.substr(at);
    RECT r{0, 0, std::max(width(given), 1), line - 1};
    DRAWTEXTPARAMS p{sizeof p, 0, 0, 0, 0};
    real_draw_text_ex(scratch, rest.data(), int(rest.size()), &r, drawn, &p);
    const size_t n = std::min<size_t>(p.uiLengthDrawn, rest.size());
    if (n == 0) break;
    lines.push_back(rest.substr(0, n));
    at += n;
    // The spaces and line feed it broke at are not counted as drawn.
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\n' || text[at] == L'\r')) ++at;
  }
  SelectObject(scratch, old_font);
  SelectObject(scratch, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(scratch);
  return lines;
}

void note_draw_text(HDC dc, const wchar_t* text, int count, const RECT& given, UINT format) {
  if (!recording() || !text || (format & DT_CALCRECT)) return;
  size_t n = count < 0 ? std::wcslen(text) : size_t(count);
  if (n == 0) return;
  const UINT ellipsis = DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS;
  RECT need{0, 0, std::max(width(given), 1), 0};
  real_draw_text(dc, text, int(n), &need, (format & ~(ellipsis | DT_MODIFYSTRING | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
  const bool single = format & DT_SINGLELINE;
  int w = width(need), h = height(need);
  mark m;
  m.dc = dc;
  m.text.text.assign(text, n);
  m.text.given = given;
  bool wider = w > width(given) && !(format & ellipsis);
  bool taller = h > height(given);
  m.text.cut = !(format & DT_NOCLIP) && (wider || taller);
  m.text.need = SIZE{w, h};
  m.text.prefixed = !(format & DT_NOPREFIX) && m.text.text.find(L'&') != std::wstring::npos;
  if ((format & DT_WORDBREAK) && !single) m.text.lines = system_lines(dc, m.text.text, given, format);
  if (format & ellipsis) w = std::min(w, width(given));
  int left = given.left, top = given.top;
  if (format & DT_CENTER)
    left = given.left + (width(given) - w) / 2;
  else if (format & DT_RIGHT)
    left = given.right - w;
  if (single && (format & DT_VCENTER))
    top = given.top + (height(given) - h) / 2;
  else if (single && (format & DT_BOTTOM))
    top = given.bottom - h;
  m.text.box = RECT{left, top, left + w, top + h};
  if (!(format & DT_NOCLIP)) IntersectRect(&m.text.box, &m.text.box, &given);
  state().marks.push_back(m);
}

int WINAPI hook_draw_text(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (rect) note_draw_text(dc, text, count, *rect, format);
  return real_draw_text(dc, text, count, rect, format);
}
int WINAPI hook_draw_text_ex(HDC dc, LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS p) {
  if (rect && !p) note_draw_text(dc, text, count, *rect, format);
  return real_draw_text_ex(dc, text, count, rect, format, p);
}
BOOL WINAPI hook_text_out(HDC dc, int x, int y, LPCWSTR text, int count) {
  SIZE size{};
  if (recording() && text && count > 0 && GetTextExtentPoint32W(dc, text, count, &size))
    note_point_text(dc, x, y, text, count, size, nullptr);
  return real_text_out(dc, x, y, text, count);
}
BOOL WINAPI hook_ext_text_out(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                              const INT* dx) {
  if (recording() && text && count > 0 && !(options & ETO_GLYPH_INDEX)) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text, int(count), &size);
    if (dx) {
      size.cx = 0;
      for (UINT i = 0; i < count; ++i) size.cx += dx[i];
    }
    note_point_text(dc, x, y, text, int(count), size, (options & ETO_CLIPPED) ? rect : nullptr);
  }
  return real_ext_text_out(dc, x, y, options, rect, text, count, dx);
}
LONG WINAPI hook_tabbed_text_out(HDC dc, int x, int y, LPCWSTR text, int count, int tab_count, const INT* tabs,
                                 int origin) {
  if (recording() && text && count > 0) {
    DWORD e = GetTabbedTextExtentW(dc, text, count, tab_count, tabs);
    note_point_text(dc, x, y, text, count, SIZE{LOWORD(e), HIWORD(e)}, nullptr);
  }
  return real_tabbed_text_out(dc, x, y, text, count, tab_count, tabs, origin);
}
BOOL WINAPI hook_alpha_blend(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                             BLENDFUNCTION f) {
  note_picture(dc, x, y, w, h);
  return real_alpha_blend(dc, x, y, w, h, src, sx, sy, sw, sh, f);
}
BOOL WINAPI hook_stretch_blt(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                             DWORD rop) {
  note_picture(dc, x, y, w, h);
  return real_stretch_blt(dc, x, y, w, h, src, sx, sy, sw, sh, rop);
}
BOOL WINAPI hook_bit_blt(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  note_picture(dc, x, y, w, h);
  return real_bit_blt(dc, x, y, w, h, src, sx, sy, rop);
}

// Points every import slot of this program that holds `real` at `replacement`.
void patch_imports(void* real, void* replacement) {
  if (!real) return;
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); slot->u1.Function; ++slot) {
      if (reinterpret_cast<void*>(slot->u1.Function) != real) continue;
      DWORD old = 0;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
    }
  }
}

template <class F>
void resolve(F& real, const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) m = LoadLibraryW(module);
  real = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

struct hook {
  void** real;
  void* replacement;
};
hook* hooks(size_t* count) {
  static hook all[] = {
      {reinterpret_cast<void**>(&real_draw_text), reinterpret_cast<void*>(&hook_draw_text)},
      {reinterpret_cast<void**>(&real_draw_text_ex), reinterpret_cast<void*>(&hook_draw_text_ex)},
      {reinterpret_cast<void**>(&real_text_out), reinterpret_cast<void*>(&hook_text_out)},
      {reinterpret_cast<void**>(&real_ext_text_out), reinterpret_cast<void*>(&hook_ext_text_out)},
      {reinterpret_cast<void**>(&real_tabbed_text_out), reinterpret_cast<void*>(&hook_tabbed_text_out)},
      {reinterpret_cast<void**>(&real_alpha_blend), reinterpret_cast<void*>(&hook_alpha_blend)},
      {reinterpret_cast<void**>(&real_stretch_blt), reinterpret_cast<void*>(&hook_stretch_blt)},
      {reinterpret_cast<void**>(&real_bit_blt), reinterpret_cast<void*>(&hook_bit_blt)},
  };
  *count = sizeof all / sizeof all[0];
  return all;
}

std::string utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring class_of(HWND w) {
  wchar_t name[128] = {};
  GetClassNameW(w, name, 128);
  return name;
}

std::string name_of(HWND w) {
  std::string s = utf8(class_of(w));
  if (GetParent(w)) s += " #" + std::to_string(GetDlgCtrlID(w));
  return s;
}

std::string rect_text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

std::wstring squeezed(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s)
    if (c != L' ' && c != L'\n' && c != L'\r' && c != L'\t' && c != 0x3000) out += c;
  return out;
}

std::wstring window_text(HWND w) {
  int n = GetWindowTextLengthW(w);
  std::wstring s(size_t(n) + 1, L'\0');
  s.resize(size_t(GetWindowTextW(w, s.data(), n + 1)));
  return s;
}

// A real text control measured in its own font against its client area.
void check_control(HWND w, std::vector<std::string>& faults) {
  std::wstring cls = class_of(w);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  std::wstring text = window_text(w);
  if (text.empty()) return;
  RECT client;
  GetClientRect(w, &client);
  int room = width(client);
  UINT format = DT_CALCRECT;
  bool wraps = false, ellipsis = false;
  if (_wcsicmp(cls.c_str(), L"Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return;
    wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    ellipsis = (style & SS_ELLIPSISMASK) != 0;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW || type == BS_GROUPBOX || (style & (BS_BITMAP | BS_ICON))) return;
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                     type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    // The check mark and its gap, or a push button's edges.
    room -= box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 8;
    wraps = style & BS_MULTILINE;
  } else {
    return;
  }
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
  RECT need{0, 0, std::max(room, 1), 0};
  real_draw_text(dc, text.c_str(), int(text.size()), &need, format | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  if ((!ellipsis && width(need) > room) || height(need) > height(client))
    faults.push_back(name_of(w) + " \"" + utf8(text) + "\": cut, needs " + std::to_string(width(need)) + "x" +
                     std::to_string(height(need)) + " in " + std::to_string(room) + "x" +
                     std::to_string(height(client)));
}

// The rectangle of `child` in the client coordinates of `window`.
RECT rect_in(HWND window, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool listed(const std::vector<std::wstring>& classes, HWND w) {
  std::wstring c = class_of(w);
  for (const auto& x : classes)
    if (_wcsicmp(x.c_str(), c.c_str()) == 0) return true;
  return false;
}

// What the window draws when rendered through WM_PRINTCLIENT.
std::vector<mark> record_rendering(HWND w) {
  state().marks.clear();
  state().on = true;
  state().thread = GetCurrentThreadId();
  void* bits = nullptr;
  HBITMAP b = print_client(w, &bits);
  state().on = false;
  if (b) DeleteObject(b);
  std::vector<mark> marks;
  marks.swap(state().marks);
  return marks;
}

void check_one(HWND w, const options& how, std::vector<std::string>& faults,
               std::vector<std::wstring>& drawn_per_window) {
  check_control(w, faults);
  const std::vector<mark> marks = record_rendering(w);
  RECT client;
  GetClientRect(w, &client);
  std::vector<std::pair<HWND, RECT>> children;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && !listed(how.see_through_classes, c)) children.push_back({c, rect_in(w, c)});
  std::wstring all;
  const std::string where = name_of(w);
  for (size_t i = 0; i < marks.size(); ++i) {
    const mark& m = marks[i];
    if (m.picture) continue;
    const drawn_text& t = m.text;
    all += t.text;
    const std::string what = where + " \"" + utf8(t.text) + "\" at " + rect_text(t.box);
    if (t.cut)
      faults.push_back(what + ": cut, needs " + std::to_string(t.need.cx) + "x" + std::to_string(t.need.cy) +
                       ", drawn into " + rect_text(t.given));
    if (t.prefixed) faults.push_back(what + ": drawn with prefix processing, its '&' underlines a letter");
    if (!inside(t.box, client)) {
      faults.push_back(what + ": past the window's edge " + rect_text(client));
    } else {
      // Past the edge of a window above it.
      RECT r = t.box;
      for (HWND up = w, parent = GetParent(w); parent && (GetWindowLongW(up, GWL_STYLE) & WS_CHILD);
           up = parent, parent = GetParent(parent)) {
        MapWindowPoints(up, parent, reinterpret_cast<POINT*>(&r), 2);
        RECT pc;
        GetClientRect(parent, &pc);
        if (!inside(r, pc)) {
          faults.push_back(what + ": past the edge of " + name_of(parent) + " " + rect_text(pc));
          break;
        }
      }
    }
    for (size_t j = 0; j < marks.size(); ++j) {
      const mark& o = marks[j];
      if (j == i || o.dc != m.dc || !overlap(o.text.box, t.box)) continue;
      if (o.picture && j > i)
        faults.push_back(what + ": under a picture at " + rect_text(o.text.box));
      else if (!o.picture && j > i && o.text.text != t.text)
        faults.push_back(what + ": overlaps \"" + utf8(o.text.text) + "\" at " + rect_text(o.text.box));
    }
    for (const auto& [child, r] : children)
      if (overlap(r, t.box)) faults.push_back(what + ": under " + name_of(child) + " at " + rect_text(r));
  }
  drawn_per_window.push_back(squeezed(all));
}

BOOL CALLBACK collect(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

}  // namespace

recorder::recorder() {
  resolve(real_draw_text, L"user32.dll", "DrawTextW");
  resolve(real_draw_text_ex, L"user32.dll", "DrawTextExW");
  resolve(real_text_out, L"gdi32.dll", "TextOutW");
  resolve(real_ext_text_out, L"gdi32.dll", "ExtTextOutW");
  resolve(real_tabbed_text_out, L"user32.dll", "TabbedTextOutW");
  resolve(real_alpha_blend, L"msimg32.dll", "AlphaBlend");
  resolve(real_stretch_blt, L"gdi32.dll", "StretchBlt");
  resolve(real_bit_blt, L"gdi32.dll", "BitBlt");
  size_t n = 0;
  hook* h = hooks(&n);
  for (size_t i = 0; i < n; ++i) patch_imports(*h[i].real, h[i].replacement);
}

recorder::~recorder() {
  size_t n = 0;
  hook* h = hooks(&n);
  for (size_t i = 0; i < n; ++i) patch_imports(h[i].replacement, *h[i].real);
}

std::vector<drawn_text> texts_of(HWND window) {
  std::vector<drawn_text> out;
  for (const mark& m : record_rendering(window))
    if (!m.picture) out.push_back(m.text);
  return out;
}

std::vector<std::string> check_window(HWND window, const options& how) {
  std::vector<HWND> windows{window};
  EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&windows));
  std::vector<std::string> faults;
  std::vector<std::wstring> drawn;
  for (HWND w : windows)
    if (IsWindowVisible(w)) check_one(w, how, faults, drawn);
  for (const std::wstring& whole : how.whole_texts) {
    const std::wstring want = squeezed(whole);
    bool found = false;
    for (const std::wstring& d : drawn) found = found || d.find(want) != std::wstring::npos;
    if (!found) faults.push_back(name_of(window) + ": \"" + utf8(whole) + "\" is not drawn whole");
  }
  return faults;
}

namespace {
modal_check*& current_check() {
  static modal_check* c = nullptr;
  return c;
}
}  // namespace

modal_check::modal_check(options how, std::function<void(HWND)> end) : how_(std::move(how)), end_(std::move(end)) {
  current_check() = this;
  timer_ = SetTimer(nullptr, 0, 50, tick);
}

modal_check::~modal_check() {
  KillTimer(nullptr, timer_);
  current_check() = nullptr;
}

void CALLBACK modal_check::tick(HWND, UINT, UINT_PTR, DWORD) {
  modal_check* c = current_check();
  if (!c || c->seen) return;
  HWND d = gui::find_window(L"#32770");
  if (!d || !IsWindowVisible(d)) return;
  c->seen = true;
  c->faults = check_window(d, c->how_);
  if (const char* dir = std::getenv("TEXT_FIT_SHOTS")) {
    static int n = 0;
    std::string path = std::string(dir) + "\\dialog" + std::to_string(++n) + ".bmp";
    gui::save_bmp(d, std::wstring(path.begin(), path.end()));
  }
  c->end_(d);
}

std::vector<std::wstring> lines_of(const std::vector<drawn_text>& texts, const std::wstring& whole) {
  const std::wstring want = squeezed(whole);
  if (want.empty()) return {};
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!texts[i].lines.empty()) {
      std::wstring joined;
      for (const std::wstring& l : texts[i].lines) joined += l;
      if (squeezed(joined) == want) return texts[i].lines;
      continue;
    }
    std::wstring run;
    for (size_t j = i; j < texts.size() && texts[j].lines.empty(); ++j) {
      run += squeezed(texts[j].text);
      if (run == want) {
        std::vector<std::wstring> lines;
        for (size_t k = i; k <= j; ++k) lines.push_back(texts[k].text);
        return lines;
      }
      if (run.empty() || want.compare(0, run.size(), run) != 0) break;
    }
  }
  return {};
}

std::vector<std::string> line_break_faults(const std::vector<std::wstring>& lines) {
  static const std::wstring no_start =
      L"、。，．）」』】〉》〕］｝〙〗〟’”・ー！？：；ゝゞヽヾ々〻〜"
      L"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ｡､｣･ｰｧｨｩｪｫｬｭｮｯﾞﾟ!),.:;?]}";
  static const std::wstring no_end = L"（「『【〈《〔［｛〘〖〝‘“｢([{";
  std::string shown;
  for (const std::wstring& l : lines) shown += "[" + utf8(l) + "]";
  std::vector<std::string> faults;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring l = squeezed(lines[i]);
    if (l.empty()) continue;
    const std::string n = std::to_string(i + 1);
    if (i > 0 && no_start.find(l.front()) != std::wstring::npos)
      faults.push_back("line " + n + " starts with \"" + utf8(l.substr(0, 1)) + "\": " + shown);
    if (i + 1 < lines.size() && no_end.find(l.back()) != std::wstring::npos)
      faults.push_back("line " + n + " ends with \"" + utf8(l.substr(l.size() - 1)) + "\": " + shown);
  }
  return faults;
}

std::string describe(const std::vector<std::string>& faults) {
  std::string s;
  for (const std::string& f : faults) s += "\n  " + f;
  return s;
}

}  // namespace text_fit
