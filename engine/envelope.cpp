#include "engine/envelope.h"

#include <mbedtls/aes.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

const uint8_t envelope_key[16] = {0x3c, 0x9e, 0x17, 0xa4, 0xf0, 0xb2, 0x5d, 0x86,
                                  0xe4, 0xa1, 0xc7, 0x3f, 0x09, 0xb6, 0xd2, 0x58};
const uint8_t envelope_iv[16] = {0xa5, 0x7d, 0x0e, 0x3b, 0x96, 0xc4, 0xf1, 0x28,
                                 0x70, 0xbe, 0x5d, 0x19, 0xc3, 0xa6, 0x48, 0x2f};
// The streams are started through the versioned entry with the version the format was made with.
const char zlib_version_text[] = "1.2.5";

size_t round_up_16(size_t n) { return (n + 15) & ~size_t(15); }

// One CBC pass over whole blocks; the vector is copied because mbedtls advances it.
int aes_cbc(int mode, uint8_t* data, size_t length) {
  mbedtls_aes_context ctx;
  mbedtls_aes_init(&ctx);
  int rc = mode == MBEDTLS_AES_ENCRYPT ? mbedtls_aes_setkey_enc(&ctx, envelope_key, 128)
                                       : mbedtls_aes_setkey_dec(&ctx, envelope_key, 128);
  if (rc == 0) {
    uint8_t iv[16];
    std::memcpy(iv, envelope_iv, sizeof iv);
    rc = mbedtls_aes_crypt_cbc(&ctx, mode, length, iv, data, data);
  }
  mbedtls_aes_free(&ctx);
  return rc == 0 ? 0 : -1;
}

}  // namespace

int compress_buffer(const uint8_t* input, size_t length, byte_buffer& out) {
  z_stream s{};
  int rc = deflateInit_(&s, Z_DEFAULT_COMPRESSION, zlib_version_text, int(sizeof(z_stream)));
  if (rc != Z_OK) return rc;
  out.clear();
  const size_t bound = deflateBound(&s, uLong(length));
  s.next_in = const_cast<Bytef*>(input);
  s.avail_in = uInt(length);
  size_t produced = 0;
  do {
    out.resize(produced + bound);
    s.next_out = out.data() + produced;
    s.avail_out = uInt(bound);
    rc = deflate(&s, Z_FINISH);
    produced = out.size() - s.avail_out;
  } while (rc == Z_OK && s.avail_out == 0);
  if (s.avail_in != 0 || rc != Z_STREAM_END) {
    deflateEnd(&s);
    out.clear();
    return -1;
  }
  out.resize(produced);
  deflateEnd(&s);
  return 0;
}

int encrypt_buffer(byte_buffer& buffer) {
  if (buffer.empty()) return -1;
  buffer.resize(round_up_16(buffer.size()), 0);
  return aes_cbc(MBEDTLS_AES_ENCRYPT, buffer.data(), buffer.size());
}

int decrypt_buffer(size_t length, byte_buffer& out, const uint8_t* source, size_t source_size) {
  if (length == 0) return -1;
  const size_t whole = round_up_16(length);
  out.assign(whole, 0);
  // The body may end short of the block: what is missing reads as zero, never past the source.
  std::memcpy(out.data(), source, std::min({length, source_size, whole}));
  return aes_cbc(MBEDTLS_AES_DECRYPT, out.data(), out.size());
}

int uncompress_buffer(byte_buffer& out, const uint8_t* input, size_t length, size_t max_output) {
  out.clear();
  z_stream s{};
  int rc = inflateInit_(&s, zlib_version_text, int(sizeof(z_stream)));
  if (rc != Z_OK) return rc;
  s.next_in = const_cast<Bytef*>(input);
  s.avail_in = uInt(length);
  const size_t step = std::max<size_t>(length, 64);
  size_t produced = 0;
  int result = Z_DATA_ERROR;
  for (;;) {
    if (produced >= max_output) {
      result = Z_BUF_ERROR;  // larger than any answer may be
      break;
    }
    const size_t room = std::min(step, max_output - produced);
    out.resize(produced + room);
    s.next_out = out.data() + produced;
    s.avail_out = uInt(room);
    rc = inflate(&s, Z_NO_FLUSH);
    produced += room - s.avail_out;
    if (rc == Z_STREAM_END) {
      result = 0;
      break;
    }
    if (rc == Z_NEED_DICT) {
      result = Z_DATA_ERROR;
      break;
    }
    if (rc == Z_MEM_ERROR || rc == Z_DATA_ERROR) {
      result = rc;
      break;
    }
    if (s.avail_out != 0) {
      result = Z_DATA_ERROR;  // input used up before the end of the stream
      break;
    }
  }
  out.resize(produced);
  inflateEnd(&s);
  return result;
}
