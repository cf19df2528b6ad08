#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "base/wide.h"
#include "engine/settings.h"
#include "engine/system_facts.h"
#include "tests/support/test_support.h"

namespace {

TEST(SystemFactsWin, WmiThenSystemInfo) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  EXPECT_EQ(query_wmi_facts(), 0);
  EXPECT_EQ(query_wmi_facts(), 0);  // security already set for the process: still read
  EXPECT_FALSE(processor_name.empty());
  EXPECT_FALSE(os_version_text.empty());
  EXPECT_FALSE(os_caption.empty());
  EXPECT_NE(os_caption.find(u" Build "), std::u16string::npos);
  EXPECT_NE(os_caption.back(), u' ');
  EXPECT_FALSE(memory_text.empty());
  EXPECT_FALSE(system_uuid.empty());
  if (running_on_wine()) {
    EXPECT_EQ(system_maker, u"The Wine Project");
    EXPECT_EQ(display_name, u"");  // Wine has no Win32_DisplayConfiguration
  }
  CoUninitialize();

  ASSERT_TRUE(init_system_info());
  EXPECT_NE(os_class, os_not_supported);
  EXPECT_GE(os_version_info.dwMajorVersion, 5u);
  EXPECT_NE(system_info.dwNumberOfProcessors, 0u);
  EXPECT_NE(ui_language, 0);
  WCHAR module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(std::u16string(exe_path), as_u16(module));
  WCHAR current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  std::u16string base = app_settings.base_folder;
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(base.back(), u'\\');
  EXPECT_NE(base.substr(base.size() - 2), u"\\\\");
  EXPECT_EQ(folder_with_backslash(as_u16(current)), base);
  WCHAR local[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(local) / "Vantoril"));
}

TEST(SystemFactsWin, DriveRootProgramFolder) {
  WCHAR saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  bool ok = init_system_info();
  SetCurrentDirectoryW(saved);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::u16string(app_settings.base_folder), u"C:\\");
}

}  // namespace
