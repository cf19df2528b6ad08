#include "engine/proxy.h"
#include "engine/settings.h"

proxy_choice current_proxy_choice() {
  const app_settings_record& s = app_settings;
  proxy_choice c;
  c.type = s.ProxyType;
  c.host = s.ProxyHost;
  c.port = s.ProxyPort;
  c.user = s.ProxyUser;
  c.pass = s.ProxyPass;
  return c;
}
