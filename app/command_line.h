// The start switches of Vantoril's command line.
#pragma once

#include <string>
#include <vector>

enum class start_switch { plain, autoscan, autorun };

// `arguments` as CommandLineToArgvW splits them, the program's path first. Only a command line
// of exactly one argument is looked at; the switch is compared without regard to case.
start_switch read_start_switch(const std::vector<std::u16string>& arguments);
