#include "engine/registry.h"

#include <cstring>

long memory_registry_key::query(const char16_t* name, uint32_t* type, void* data, uint32_t* bytes) {
  auto it = values->find(name);
  if (it == values->end()) return reg_not_found;
  const value& v = it->second;
  if (type) *type = v.type;
  uint32_t size = uint32_t(v.bytes.size());
  long result = reg_ok;
  if (data && bytes) {
    if (*bytes < size) {
      std::memcpy(data, v.bytes.data(), *bytes);
      result = reg_more_data;
    } else if (size) {
      std::memcpy(data, v.bytes.data(), size);
    }
  }
  if (bytes) *bytes = size;
  return result;
}

long memory_registry_key::set(const char16_t* name, uint32_t type, const void* data, uint32_t bytes) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  (*values)[name] = value{type, std::vector<uint8_t>(p, p + bytes)};
  return reg_ok;
}

long memory_registry_key::remove(const char16_t* name) { return values->erase(name) ? reg_ok : reg_not_found; }
