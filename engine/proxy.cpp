#include "engine/proxy.h"

#include <curl/curl.h>

#include "base/text.h"

namespace {
constexpr size_t proxy_text_limit = 1024;
}

// The first match of ([^:=]+:\d+): a run without ":" or "=", then ":" and digits.
std::string first_host_port(const std::string& proxy_server) {
  const std::string& s = proxy_server;
  auto digit = [&](size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; };
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ':' || s[i] == '=') {
      ++i;
      continue;
    }
    size_t k = i;
    while (k < s.size() && s[k] != ':' && s[k] != '=') ++k;
    // Every start inside this run ends at the same separator, so one look decides for all.
    if (k < s.size() && s[k] == ':' && digit(k + 1)) {
      size_t e = k + 1;
      while (digit(e)) ++e;
      return s.substr(i, e - i);
    }
    i = k;
  }
  return {};
}

proxy_options choose_proxy(const proxy_choice& choice, std::string (*system_proxy)()) {
  proxy_options o;
  if (choice.type == 0) return o;
  if (choice.type == 1) {
    std::string text = system_proxy ? system_proxy() : std::string();
    if (text.empty()) return o;
    o.set = true;
    o.type = CURLPROXY_HTTP;
    o.address = text;
    return o;
  }
  if (choice.host.empty() || choice.port < 1 || choice.port > 65535) return o;
  if (choice.type != 2 && choice.type != 3) return o;
  std::u16string text = choice.host + u':';
  for (char c : std::to_string(choice.port)) text += char16_t(c);
  if (text.size() > proxy_text_limit) text.resize(proxy_text_limit);
  o.set = true;
  o.type = choice.type == 2 ? CURLPROXY_HTTP : CURLPROXY_SOCKS5;
  o.address = u16_to_ansi(text);
  // A user without a password, or a password without a user, is not sent.
  if (!choice.user.empty() && !choice.pass.empty()) {
    o.user = u16_to_ansi(choice.user);
    o.pass = u16_to_ansi(choice.pass);
  }
  return o;
}

void apply_proxy(void* curl_handle) { apply_proxy_choice(curl_handle, current_proxy_choice()); }

void apply_proxy_choice(void* curl_handle, const proxy_choice& choice) {
  CURL* curl = static_cast<CURL*>(curl_handle);
  const proxy_options o = choose_proxy(choice, read_system_proxy);
  if (!curl || !o.set) return;
  curl_easy_setopt(curl, CURLOPT_PROXYTYPE, o.type);
  curl_easy_setopt(curl, CURLOPT_PROXY, o.address.c_str());
  if (!o.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, o.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, o.pass.c_str());
  }
}
