#include "pictures.h"

#include "signs.h"
#include "strokes.h"

namespace {

const colour navy = rgb(0, 42, 89);
const colour blue = rgb(24, 90, 160);
const colour blue_hover = rgb(44, 118, 196);
const colour blue_pressed = rgb(16, 66, 124);
const colour light_blue = rgb(195, 208, 224);
const colour pale_blue = rgb(229, 238, 248);
const colour frame_grey = rgb(121, 135, 146);
const colour disabled_grey = rgb(168, 176, 184);
const colour white = rgb(255, 255, 255);
const colour green = rgb(46, 160, 90);
const colour amber = rgb(236, 160, 20);
const colour red = rgb(204, 52, 52);

colour state_blue(int frame) {
  switch (frame) {
    case 1: return blue_hover;
    case 2: return blue_pressed;
    case 3: return disabled_grey;
    default: return blue;
  }
}

// Flat blue push button with rounded corners.
void blue_button(canvas& c, int, int f, int x, int w, int h) {
  c.round_rect(x + 0.5, 0.5, w - 1, h - 1, h > 40 ? 8 : 4, state_blue(f));
}

// The big start button: a magnifier left of the caption, which starts at x 120.
void start_button(canvas& c, int id, int f, int x, int w, int h) {
  blue_button(c, id, f, x, w, h);
  double cx = x + 68, cy = h / 2.0 - 6;
  c.ring(cx, cy, 17, 5, white);
  c.line(cx + 12, cy + 12, cx + 27, cy + 27, 7, white);
}

// Light button with a thin frame (dialog OK/Cancel, preferences buttons).
void light_button(canvas& c, int, int f, int x, int w, int h) {
  colour fill = f == 1 ? pale_blue : f == 2 ? light_blue : rgb(250, 250, 252);
  colour edge = f == 0 ? frame_grey : blue;
  c.round_rect(x + 0.5, 0.5, w - 1, h - 1, 3, fill);
  c.round_frame(x + 0.5, 0.5, w - 1, h - 1, 3, 1, edge);
}

// Sidebar entry on the bar's light grey: its caption is dark blue, and white on the selected
// (pressed) frame, which is a blue band with a white mark at the left.
void sidebar_entry(canvas& c, int id, int f, int x, int w, int h) {
  colour band = f == 1 ? rgb(208, 222, 238) : f == 2 ? blue : rgb(229, 233, 238);
  c.rect(x, 0, w, h, band);
  if (f == 2) c.rect(x, 0, 4, h, white);
  if (f != 2) c.rect(x, h - 1, w, 1, rgb(210, 217, 226));  // a thin rule between entries
  colour ink = f == 3 ? rgb(168, 176, 184) : f == 2 ? white : blue;
  navigation_glyph(c, id, x + 26, h / 2.0, ink);
}

// Close cross on a clear ground; the ground lights up under the mouse.
void close_button(canvas& c, int, int f, int x, int w, int h) {
  if (f == 1) c.round_rect(x + 0.5, 0.5, w - 1, h - 1, 3, red);
  if (f == 2) c.round_rect(x + 0.5, 0.5, w - 1, h - 1, 3, rgb(160, 30, 30));
  double cx = x + w / 2.0, cy = h / 2.0;
  colour ink = f == 0 ? light_blue : white;
  c.line(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.6, ink);
  c.line(cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5, 1.6, ink);
}

// Caption buttons of the main window: minimise, maximise, restore, menu.
void caption_button(canvas& c, int id, int f, int x, int w, int h) {
  if (f) c.round_rect(x + 0.5, 0.5, w - 1, h - 1, 3, f == 1 ? blue_hover : blue_pressed);
  double cx = x + w / 2.0, cy = h / 2.0;
  // The main window's caption buttons: 105 maximise, 120 restore, 107 minimise, 106 menu.
  switch (id) {
    case 107: c.rect(int(cx) - 5, int(cy) + 3, 10, 2, white); break;
    case 105: c.round_frame(cx - 5, cy - 5, 10, 10, 0, 1.5, white); break;
    case 120: c.round_frame(cx - 5, cy - 2, 8, 8, 0, 1.5, white); c.rect(int(cx) - 2, int(cy) - 5, 8, 1, white); c.rect(int(cx) + 5, int(cy) - 5, 1, 8, white); break;
    default: for (int i = -4; i <= 4; i += 4) c.rect(int(cx) - 6, int(cy) + i - 1, 12, 2, white); break;
  }
}

void pattern(canvas& c, int, int, int, int, int) {
  // The main window's caption and status strip: white texts and logos stand on it.
  c.fill(rgb(22, 72, 128));
  c.rect(0, 0, 1, 1, rgb(30, 84, 144));
  c.rect(2, 2, 1, 1, rgb(30, 84, 144));
}

void about_picture(canvas& c, int, int, int, int w, int h) {
  c.circle(w / 2.0, h / 2.0, w / 2.0 - 2, blue);
  c.ring(w / 2.0, h / 2.0, w / 2.0 - 12, 4, rgb(255, 255, 255, 120));
  c.line(w * 0.32, h * 0.36, w * 0.5, h * 0.68, 12, white);
  c.line(w * 0.5, h * 0.68, w * 0.68, h * 0.36, 12, white);
}

// The three steps: a mark left of each caption (the page writes the captions at x 62, 205 and
// 359 near the top), chevrons between them and a rule below, its first part done.
void home_steps(canvas& c, int, int, int, int w, int h) {
  const double marks[3] = {40, 183, 337};
  for (int i = 0; i < 3; ++i) {
    c.circle(marks[i], 15, 12, i == 0 ? blue : light_blue);
    c.circle(marks[i], 15, 4.5, white);
  }
  for (double x : {150.0, 305.0}) {
    c.line(x, 9, x + 6, 15, 2, light_blue);
    c.line(x + 6, 15, x, 21, 2, light_blue);
  }
  c.rect(28, h - 9, w - 56, 3, light_blue);
  c.rect(28, h - 9, 155, 3, blue);
}

void monitor_icon(canvas& c, int, int, int, int w, int h) {
  c.round_rect(1, 1, w - 2, h - 6, 2, blue);
  c.rect(3, 3, w - 6, h - 10, white);
  c.rect(w / 2 - 1, h - 5, 3, 3, blue);
  c.rect(w / 2 - 5, h - 2, 11, 2, blue);
}

void message_icon(canvas& c, int id, int, int, int w, int h) { message_sign(c, id, w, h); }

// Progress bar pieces: left cap, middle, right cap.
void bar_piece(canvas& c, int id, int f, int x, int w, int h) {
  colour fill = id == 152 ? blue : rgb(225, 230, 236);
  c.rect(x, 0, w, h, white);
  double left = f == 0 ? x + 1 : x - 6, width = f == 1 ? w + 12 : w + 5;
  c.round_rect(left, 2, width, h - 4, 5, fill);
  // The middle piece must tile: no corners inside it.
  if (f == 1) c.rect(x, 2, w, h - 4, fill);
}

void logo(canvas& c, int id, int, int, int w, int h) {
  if (id == 169) {
    c.round_rect(8, 4, w - 16, h - 8, 12, white);
    c.line(w * 0.3, h * 0.35, w * 0.5, h * 0.7, 9, blue);
    c.line(w * 0.5, h * 0.7, w * 0.7, h * 0.35, 9, blue);
    return;
  }
  // The product's name in white on the caption's blue; the line below it starts at x 5.
  draw_text(c, 5, 30, 25, 4.4, white, "Vantoril");
}

void check_mark(canvas& c, int id, int f, int x, int w, int h) {
  colour edge = f == 0 ? frame_grey : blue;
  double s = w < h ? w : h;
  double ox = x + (w - s) / 2.0 + 1, oy = (h - s) / 2.0 + 1;
  c.round_rect(ox, oy, s - 2, s - 2, 3, f == 2 ? pale_blue : white);
  c.round_frame(ox, oy, s - 2, s - 2, 3, 1.2, edge);
  if (id == 172 || id == 190) {
    c.line(ox + s * 0.22, oy + s * 0.5, ox + s * 0.42, oy + s * 0.7, 2.2, blue);
    c.line(ox + s * 0.42, oy + s * 0.7, ox + s * 0.76, oy + s * 0.28, 2.2, blue);
  }
}

void radio(canvas& c, int id, int f, int x, int w, int h) {
  double cx = x + w / 2.0, cy = h / 2.0;
  c.circle(cx, cy, w / 2.0 - 0.5, f == 2 ? pale_blue : white);
  c.ring(cx, cy, w / 2.0 - 0.5, 1.2, f == 0 ? frame_grey : blue);
  if (id == 195) c.circle(cx, cy, w / 2.0 - 4, blue);
}

void row_strip(canvas& c, int, int, int, int w, int h) {
  c.vgradient(0, 0, w, h, white, rgb(240, 244, 248));
  c.rect(0, h - 1, w, 1, rgb(222, 228, 235));
}

void dot(canvas& c, int, int, int, int w, int h) { c.circle(w / 2.0, h / 2.0, w / 2.0 - 0.5, light_blue); }

// The WHQL mark: a green seal with a tick.
void whql_mark(canvas& c, int, int, int, int w, int h) {
  c.circle(w / 2.0, h / 2.0, w / 2.0 - 0.5, green);
  tick(c, w / 2.0, h / 2.0 + 0.3, w * 0.62, 1.9, white);
}

// The preferences' browse buttons: a folder on the light button.
void browse_button(canvas& c, int id, int f, int x, int w, int h) {
  light_button(c, id, f, x, w, h);
  folder_sign(c, x + w / 2.0, h / 2.0, f == 0 ? rgb(60, 120, 190) : blue);
}

void toggle(canvas& c, int id, int f, int x, int w, int h) {
  double cx = x + w / 2.0, cy = h / 2.0;
  c.circle(cx, cy, w / 2.0 - 1, state_blue(f));
  if (id == 179)
    c.triangle(cx - 4.5, cy - 2, cx + 4.5, cy - 2, cx, cy + 3, white);
  else
    c.triangle(cx - 2, cy - 4.5, cx - 2, cy + 4.5, cx + 3, cy, white);
}

void wait_bar(canvas& c, int, int, int, int w, int h) { c.vgradient(0, 0, w, h, blue_hover, blue_pressed); }

void busy_bar(canvas& c, int, int, int, int w, int h) {
  c.round_rect(0.5, 0.5, w - 1, h - 1, 4, light_blue);
  for (int i = -h; i < w; i += 12)
    c.shape(0, 1, w, h - 1, blue, [=](double px, double py) {
      double d = px - i - (h - py);
      return d >= 0 && d < 6;
    });
}

void tab(canvas& c, int, int f, int x, int w, int h) {
  colour fill = f == 0 ? rgb(236, 240, 245) : f == 1 ? pale_blue : white;
  c.round_rect(x + 0.5, 0.5, w - 1, h + 4, 4, fill);
  c.round_frame(x + 0.5, 0.5, w - 1, h + 4, 4, 1, f == 2 ? blue : frame_grey);
  if (f == 2) c.rect(x + 1, 0, w - 2, 3, blue);
}

void drop_down(canvas& c, int, int f, int x, int w, int h) {
  colour edge = f == 3 ? disabled_grey : f == 0 ? frame_grey : blue;
  c.round_rect(x + 0.5, 0.5, w - 1, h - 1, 3, f == 3 ? rgb(240, 240, 240) : f == 2 ? pale_blue : white);
  c.round_frame(x + 0.5, 0.5, w - 1, h - 1, 3, 1, edge);
  double cx = x + w - 12, cy = h / 2.0;
  c.triangle(cx - 4, cy - 2, cx + 4, cy - 2, cx, cy + 3, f == 3 ? disabled_grey : blue);
}

void separator(canvas& c, int, int, int, int w, int h) { c.rect(0, 0, w, h, rgb(218, 224, 231)); }

void arrow(canvas& c, int, int f, int x, int w, int h) {
  double cx = x + w / 2.0;
  c.triangle(cx - 4, 2.5, cx + 4, 2.5, cx, h - 2.5, state_blue(f));
}

// The update page's rescan button: a green pill with a turning arrow.
void rescan_button(canvas& c, int, int, int, int w, int h) {
  c.round_rect(0.5, 0.5, w - 1, h - 1, h / 2.0, green);
  turning_arrow(c, w / 2.0, h / 2.0, 4.6, 1.8, white);
}

void page_picture(canvas& c, int id, int, int, int w, int h) {
  double cx = w / 2.0, cy = h / 2.0;
  switch (id) {
    case 174:  // download
      c.circle(cx, cy, w / 2.0 - 1, blue);
      c.line(cx, cy - 12, cx, cy + 4, 5, white);
      c.triangle(cx - 9, cy + 1, cx + 9, cy + 1, cx, cy + 12, white);
      break;
    case 199:  // up to date
      c.circle(cx, cy, w / 2.0 - 1, green);
      c.line(cx - 10, cy, cx - 3, cy + 8, 5, white);
      c.line(cx - 3, cy + 8, cx + 11, cy - 8, 5, white);
      break;
    case 205:  // backup box
      c.round_rect(4, 10, w - 8, h - 12, 4, blue);
      c.round_rect(2, 4, w - 4, 10, 3, blue_pressed);
      c.rect(int(cx) - 7, 20, 14, 4, white);
      break;
    case 206:  // uninstall bin
      c.round_rect(12, 12, w - 24, h - 14, 3, blue);
      c.rect(8, 6, w - 16, 4, blue_pressed);
      c.rect(int(cx) - 5, 2, 10, 4, blue_pressed);
      for (int i = -1; i <= 1; ++i) c.rect(int(cx) + i * 7 - 1, 18, 2, h - 24, white);
      break;
    default:  // attention (198: a few updates found)
      c.circle(cx, cy, w / 2.0 - 1, amber);
      c.line(cx, cy - 12, cx, cy + 3, 5, white);
      c.circle(cx, cy + 11, 3, white);
      break;
  }
}

// Ousteln's offer window: a dark upper part for the white title and offer text, a gift at the
// left of the text, and a light band at the bottom under the dark link text.
void offer_background(canvas& c, int, int, int, int w, int h) {
  const int band = 250;
  c.vgradient(0, 0, w, band, rgb(18, 52, 94), rgb(10, 30, 58));
  c.rect(0, 0, w, 32, rgb(8, 24, 48));
  c.rect(0, 32, w, 1, rgb(44, 84, 132));
  c.vgradient(0, band, w, h - band, rgb(242, 245, 249), rgb(226, 232, 239));
  c.rect(0, band, w, 1, rgb(200, 208, 218));
  // Soft light behind the gift.
  for (int r = 58; r > 0; r -= 6) c.circle(80, 132, r, rgb(60, 110, 170, 14));
  const colour box = rgb(252, 157, 44), lid = rgb(255, 178, 80), ribbon = rgb(244, 107, 32);
  c.round_rect(42, 118, 76, 60, 4, box);
  c.round_rect(36, 100, 88, 22, 4, lid);
  c.rect(73, 100, 14, 78, ribbon);
  c.ring(68, 90, 10, 5, ribbon);
  c.ring(92, 90, 10, 5, ribbon);
  c.circle(80, 98, 6, ribbon);
  // A few sparks.
  c.circle(130, 76, 3, white);
  c.circle(28, 150, 2, rgb(255, 255, 255, 180));
  c.circle(124, 190, 2, rgb(255, 255, 255, 160));
}

void placeholder(canvas& c, int, int, int, int w, int h) {
  c.round_rect(0.5, 0.5, w - 1, h - 1, 4, light_blue);
}

}  // namespace

