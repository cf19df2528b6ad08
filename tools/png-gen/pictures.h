// The program's pictures: number, size, frames, alpha, and how each is drawn.
#pragma once

#include <vector>

#include "canvas.h"

struct picture {
  int id;
  int width;
  int height;
  int frames;
  bool alpha;  // false: 24-bit, opaque
  // Draws frame `frame` into the box (x, 0, frame_width, height) of the strip.
  void (*paint)(canvas& c, int id, int frame, int x, int frame_width, int height);
};

const std::vector<picture>& all_pictures();

// The whole strip of a picture, every frame drawn; an opaque picture has no see-through pixel.
canvas draw_picture(const picture& p);
// The picture of that number among `list`; null when there is none.
const picture* find_picture(const std::vector<picture>& list, int id);

// Ousteln's pictures: numbers of its own program, so they go to a folder of their own.
const std::vector<picture>& offer_pictures();
// Ousteln's program icon, drawn into a square canvas of any size.
void paint_offer_icon(canvas& c);
// Vantoril's program icon, drawn into a square canvas of any size.
void paint_program_icon(canvas& c);
