// The engine probe: a device list from a text file, the matching exchange and the ranking
// against the configured service hosts, and the outcome as lines of text.
#pragma once

#include <string>
#include <vector>

#include "engine/device_info.h"

// Reads a device list (format in README.md). False with a message naming the line.
bool load_probe_devices(const std::string& text, std::vector<device_info>& devices, std::string& error);

// Runs the exchange for the devices with `program_folder` as the folder of history.dat and
// returns the report, one line per fact, each ended by "\n".
std::string run_engine_probe(std::vector<device_info>& devices, const std::u16string& program_folder,
                             int os_version);