const std::vector<picture>& all_pictures() {
  static const std::vector<picture> list = {
      {102, 744, 45, 4, false, sidebar_entry}, {104, 744, 45, 4, false, sidebar_entry},
      {108, 744, 45, 4, false, sidebar_entry}, {110, 744, 45, 4, false, sidebar_entry},
      {112, 744, 45, 4, false, sidebar_entry}, {113, 744, 45, 4, false, sidebar_entry},
      {203, 744, 45, 4, false, sidebar_entry}, {103, 120, 20, 3, true, close_button},
      {105, 84, 20, 3, true, caption_button},  {106, 84, 20, 3, true, caption_button},
      {107, 84, 20, 3, true, caption_button},  {120, 84, 20, 3, true, caption_button},
      {111, 4, 4, 1, false, pattern},          {116, 81, 128, 1, true, placeholder},
      {117, 157, 157, 1, true, about_picture}, {118, 924, 91, 3, true, start_button},
      {167, 421, 49, 1, true, home_steps},     {168, 22, 19, 1, true, monitor_icon},
      {128, 288, 27, 3, true, light_button},   {129, 40, 40, 1, true, message_icon},
      {130, 40, 40, 1, true, message_icon},    {131, 40, 40, 1, true, message_icon},
      {132, 40, 40, 1, true, message_icon},    {134, 495, 37, 3, true, blue_button},
      {151, 30, 21, 3, false, bar_piece},      {152, 30, 21, 3, false, bar_piece},
      {169, 95, 78, 1, true, logo},            {170, 289, 34, 1, true, logo},
      {171, 54, 18, 3, true, check_mark},      {172, 54, 18, 3, true, check_mark},
      {173, 315, 26, 3, true, blue_button},    {174, 48, 48, 1, true, page_picture},
      {198, 48, 48, 1, true, page_picture},    {199, 48, 48, 1, true, page_picture},
      {175, 14, 14, 1, true, whql_mark},             {177, 403, 24, 1, true, row_strip},
      {178, 5, 5, 1, true, dot},               {179, 57, 19, 3, true, toggle},
      {180, 57, 19, 3, true, toggle},          {181, 429, 35, 1, true, placeholder},
      {183, 8, 22, 1, false, wait_bar},        {189, 66, 20, 3, true, check_mark},
      {190, 66, 20, 3, true, check_mark},      {194, 42, 14, 3, true, radio},
      {195, 42, 14, 3, true, radio},           {191, 327, 29, 3, true, tab},
      {192, 138, 24, 3, true, browse_button},   {197, 276, 26, 4, true, drop_down},
      {196, 2, 288, 1, true, separator},       {200, 39, 10, 3, true, arrow},
      {202, 104, 22, 1, true, busy_bar},       {204, 39, 16, 1, true, rescan_button},
      {205, 53, 44, 1, true, page_picture},    {206, 50, 44, 1, true, page_picture},
  };
  return list;
}

