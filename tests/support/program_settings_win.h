// Windows only, tests that start Vantoril.exe: its settings in the prefix's registry, set for a
// test and put back afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A value of the program's key set for a test and put back afterwards.
class setting_guard {
 public:
  setting_guard(const wchar_t* name, DWORD number) : name_(name) {
    save();
    RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  }
  setting_guard(const wchar_t* name, const std::wstring& text) : name_(name) {
    save();
    RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));
  }
  ~setting_guard() {
    if (had_)
      RegSetValueExW(key_, name_.c_str(), 0, type_, old_.data(), DWORD(old_.size()));
    else
      RegDeleteValueW(key_, name_.c_str());
    RegCloseKey(key_);
  }
  setting_guard(const setting_guard&) = delete;
  setting_guard& operator=(const setting_guard&) = delete;

 private:
  void save() {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vantoril", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExW(key_, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    old_.resize(size);
    if (had_) RegQueryValueExW(key_, name_.c_str(), nullptr, &type_, old_.data(), &size);
  }
  std::wstring name_;
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> old_;
};

// The program has run in this prefix before. Without an install date the next start is its
// first run, which writes every default over the values a test has set (another test may have
// removed the whole key), so a test that presets settings holds this guard first.
class not_a_first_run {
 public:
  not_a_first_run() : date_(L"InstallDate", std::wstring(L"2020-01-01")) {}

 private:
  setting_guard date_;
};
