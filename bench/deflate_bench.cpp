// Our deflate at level 8 against zlib's deflate at level 8 (raw, 32 KiB window, memLevel 8)
// on every file of a corpus folder, each file compressed on its own as the zip writer does.
// usage: deflate_bench <corpus-folder> [rounds]
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/zip/deflate.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace fs = std::filesystem;

namespace {

struct input {
  std::string kind;
  std::string data;
};

struct memory_io {
  const std::string* in;
  size_t pos;
  std::string* out;
};

int mem_read(void* c, uint8_t* buffer, unsigned size) {
  auto* io = static_cast<memory_io*>(c);
  size_t n = std::min<size_t>(size, io->in->size() - io->pos);
  std::memcpy(buffer, io->in->data() + io->pos, n);
  io->pos += n;
  return int(n);
}

bool mem_write(void* c, const uint8_t* buffer, unsigned size) {
  static_cast<memory_io*>(c)->out->append(reinterpret_cast<const char*>(buffer), size);
  return true;
}

size_t ours(const std::string& in, std::string& out) {
  out.clear();
  memory_io io{&in, 0, &out};
  uint64_t n = 0;
  if (const char* m = deflate_stream(mem_read, mem_write, &io, 8, nullptr, &n)) {
    std::fprintf(stderr, "deflate: %s\n", m);
    std::exit(1);
  }
  return out.size();
}

size_t theirs(const std::string& in, std::string& out) {
  z_stream z{};
  deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  out.resize(deflateBound(&z, uLong(in.size())));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::exit(1);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out.size();
}

bool inflates_to(const std::string& packed, const std::string& original) {
  z_stream z{};
  inflateInit2(&z, -15);
  std::string out(original.size() + 1, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = uInt(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = uInt(out.size());
  int r = inflate(&z, Z_FINISH);
  bool ok = r == Z_STREAM_END && z.total_out == original.size() && out.compare(0, original.size(), original) == 0;
  inflateEnd(&z);
  return ok;
}

// Seconds of CPU time of this thread: on a shared machine it moves far less than the wall
// clock with the other processes' load.
double cpu_seconds() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto v = [](const FILETIME& t) { return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) * 1e-7; };
  return v(kernel) + v(user);
#else
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
#endif
}

std::string kind_of(const fs::path& p) {
  std::string e = p.extension().string();
  std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (e == ".dll" || e == ".sys") return "binaries";
  if (e == ".inf") return "inf";
  if (e == ".cat") return "catalog";
  if (e == ".chm") return "help";
  if (e == ".exe") return "installer";
  if (e == ".bin") return "noise";
  return "text";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: deflate_bench <corpus-folder> [rounds]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::vector<input> corpus;
  for (const auto& e : fs::directory_iterator(argv[1])) {
    if (!e.is_regular_file()) continue;
    std::ifstream f(e.path(), std::ios::binary);
    corpus.push_back({kind_of(e.path()), std::string(std::istreambuf_iterator<char>(f), {})});
  }
  std::sort(corpus.begin(), corpus.end(), [](const input& a, const input& b) { return a.data < b.data; });
  size_t total = 0;
  for (const auto& c : corpus) total += c.data.size();
  std::printf("corpus: %zu files, %.1f MB\n", corpus.size(), total / 1e6);

  std::map<std::string, std::array<size_t, 3>> by_kind;  // input, ours, zlib
  std::string out;
  size_t ours_total = 0, zlib_total = 0;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a over every stream of ours
  auto hash_stream = [&hash](const std::string& s) {
    for (unsigned char b : s) hash = (hash ^ b) * 1099511628211ull;
    hash = (hash ^ 0xff) * 1099511628211ull;
  };
  for (const auto& c : corpus) {
    size_t a = ours(c.data, out);
    hash_stream(out);
    if (!inflates_to(out, c.data)) {
      std::fprintf(stderr, "our output does not inflate back (%zu bytes, %s)\n", c.data.size(), c.kind.c_str());
      return 1;
    }
    size_t b = theirs(c.data, out);
    auto& k = by_kind[c.kind];
    k[0] += c.data.size(), k[1] += a, k[2] += b;
    ours_total += a, zlib_total += b;
  }
  std::printf("streams at level 8: hash %016llx\n", (unsigned long long)hash);
  if (std::getenv("DEFLATE_BENCH_ALL_LEVELS")) {
    // The other levels share the matcher: their streams are hashed too.
    for (int level = 1; level <= 8; ++level) {
      uint64_t h = 14695981039346656037ull;
      for (const auto& c : corpus) {
        out.clear();
        memory_io io{&c.data, 0, &out};
        deflate_stream(mem_read, mem_write, &io, level, nullptr, nullptr);
        for (unsigned char b : out) h = (h ^ b) * 1099511628211ull;
        h = (h ^ 0xff) * 1099511628211ull;
      }
      std::printf("streams at level %d: hash %016llx\n", level, (unsigned long long)h);
    }
  }
  double best_ours = 1e30, best_zlib = 1e30;
  std::vector<double> ratios;
  std::map<std::string, std::array<double, 2>> kind_best;  // ours, zlib: best round's CPU seconds
  for (int r = 0; r < rounds; ++r) {
    // Alternating file by file, so that a change of the machine's load hits both alike.
    double a = 0, b = 0;
    std::map<std::string, std::array<double, 2>> kind_time;
    for (const auto& c : corpus) {
      double t0 = cpu_seconds();
      ours(c.data, out);
      double t1 = cpu_seconds();
      theirs(c.data, out);
      double t2 = cpu_seconds();
      a += t1 - t0;
      b += t2 - t1;
      kind_time[c.kind][0] += t1 - t0;
      kind_time[c.kind][1] += t2 - t1;
    }
    for (const auto& [kind, t] : kind_time) {
      auto it = kind_best.emplace(kind, t).first;
      it->second[0] = std::min(it->second[0], t[0]);
      it->second[1] = std::min(it->second[1], t[1]);
    }
    ratios.push_back(b / a);
    std::printf("round %d: ours/zlib %.3fx\n", r + 1, b / a);
    std::fflush(stdout);
    best_ours = std::min(best_ours, a);
    best_zlib = std::min(best_zlib, b);
  }
  for (const auto& [kind, k] : by_kind)
    std::printf("  %-9s %10zu bytes: ours %10zu  zlib %10zu  (%+.2f%%)  %6.1f / %6.1f MB/s (%.2fx)\n",
                kind.c_str(), k[0], k[1], k[2], 100.0 * (double(k[1]) - double(k[2])) / double(k[2]),
                k[0] / 1e6 / kind_best[kind][0], k[0] / 1e6 / kind_best[kind][1],
                kind_best[kind][1] / kind_best[kind][0]);
  std::printf("ours level 8: %zu bytes (%.2f%% of input), %.1f MB/s\n", ours_total, 100.0 * ours_total / total,
              total / 1e6 / best_ours);
  std::printf("zlib level 8: %zu bytes (%.2f%% of input), %.1f MB/s\n", zlib_total, 100.0 * zlib_total / total,
              total / 1e6 / best_zlib);
  std::printf("size ours vs zlib: %+.3f%%, speed ours/zlib: %.2fx (CPU time, best of %d rounds, zlib %s)\n",
              100.0 * (double(ours_total) - double(zlib_total)) / double(zlib_total), best_zlib / best_ours, rounds,
              zlibVersion());
  std::sort(ratios.begin(), ratios.end());
  std::printf("speed ours/zlib, median of %d rounds: %.3fx\n", rounds, ratios[ratios.size() / 2]);
  return 0;
}
