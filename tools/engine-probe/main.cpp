// engine-probe DEVICES [OS]: the exchange against the hosts of VANTORIL_SERVICE for the
// devices of the file, and its outcome on standard output. history.dat is read from the
// file's folder. Exit code 0 when the exchange ran (whatever its outcome), 2 on bad input.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "base/text.h"
#include "tools/engine-probe/probe.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);  // the same line ends as natively
#endif
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: engine-probe DEVICES [OS]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<device_info> devices;
  std::string error;
  if (!load_probe_devices(text.str(), devices, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 2;
  }
  int os = argc == 3 ? std::atoi(argv[2]) : 61;
  std::filesystem::path folder = std::filesystem::absolute(argv[1]).parent_path();
  std::string report = run_engine_probe(devices, utf8_to_u16(folder.u8string()), os);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return 0;
}
