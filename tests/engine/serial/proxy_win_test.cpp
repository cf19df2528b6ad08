#include <windows.h>

#include <gtest/gtest.h>

#include "engine/proxy.h"

namespace {

const wchar_t internet_settings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Sets the two values for one test and puts back what was there.
class SystemProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, internet_settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
    DWORD size = sizeof enable_;
    had_enable_ = RegQueryValueExW(key_, L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(&enable_),
                                   &size) == ERROR_SUCCESS;
    size = sizeof server_;
    had_server_ = RegQueryValueExW(key_, L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(server_),
                                   &size) == ERROR_SUCCESS;
  }
  void TearDown() override {
    if (had_enable_) set_number(L"ProxyEnable", enable_);
    else RegDeleteValueW(key_, L"ProxyEnable");
    if (had_server_) set(L"ProxyServer", server_);
    else RegDeleteValueW(key_, L"ProxyServer");
    RegCloseKey(key_);
  }
  void set_number(const wchar_t* name, DWORD v) {
    RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  void set(const wchar_t* name, const wchar_t* text) {
    RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  DWORD enable_ = 0;
  wchar_t server_[1100] = {};
  bool had_enable_ = false, had_server_ = false;
};

TEST_F(SystemProxy, PerProtocolListGivesItsFirstHostAndPort) {
  set_number(L"ProxyEnable", 1);
  set(L"ProxyServer", L"http=web.lan:8080;https=sec.lan:8443");
  EXPECT_EQ(read_system_proxy(), "web.lan:8080");
  proxy_choice system;
  system.type = 1;
  const proxy_options o = choose_proxy(system, read_system_proxy);
  EXPECT_TRUE(o.set);
  EXPECT_EQ(o.type, 0);  // an HTTP proxy
}

TEST_F(SystemProxy, DisabledOrEmptyGivesNoProxy) {
  set_number(L"ProxyEnable", 0);
  set(L"ProxyServer", L"web.lan:8080");
  EXPECT_EQ(read_system_proxy(), "");
  set_number(L"ProxyEnable", 1);
  set(L"ProxyServer", L"");
  EXPECT_EQ(read_system_proxy(), "");
  RegDeleteValueW(key_, L"ProxyEnable");
  set(L"ProxyServer", L"web.lan:8080");
  EXPECT_EQ(read_system_proxy(), "");
}

}  // namespace
