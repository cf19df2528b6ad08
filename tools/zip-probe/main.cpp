// zip-probe pack <folder> <archive>          every file below the folder into one archive
// zip-probe deflate <file> <output> [level]  one file to a raw deflate stream (level 8 if not given)
// Each prints "in <bytes> out <bytes> ms <milliseconds>" on success.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "engine/zip/deflate.h"
#include "engine/zip/zip_writer.h"

namespace fs = std::filesystem;

namespace {

std::u16string u16_path(const fs::path& p) {
#ifdef _WIN32
  return std::u16string(reinterpret_cast<const char16_t*>(p.wstring().c_str()));
#else
  return utf8_to_u16(p.string());
#endif
}

double ms_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

int usage() {
  std::fprintf(stderr, "usage: zip-probe pack <folder> <archive>\n"
                       "       zip-probe deflate <file> <output> [level]\n");
  return 2;
}

int pack(const fs::path& folder, const fs::path& archive_path) {
  auto t0 = std::chrono::steady_clock::now();
  zip_archive* archive = zip_create(u16_path(archive_path).c_str());
  if (!archive) {
    std::fprintf(stderr, "zip-probe: cannot create %s\n", archive_path.string().c_str());
    return 1;
  }
  uintmax_t in = 0;
  int failed = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::u16string name = u16_path(it->path().lexically_relative(folder));
    uint32_t r = zip_add_file(archive, name.c_str(), u16_path(it->path()).c_str());
    if (r != zip_ok) {
      std::fprintf(stderr, "zip-probe: %s: error 0x%x\n", it->path().string().c_str(), unsigned(r));
      ++failed;
    } else {
      in += it->file_size(ec);
    }
  }
  uint32_t closed = zip_close(archive);
  if (closed != zip_ok) {
    std::fprintf(stderr, "zip-probe: closing the archive: error 0x%x\n", unsigned(closed));
    return 1;
  }
  std::printf("in %ju out %ju ms %.1f\n", in, uintmax_t(fs::file_size(archive_path, ec)), ms_since(t0));
  return failed ? 1 : 0;
}

struct file_io {
  FILE* in;
  FILE* out;
  uint64_t read = 0;
};

int read_file(void* c, uint8_t* buffer, unsigned size) {
  auto* io = static_cast<file_io*>(c);
  size_t n = std::fread(buffer, 1, size, io->in);
  if (n == 0 && std::ferror(io->in)) return -1;
  io->read += n;
  return int(n);
}

bool write_file(void* c, const uint8_t* buffer, unsigned size) {
  return std::fwrite(buffer, 1, size, static_cast<file_io*>(c)->out) == size;
}

int deflate_file(const fs::path& input, const fs::path& output, int level) {
  file_io io{std::fopen(input.string().c_str(), "rb"), std::fopen(output.string().c_str(), "wb")};
  if (!io.in || !io.out) {
    std::fprintf(stderr, "zip-probe: cannot open %s\n", (io.in ? output : input).string().c_str());
    return 1;
  }
  auto t0 = std::chrono::steady_clock::now();
  uint64_t packed = 0;
  const char* message = deflate_stream(read_file, write_file, &io, level, nullptr, &packed);
  bool closed = std::fclose(io.out) == 0;
  std::fclose(io.in);
  if (message || !closed) {
    std::fprintf(stderr, "zip-probe: %s\n", message ? message : "write error");
    return 1;
  }
  std::printf("in %llu out %llu ms %.1f\n", (unsigned long long)io.read, (unsigned long long)packed, ms_since(t0));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "pack") == 0 && argc == 4) return pack(argv[2], argv[3]);
  if (argc >= 4 && std::strcmp(argv[1], "deflate") == 0 && argc <= 5)
    return deflate_file(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 8);
  return usage();
}
