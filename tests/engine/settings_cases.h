// Pre-set registry values and what the settings read from them; shared by the test on the
// store in memory and the one on the Windows registry.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "engine/settings.h"

struct preset_value {
  std::u16string name;
  uint32_t type;
  std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> text_bytes(const std::u16string& text, bool terminated = true) {
  std::vector<uint8_t> out((text.size() + (terminated ? 1 : 0)) * 2, 0);
  if (!text.empty()) std::memcpy(out.data(), text.data(), text.size() * 2);
  return out;
}
inline std::vector<uint8_t> dword_bytes(uint32_t n) {
  std::vector<uint8_t> out(4);
  std::memcpy(out.data(), &n, 4);
  return out;
}
inline preset_value sz(const std::u16string& name, const std::u16string& text) {
  return {name, reg_type_sz, text_bytes(text)};
}

struct settings_case {
  const char* what;
  bool first_run;  // InstallDate absent
  std::vector<preset_value> values;
  // The field read back, as text (numbers in decimal).
  const char16_t* field;
  std::u16string expected;
};

inline std::u16string field_text(const char16_t* field) {
  const app_settings_record& s = app_settings;
  auto number = [](uint32_t n) {
    std::string t = std::to_string(n);
    return std::u16string(t.begin(), t.end());
  };
  std::u16string f = field;
  if (f == u"Autorun") return number(s.Autorun);
  if (f == u"ProxyPort") return number(s.ProxyPort);
  if (f == u"ScanNonPresent") return number(s.ScanNonPresent);
  if (f == u"Language") return s.Language;
  if (f == u"DownloadPath") return s.DownloadPath;
  if (f == u"BackupPath") return s.BackupPath;
  if (f == u"ProxyHost") return s.ProxyHost;
  if (f == u"UninstallLink") return s.UninstallLink;
  return u"?";
}

inline std::vector<settings_case> settings_cases(const std::u16string& base) {
  const std::u16string long_path(300, u'p'), path259 = u"C:\\" + std::u16string(256, u'x');
  auto with_date = [](std::vector<preset_value> v) {
    v.push_back(sz(u"InstallDate", u"2020-01-02"));
    return v;
  };
  std::vector<uint8_t> odd = text_bytes(u"ja");
  odd.pop_back();
  std::vector<settings_case> cases = {
      {"too long text keeps the default", false, with_date({sz(u"Language", std::u16string(40, u'j'))}), u"Language", u"en"},
      {"31 characters fit", false, with_date({sz(u"Language", std::u16string(31, u'j'))}), u"Language", std::u16string(31, u'j')},
      {"text of the wrong type", false, with_date({{u"Language", reg_type_binary, text_bytes(u"ja")}}), u"Language", u"en"},
      {"text of odd byte length", false, with_date({{u"Language", reg_type_sz, odd}}), u"Language", u"en"},
      {"text without its terminator", false, with_date({{u"Language", reg_type_sz, text_bytes(u"ja", false)}}), u"Language", u"en"},
      {"expandable text taken as written", false, with_date({{u"ProxyHost", reg_type_expand_sz, text_bytes(u"%HOST%")}}), u"ProxyHost", u"%HOST%"},
      {"empty value gives the empty text", false, with_date({{u"Language", reg_type_sz, {}}}), u"Language", u""},
      {"terminator alone gives the empty text", false, with_date({sz(u"Language", u"")}), u"Language", u""},
      {"259 characters fill the path", false, with_date({sz(u"DownloadPath", path259)}), u"DownloadPath", path259},
      {"260 characters do not fit", false, with_date({sz(u"DownloadPath", path259 + u"y")}), u"DownloadPath", base + u"Download"},
      {"longer backup path read in full", false,
       with_date({sz(u"DownloadPath", u"D:\\d"), sz(u"BackupPath", u"D:\\a much longer backup folder\\below")}),
       u"BackupPath", u"D:\\a much longer backup folder\\below"},
      {"too long host is not cut", false, with_date({sz(u"ProxyHost", std::u16string(1100, u'h'))}), u"ProxyHost", u""},
      {"number", false, with_date({{u"Autorun", reg_type_dword, dword_bytes(0)}}), u"Autorun", u"0"},
      {"number as text", false, with_date({sz(u"Autorun", u"0")}), u"Autorun", u"2"},
      {"number as binary", false, with_date({{u"Autorun", reg_type_binary, dword_bytes(0)}}), u"Autorun", u"2"},
      {"number of 2 bytes", false, with_date({{u"ProxyPort", reg_type_dword, {0x50, 0}}}), u"ProxyPort", u"0"},
      {"number of 8 bytes", false, with_date({{u"ProxyPort", 11, {0x50, 0, 0, 0, 0, 0, 0, 0}}}), u"ProxyPort", u"0"},
      {"link is never read back", false, with_date({sz(u"UninstallLink", u"http://x/")}), u"UninstallLink", u""},
      {"first run reads the language", true, {sz(u"Language", u"ja")}, u"Language", u"ja"},
      {"first run reads nothing else", true, {{u"ScanNonPresent", reg_type_dword, dword_bytes(1)}}, u"ScanNonPresent", u"0"},
  };
  return cases;
}
