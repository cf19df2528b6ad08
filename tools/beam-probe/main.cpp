#include <iostream>

#include "tools/beam-probe/probe.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return run_beam_probe(args, std::cout, std::cerr);
}
