// Inputs for the compressor tests: generated text and noise, and Windows binaries found on
// the machine (Wine's own DLLs), so that no test data is committed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

inline std::string deflate_noise(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (char& c : s) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    c = char(x >> 24);
  }
  return s;
}

// Lines of an INF-like text with words and numbers drawn from a small vocabulary.
inline std::string deflate_text(size_t size, uint32_t seed) {
  static const char* const words[] = {"Device", "driver", "%DeviceDesc%", "HKR", "AddReg", "CopyFiles",
                                      "=", ",", "Service", "x64", "NTamd64", "[Manufacturer]", "Version",
                                      "Signature", "\"$Windows NT$\"", "Class", "USB", "PCI\\VEN_8086"};
  std::string s;
  uint64_t x = seed + 7;
  while (s.size() < size) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    unsigned n = unsigned(x >> 33);
    s += words[n % (sizeof words / sizeof *words)];
    s += (n >> 8) % 7 == 0 ? "\r\n" : " ";
    if ((n >> 12) % 11 == 0) s += std::to_string(n % 100000);
  }
  s.resize(size);
  return s;
}

// Noise with short pieces of itself copied in from up to 30000 bytes back: matches of three
// to eight bytes among candidates that mostly fail.
inline std::string deflate_noise_with_echoes(size_t size, uint32_t seed) {
  std::string s = deflate_noise(size, seed);
  uint64_t x = seed * 0x2545F4914F6CDD1Dull + 3;
  for (size_t at = 40; at + 8 < size; at += 37 + (x >> 59)) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    size_t back = 1 + (x >> 20) % std::min<size_t>(at, 30000);
    s.replace(at, 3 + (x >> 10) % 6, s, at - back, 3 + (x >> 10) % 6);
  }
  return s;
}

// Records like a binary's tables: zeros, small counters and repeated words.
inline std::string deflate_records(size_t size) {
  std::string s;
  for (uint32_t n = 0; s.size() < size; ++n) {
    char rec[16] = {};
    rec[0] = char(n & 0xFF), rec[1] = char((n >> 8) & 0x0F);
    rec[4] = char(n % 7 == 0 ? 0x90 : 0x48), rec[5] = char(0x8B);
    rec[8 + n % 8] = char(n * 37);
    s.append(rec, sizeof rec);
  }
  s.resize(size);
  return s;
}

// Up to `count` Windows DLLs of at least `min_size` bytes from the Wine installation.
inline std::vector<std::filesystem::path> deflate_binaries(size_t count, uintmax_t min_size) {
  namespace fs = std::filesystem;
  std::vector<fs::path> dirs;
#ifdef _WIN32
  if (const char* root = std::getenv("SystemRoot")) dirs.push_back(fs::path(root) / "system32");
#else
  dirs = {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows",
          "/usr/lib/i386-linux-gnu/wine/i386-windows"};
#endif
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& d : dirs) {
    for (fs::directory_iterator it(d, ec), end; !ec && it != end && found.size() < count; it.increment(ec)) {
      auto ext = it->path().extension().string();
      if ((ext == ".dll" || ext == ".DLL") && it->is_regular_file(ec) && it->file_size(ec) >= min_size)
        found.push_back(it->path());
    }
    if (!found.empty()) break;
  }
  return found;
}
