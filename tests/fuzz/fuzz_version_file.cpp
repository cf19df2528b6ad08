// The version file on any text: read as the check reads it, and its version compared with
// the program's own as the main window does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/documents.h"
#include "engine/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  version_info info;
  const bool whole = parse_version_info(text.c_str(), info);
  if (whole && info.link.empty()) __builtin_trap();
  compare_versions(info.version.c_str(), program_version);
  compare_versions(program_version, info.version.c_str());
  return 0;
}
