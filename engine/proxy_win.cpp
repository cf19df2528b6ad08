#include <windows.h>

#include "base/text.h"
#include "base/wide.h"
#include "engine/proxy.h"

std::string read_system_proxy() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return {};
  }
  DWORD enable = 0, size = sizeof enable, type = 0;
  if (RegQueryValueExW(key, L"ProxyEnable", nullptr, &type, reinterpret_cast<BYTE*>(&enable), &size) !=
          ERROR_SUCCESS ||
      enable == 0) {
    RegCloseKey(key);
    return {};
  }
  wchar_t server[1025] = {};
  size = sizeof server - sizeof(wchar_t);  // room kept for the terminator
  type = 0;
  const LONG rc = RegQueryValueExW(key, L"ProxyServer", nullptr, &type, reinterpret_cast<BYTE*>(server), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  server[size / sizeof(wchar_t)] = 0;
  if (!server[0]) return {};
  return first_host_port(u16_to_ansi(as_u16(server)));
}
