#include "engine/proxy.h"

// No settings record yet: no proxy.
proxy_choice current_proxy_choice() { return {}; }
