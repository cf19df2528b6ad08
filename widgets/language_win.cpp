#include <windows.h>

#include "widgets/language.h"

std::string_view language_resource() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(209), L"INI");
  if (!found) return {};
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = size ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return std::string_view(static_cast<const char*>(bytes), size);
}
