#include "widgets/language.h"

// The host build has no program resources; tests load the INI text themselves.
std::string_view language_resource() { return {}; }