canvas draw_picture(const picture& p) {
  canvas c(p.width, p.height);
  int frame_width = p.width / p.frames;
  for (int f = 0; f < p.frames; ++f) p.paint(c, p.id, f, f * frame_width, frame_width, p.height);
  if (!p.alpha)
    for (size_t i = 3; i < c.px.size(); i += 4) c.px[i] = 255;
  return c;
}

const picture* find_picture(const std::vector<picture>& list, int id) {
  for (const picture& p : list)
    if (p.id == id) return &p;
  return nullptr;
}

const std::vector<picture>& offer_pictures() {
  static const std::vector<picture> list = {
      {129, 120, 20, 3, true, close_button},
      {130, 498, 314, 1, true, offer_background},
      {131, 9, 9, 1, true, dot},
  };
  return list;
}

void paint_offer_icon(canvas& c) {
  double s = c.w;
  c.round_rect(0.5, 0.5, s - 1, s - 1, s / 6, rgb(252, 157, 44));
  const colour ink = white;
  c.rect(int(s * 0.22), int(s * 0.45), int(s * 0.56 + 0.5), int(s * 0.36 + 0.5), ink);
  c.rect(int(s * 0.16), int(s * 0.32), int(s * 0.68 + 0.5), int(s * 0.14 + 0.5), ink);
  c.rect(int(s * 0.45), int(s * 0.32), int(s * 0.1 + 0.5), int(s * 0.49 + 0.5), rgb(244, 107, 32));
  c.ring(s * 0.38, s * 0.24, s * 0.08, s * 0.05, ink);
  c.ring(s * 0.62, s * 0.24, s * 0.08, s * 0.05, ink);
}

void paint_program_icon(canvas& c) {
  double s = c.w;
  c.round_rect(0.5, 0.5, s - 1, s - 1, s / 6, rgb(24, 90, 160));
  const colour ink = white;
  // A "V" over a small gear ring: drivers kept in shape.
  c.line(s * 0.24, s * 0.22, s * 0.5, s * 0.78, s * 0.13, ink);
  c.line(s * 0.76, s * 0.22, s * 0.5, s * 0.78, s * 0.13, ink);
  c.ring(s * 0.5, s * 0.5, s * 0.40, s * 0.04, rgb(195, 208, 224));
}
