#include "engine/proxy.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "engine/net_client.h"
#include "engine/settings.h"
#include "tests/support/service_launcher.h"

namespace {

std::string system_text;
std::string fake_system_proxy() { return system_text; }

TEST(ProxyChoice, TableOfChoices) {
  struct row {
    const char* what;
    proxy_choice choice;
    std::string system;
    bool set;
    long type;
    std::string address, user, pass;
  } rows[] = {
      {"none", {0, u"h", 8080, u"", u""}, "sys:1", false, 0, "", "", ""},
      {"system", {1, u"", 0, u"", u""}, "10.0.0.1:3128", true, CURLPROXY_HTTP, "10.0.0.1:3128", "", ""},
      {"system, none given", {1, u"h", 80, u"", u""}, "", false, 0, "", "", ""},
      {"http", {2, u"proxy.lan", 8080, u"", u""}, "", true, CURLPROXY_HTTP, "proxy.lan:8080", "", ""},
      {"port 0", {2, u"proxy.lan", 0, u"", u""}, "", false, 0, "", "", ""},
      {"port 70000", {2, u"proxy.lan", 70000, u"", u""}, "", false, 0, "", "", ""},
      {"no host", {3, u"", 1080, u"", u""}, "", false, 0, "", "", ""},
      {"socks, user without password", {3, u"s.lan", 1080, u"bob", u""}, "", true, CURLPROXY_SOCKS5, "s.lan:1080", "", ""},
      {"password without user", {2, u"h", 1, u"", u"pw"}, "", true, CURLPROXY_HTTP, "h:1", "", ""},
      {"both, with separators in them", {2, u"h", 65535, u"a@b", u"c:d@e"}, "", true, CURLPROXY_HTTP, "h:65535", "a@b", "c:d@e"},
      {"unknown type", {4, u"h", 80, u"", u""}, "", false, 0, "", "", ""},
  };
  for (const auto& r : rows) {
    system_text = r.system;
    const proxy_options o = choose_proxy(r.choice, fake_system_proxy);
    EXPECT_EQ(o.set, r.set) << r.what;
    if (!r.set) continue;
    EXPECT_EQ(o.type, r.type) << r.what;
    EXPECT_EQ(o.address, r.address) << r.what;
    EXPECT_EQ(o.user, r.user) << r.what;
    EXPECT_EQ(o.pass, r.pass) << r.what;
  }
}

TEST(ProxyChoice, FirstHostAndPortOfAProxyServerText) {
  struct row {
    const char* server;
    const char* expected;
  } rows[] = {
      {"proxy.lan:8080", "proxy.lan:8080"},
      {"http=web.lan:80;https=sec.lan:443;ftp=f.lan:21", "web.lan:80"},
      {"=:x:;ok.lan:3", ";ok.lan:3"},
      {"socks=s:1080", "s:1080"},
      {"host-without-port", ""},
      {"host:", ""},
      {"", ""},
  };
  for (const auto& r : rows) EXPECT_EQ(first_host_port(r.server), r.expected) << r.server;
}

TEST(ProxyChoice, ClientsTakeTheSettingsAtCreation) {
  stand_in_service proxy({}, R"({"version_raw": "<v>proxied</v>"})");
  ASSERT_TRUE(proxy.running());
  const app_settings_record saved = app_settings;
  app_settings.ProxyType = 2;
  copy_cut(app_settings.ProxyHost, u"127.0.0.1");
  app_settings.ProxyPort = uint32_t(proxy.port());
  app_settings.ProxyUser[0] = 0;
  app_settings.ProxyPass[0] = 0;
  net_client_c* c = create_net_client(1024);
  app_settings = saved;
  ASSERT_NE(c, nullptr);
  http_response* r = transfer_to_memory(c, "http://elsewhere.invalid/service/version.xml", 0);
  EXPECT_EQ(r->result, 0) << r->error_text;
  EXPECT_STREQ(r->body->data.data(), "<v>proxied</v>");
  destroy_net_client(c);
  auto log = proxy.requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].line.find("\"proxied\": true"), std::string::npos);
  EXPECT_FALSE(log[0].has("proxy-authorization"));
}

}  // namespace
