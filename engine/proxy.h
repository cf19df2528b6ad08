// The user's proxy choice as it applies to one HTTP client: none, the system's Internet
// settings, or a manual HTTP or SOCKS5 proxy with optional user and password.
#pragma once

#include <cstdint>
#include <string>

// The settings' proxy values.
struct proxy_choice {
  uint32_t type = 0;  // 0 none, 1 system, 2 HTTP, 3 SOCKS5
  std::u16string host;
  uint32_t port = 0;
  std::u16string user;
  std::u16string pass;
};

// What is set on the handle: nothing unless `set`.
struct proxy_options {
  bool set = false;
  long type = 0;        // CURLPROXY_HTTP 0, CURLPROXY_SOCKS5 5
  std::string address;  // host:port in the ANSI page
  // Given to the library as they are, never written into the address, so that ":" and "@"
  // in them are not read as separators.
  std::string user;
  std::string pass;
};

proxy_options choose_proxy(const proxy_choice& choice, std::string (*system_proxy)());
// The first host:port of a ProxyServer text ("host:port" or "http=host:port;https=...").
std::string first_host_port(const std::string& proxy_server);
// host:port from the current user's Internet settings while the proxy is enabled; else empty.
std::string read_system_proxy();
// The proxy values of the settings, read at each call.
proxy_choice current_proxy_choice();
// Sets the settings' choice on a libcurl easy handle.
void apply_proxy(void* curl_handle);
void apply_proxy_choice(void* curl_handle, const proxy_choice& choice);
