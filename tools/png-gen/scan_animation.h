// The scanning animation of the scan page: GIF 127, a ring with a turning blue arc around a
// magnifying glass, on white.
#pragma once

#include <string>

// The GIF's bytes.
std::string scan_animation_gif();
