// The smoothing of the combined frame around its peak: square rings of trimmed means.
#pragma once

#include <cstdint>

// Replaces the pixels of the square rings around (x, y) of a 720 x 576 frame by the trimmed
// mean of their 3 x 3 neighbourhood, ring after ring while the ring stays inside the frame.
void smooth_around_peak(int16_t* frame, int32_t x, int32_t y);
