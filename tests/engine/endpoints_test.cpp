#include "engine/endpoints.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceEndpoints, OverrideReplacesSchemeHostAndPortOnly) {
  struct row {
    const char* override_text;
    const char* host1;
    const char* host3;
    const char* report;
  } rows[] = {
      {"http://127.0.0.1:4711", "http://127.0.0.1:4711", "http://127.0.0.1:4711", "http://127.0.0.1:4711"},
      {"http://127.0.0.1:1/,http://127.0.0.1:2", "http://127.0.0.1:1", "http://127.0.0.1:2", "http://127.0.0.1:2"},
      {"http://a:1,http://b:2,http://c:3,http://r:4", "http://a:1", "http://c:3", "http://r:4"},
      {"HTTP://Local:80", "HTTP://Local:80", "HTTP://Local:80", "HTTP://Local:80"},
  };
  for (const auto& r : rows) {
    std::string bases[4];
    service_bases(r.override_text, bases);
    EXPECT_EQ(bases[0], r.host1) << r.override_text;
    EXPECT_EQ(bases[2], r.host3) << r.override_text;
    EXPECT_EQ(bases[3], r.report) << r.override_text;
  }
}

TEST(ServiceEndpoints, MalformedOverrideKeepsTheCompiledInHosts) {
  std::string defaults[4], bases[4];
  service_bases(nullptr, defaults);
  for (const auto& b : defaults) EXPECT_EQ(b.rfind("http://", 0), 0u) << b;
  for (const char* bad : {"", "ftp://x:1", "http://", "http://x/other/path", "http://x:1,,http://y:2",
                          "http://a b", "127.0.0.1:80"}) {
    service_bases(bad, bases);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bases[i], defaults[i]) << bad;
  }
}

TEST(ServiceEndpoints, PathsStayFixed) {
#if defined(_WIN32)
  _putenv_s(service_override_variable, "http://127.0.0.1:9,http://127.0.0.1:8,http://127.0.0.1:7,http://127.0.0.1:6");
#else
  setenv(service_override_variable, "http://127.0.0.1:9,http://127.0.0.1:8,http://127.0.0.1:7,http://127.0.0.1:6", 1);
#endif
  EXPECT_EQ(service_url(1), "http://127.0.0.1:9/service/");
  EXPECT_EQ(service_url(2), "http://127.0.0.1:8/service/");
  EXPECT_EQ(service_url(3), "http://127.0.0.1:7/service/");
  EXPECT_EQ(version_file_url(), "http://127.0.0.1:9/service/version.xml");
  EXPECT_EQ(report_url(), "http://127.0.0.1:6/service/debug.php");
}

}  // namespace
