// Inputs for the compressor tests: generated text and noise, and Windows binaries found on
// the machine (Wine's own DLLs), so that no test data is committed.
#pragma once

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
