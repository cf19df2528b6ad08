// The GIF block walker of the animated picture window: finds the logical screen, counts the
// displayable blocks and cuts every frame out as a stand-alone one-frame GIF for the
// platform's picture loader. Every byte it reads is checked against the data length first, so
// a cut or damaged picture yields the frames before the damage, or nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The logical screen descriptor and the global colour table.
struct gif_screen {
  int32_t width = 0;
  int32_t height = 0;
  int32_t colour_table_size = 0;   // bytes; 0 when there is none
  bool has_background = false;     // the background index lies inside the table
  uint32_t background = 0xFFFFFF;  // 0x00bbggrr of the background entry
  // 13 + colour_table_size: where the first block starts and how much of the head every
  // cut frame repeats.
  size_t head_size() const { return 13 + static_cast<size_t>(colour_table_size); }
};

// The block at `position`: its whole length, or -1 when it is unknown, the trailer's 1,
// or it runs past the end of the data.
int32_t gif_block_length(const uint8_t* data, size_t length, size_t position);

// True when the data begins with "GIF" (the version is not checked).
bool is_gif_data(const uint8_t* data, size_t length);
// Reads the screen descriptor and the colour table's size; false when the head (13 bytes and
// the table) does not lie inside the data.
bool read_gif_screen(const uint8_t* data, size_t length, gif_screen& screen);

// The displayable blocks (images and plain texts, with the extensions before them) that lie
// whole inside the data, counted from the first block.
int32_t count_gif_graphic_blocks(const uint8_t* data, size_t length, const gif_screen& screen);

constexpr uint32_t gif_no_delay = 0xFFFFFFFFu;  // a frame without a graphic control extension

struct gif_frame_cut {
  int32_t left = 0, top = 0, width = 0, height = 0;  // 0 for a plain text block
  uint32_t delay = gif_no_delay;                     // hundredths of a second
  int32_t disposal = 0;                              // 0 to 7
  std::vector<uint8_t> gif;  // head, the frame's blocks, the trailer
};

// Every frame before the first block that cannot be read whole.
std::vector<gif_frame_cut> cut_gif_frames(const uint8_t* data, size_t length, const gif_screen& screen);

// How long a frame stays: delays up to 4 hundredths are shown for 100 ms, longer ones as given
// (in unsigned 32-bit arithmetic, so a frame without a delay waits until stopped).
uint32_t gif_frame_wait_ms(uint32_t delay);
