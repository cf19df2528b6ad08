// beam-probe: runs the beam camera's frame combination, measurement and false colour on
// frames from files and prints what the main form would show. A test tool; it ships nowhere.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The whole program on its arguments (without the program name). 0 on success, 1 when an
// input cannot be read or written, 2 for a bad command line.
int run_beam_probe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const BeamProbeUsage;
