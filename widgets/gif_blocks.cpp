#include "widgets/gif_blocks.h"

namespace {

constexpr uint8_t extension_introducer = 0x21;
constexpr uint8_t image_separator = 0x2C;
constexpr uint8_t trailer = 0x3B;
constexpr uint8_t application_label = 0xFF;
constexpr uint8_t comment_label = 0xFE;
constexpr uint8_t graphic_control_label = 0xF9;
constexpr uint8_t plain_text_label = 0x01;

enum class block_kind { unknown, application, comment, graphic_control, plain_text, image, trailer };

block_kind kind_at(const uint8_t* data, size_t length, size_t position) {
  if (position >= length) return block_kind::unknown;
  uint8_t first = data[position];
  if (first == image_separator) return block_kind::image;
  if (first == trailer) return block_kind::trailer;
  if (first != extension_introducer || position + 1 >= length) return block_kind::unknown;
  switch (data[position + 1]) {
    case application_label: return block_kind::application;
    case comment_label: return block_kind::comment;
    case graphic_control_label: return block_kind::graphic_control;
    case plain_text_label: return block_kind::plain_text;
    default: return block_kind::unknown;
  }
}

// The data sub-blocks from `position`: their bytes up to and with the closing zero length, or
// -1 when the walk leaves the data.
int64_t sub_blocks_length(const uint8_t* data, size_t length, size_t position) {
  size_t at = position;
  for (;;) {
    if (at >= length) return -1;
    uint8_t n = data[at];
    if (n == 0) return static_cast<int64_t>(at - position + 1);
    at += size_t(n) + 1;
  }
}

int32_t with_sub_blocks(const uint8_t* data, size_t length, size_t position, size_t fixed) {
  if (position + fixed > length) return -1;
  int64_t rest = sub_blocks_length(data, length, position + fixed);
  if (rest < 0) return -1;
  int64_t whole = static_cast<int64_t>(fixed) + rest;
  if (whole > INT32_MAX) return -1;
  return static_cast<int32_t>(whole);
}

uint16_t word_at(const uint8_t* data, size_t position) {
  return static_cast<uint16_t>(data[position] | (data[position + 1] << 8));
}

// Skips the block at `position` when it lies whole inside the data.
bool skip_block(const uint8_t* data, size_t length, size_t& position) {
  int32_t n = gif_block_length(data, length, position);
  if (n <= 0 || position + size_t(n) > length) return false;
  position += size_t(n);
  return true;
}

bool skip_application_and_comments(const uint8_t* data, size_t length, size_t& position) {
  for (;;) {
    block_kind k = kind_at(data, length, position);
    if (k != block_kind::application && k != block_kind::comment) return true;
    if (!skip_block(data, length, position)) return false;
  }
}

// From a graphic control extension at `position`, past every extension before the image or
// plain text block it belongs to. False at an unknown block or the trailer.
bool skip_to_graphic(const uint8_t* data, size_t length, size_t& position) {
  for (;;) {
    block_kind k = kind_at(data, length, position);
    if (k == block_kind::image || k == block_kind::plain_text) return true;
    if (k == block_kind::unknown || k == block_kind::trailer) return false;
    if (!skip_block(data, length, position)) return false;
  }
}

// One displayable block with what comes before it; `start` is where the frame's own blocks
// begin (the graphic control extension, or the block itself).
bool next_graphic(const uint8_t* data, size_t length, size_t& position, size_t& start,
                  gif_frame_cut* frame) {
  if (!skip_application_and_comments(data, length, position)) return false;
  start = position;
  block_kind k = kind_at(data, length, position);
  if (k == block_kind::graphic_control) {
    if (position + 8 > length) return false;
    if (frame) {
      frame->delay = word_at(data, position + 4);
      frame->disposal = (data[position + 3] >> 2) & 7;
    }
    if (!skip_block(data, length, position) || !skip_to_graphic(data, length, position)) return false;
    k = kind_at(data, length, position);
  }
  if (k != block_kind::image && k != block_kind::plain_text) return false;
  if (k == block_kind::image && frame) {
    if (position + 9 > length) return false;
    frame->left = word_at(data, position + 1);
    frame->top = word_at(data, position + 3);
    frame->width = word_at(data, position + 5);
    frame->height = word_at(data, position + 7);
  }
  return skip_block(data, length, position);
}

}  // namespace

int32_t gif_block_length(const uint8_t* data, size_t length, size_t position) {
  switch (kind_at(data, length, position)) {
    case block_kind::application: {
      int32_t n = with_sub_blocks(data, length, position, 14);
      return n <= 0 ? -1 : n;
    }
    case block_kind::comment: return with_sub_blocks(data, length, position, 2);
    case block_kind::graphic_control: return position + 8 <= length ? 8 : -1;
    case block_kind::plain_text: return with_sub_blocks(data, length, position, 15);
    case block_kind::image: {
      if (position + 10 > length) return -1;
      uint8_t packed = data[position + 9];
      size_t table = (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
      return with_sub_blocks(data, length, position, 11 + table);
    }
    case block_kind::trailer: return 1;
    case block_kind::unknown: break;
  }
  return -1;
}

bool is_gif_data(const uint8_t* data, size_t length) {
  return length >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

bool read_gif_screen(const uint8_t* data, size_t length, gif_screen& screen) {
  screen = gif_screen{};
  if (!is_gif_data(data, length) || length < 13) return false;
  uint8_t packed = data[10];
  if (packed & 0x80) screen.colour_table_size = 3 << ((packed & 7) + 1);
  if (length < screen.head_size()) return false;
  screen.width = word_at(data, 6);
  screen.height = word_at(data, 8);
  size_t entry = 13 + size_t(data[11]) * 3;
  if (screen.colour_table_size && entry + 3 <= screen.head_size()) {
    screen.has_background = true;
    screen.background = uint32_t(data[entry]) | uint32_t(data[entry + 1]) << 8 | uint32_t(data[entry + 2]) << 16;
  }
  return true;
}

int32_t count_gif_graphic_blocks(const uint8_t* data, size_t length, const gif_screen& screen) {
  size_t position = screen.head_size();
  int32_t count = 0;
  size_t start = 0;
  while (next_graphic(data, length, position, start, nullptr)) ++count;
  return count;
}

std::vector<gif_frame_cut> cut_gif_frames(const uint8_t* data, size_t length, const gif_screen& screen) {
  std::vector<gif_frame_cut> frames;
  size_t head = screen.head_size();
  if (length < head) return frames;
  size_t position = head;
  for (;;) {
    gif_frame_cut frame;
    size_t start = 0;
    if (!next_graphic(data, length, position, start, &frame)) break;
    frame.gif.reserve(head + (position - start) + 1);
    frame.gif.assign(data, data + head);
    frame.gif.insert(frame.gif.end(), data + start, data + position);
    frame.gif.push_back(trailer);
    frames.push_back(std::move(frame));
  }
  return frames;
}

uint32_t gif_frame_wait_ms(uint32_t delay) { return delay > 4 ? delay * 10u : 100u; }
