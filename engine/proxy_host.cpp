#include "engine/proxy.h"

// The host has no Internet settings of the Windows kind.
std::string read_system_proxy() { return {}; }
