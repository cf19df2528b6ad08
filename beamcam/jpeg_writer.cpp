#include "beamcam/jpeg_writer.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// Everything the encoder changes lives here, reached through one reference, so that nothing
// local to the function that calls setjmp changes between the jump's two ends.
struct encoder_state {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  jpeg_destination_mgr dest{};
  std::jmp_buf back;
  char message[JMSG_LENGTH_MAX] = "";
  std::vector<uint8_t> out;
  std::vector<JSAMPLE> row;
};

encoder_state& state_of(j_common_ptr cinfo) { return *static_cast<encoder_state*>(cinfo->client_data); }

// The library's default handler prints and ends the process; this one jumps back instead.
void error_exit(j_common_ptr cinfo) {
  encoder_state& s = state_of(cinfo);
  (*cinfo->err->format_message)(cinfo, s.message);
  std::longjmp(s.back, 1);
}

void no_output(j_common_ptr) {}

// The file grows in memory; it is written in one piece once complete.
constexpr size_t Chunk = 65536;

void init_destination(j_compress_ptr cinfo) {
  encoder_state& s = state_of(reinterpret_cast<j_common_ptr>(cinfo));
  s.out.resize(Chunk);
  s.dest.next_output_byte = s.out.data();
  s.dest.free_in_buffer = s.out.size();
}

boolean empty_output_buffer(j_compress_ptr cinfo) {
  encoder_state& s = state_of(reinterpret_cast<j_common_ptr>(cinfo));
  size_t used = s.out.size();  // the library calls this only with the buffer full
  s.out.resize(used * 2);
  s.dest.next_output_byte = s.out.data() + used;
  s.dest.free_in_buffer = s.out.size() - used;
  return TRUE;
}

void term_destination(j_compress_ptr cinfo) {
  encoder_state& s = state_of(reinterpret_cast<j_common_ptr>(cinfo));
  s.out.resize(s.out.size() - s.dest.free_in_buffer);
}

bool encode(encoder_state& s, const uint8_t* bgr, int width, int height, size_t stride) {
  if (setjmp(s.back)) return false;
  jpeg_create_compress(&s.cinfo);
  s.cinfo.client_data = &s;
  s.cinfo.dest = &s.dest;
  s.cinfo.image_width = JDIMENSION(width);
  s.cinfo.image_height = JDIMENSION(height);
  s.cinfo.input_components = 3;
  s.cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&s.cinfo);
  jpeg_start_compress(&s.cinfo, TRUE);
  while (s.cinfo.next_scanline < s.cinfo.image_height) {
    const uint8_t* in = bgr + size_t(s.cinfo.next_scanline) * stride;
    for (size_t x = 0; x < size_t(width); ++x) {
      s.row[x * 3] = in[x * 3 + 2];
      s.row[x * 3 + 1] = in[x * 3 + 1];
      s.row[x * 3 + 2] = in[x * 3];
    }
    JSAMPROW rows[1] = {s.row.data()};
    jpeg_write_scanlines(&s.cinfo, rows, 1);
  }
  jpeg_finish_compress(&s.cinfo);
  return true;
}

}  // namespace

jpeg_result encode_jpeg_bgr(const uint8_t* bgr, int width, int height, size_t stride) {
  jpeg_result result;
  if (!bgr || width <= 0 || height <= 0 || stride < size_t(width) * 3) {
    result.error = "no picture to write";
    return result;
  }
  encoder_state s;
  s.cinfo.err = jpeg_std_error(&s.err);
  s.err.error_exit = error_exit;
  s.err.output_message = no_output;
  s.cinfo.client_data = &s;
  s.dest.init_destination = init_destination;
  s.dest.empty_output_buffer = empty_output_buffer;
  s.dest.term_destination = term_destination;
  s.row.resize(size_t(width) * 3);
  result.ok = encode(s, bgr, width, height, stride);
  jpeg_destroy_compress(&s.cinfo);
  if (result.ok)
    result.bytes = std::move(s.out);
  else
    result.error = s.message;
  return result;
}
