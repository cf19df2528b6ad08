#include "engine/system_facts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <thread>

#include "base/text.h"
#include "widgets/size_text.h"

namespace {

TEST(SystemFacts, VersionClassification) {
  struct row {
    uint32_t platform, major, minor;
    bool r2, verified_6_2, has_real;
    uint32_t real_major, real_minor;
    const char16_t* wmi;
    int32_t os_class;
    uint32_t stored_major, stored_minor;
  } rows[] = {
      {0, 4, 0, false, false, false, 0, 0, u"", os_not_supported, 4, 0},  // Win32s
      {1, 4, 10, false, false, false, 0, 0, u"", os_not_supported, 4, 10},  // Windows 98
      {2, 4, 0, false, false, false, 0, 0, u"", os_not_supported, 4, 0},
      {2, 5, 0, false, false, false, 0, 0, u"", os_not_supported, 5, 0},  // Windows 2000
      {2, 5, 1, false, false, false, 0, 0, u"", os_winxp, 5, 1},
      {2, 5, 2, false, false, false, 0, 0, u"", os_win2003, 5, 2},
      {2, 5, 2, true, false, false, 0, 0, u"", os_win2003_r2, 5, 2},
      {2, 5, 3, false, false, false, 0, 0, u"", os_unknown, 5, 3},
      {2, 6, 0, false, false, false, 0, 0, u"", os_vista, 6, 0},
      {2, 6, 1, false, false, false, 0, 0, u"6.1.7601", os_win7, 6, 1},
      // Windows 8: the same whichever source answers.
      {2, 6, 2, false, true, true, 6, 2, u"6.2.9200", os_win8, 6, 2},
      {2, 6, 2, false, true, false, 0, 0, u"", os_win8, 6, 2},
      // Windows 8.1 and 10 reporting 6.2 without a manifest.
      {2, 6, 2, false, false, true, 6, 3, u"6.3.9600", os_win81, 6, 3},
      {2, 6, 2, false, true, true, 10, 0, u"10.0.19045", os_win10, 10, 0},
      {2, 6, 2, false, true, false, 0, 0, u"10.0.19045", os_win10, 10, 0},
      {2, 6, 2, false, true, false, 0, 0, u"6.3.9600", os_win81, 6, 3},
      {2, 6, 2, false, false, false, 0, 0, u"", os_win81, 6, 3},
      // With a manifest Windows tells the truth, and 10.0 has its own class.
      {2, 6, 3, false, false, true, 6, 3, u"6.3.9600", os_win81, 6, 3},
      {2, 10, 0, false, false, true, 10, 0, u"10.0.22631", os_win10, 10, 0},
      {2, 10, 0, false, false, false, 0, 0, u"", os_win10, 10, 0},
      {2, 10, 1, false, false, false, 0, 0, u"", os_unknown, 10, 1},
      {2, 6, 2, false, false, true, 6, 4, u"6.4.9841", os_unknown, 6, 4},
      {2, 11, 0, false, false, false, 0, 0, u"", os_unknown, 11, 0},
  };
  for (const row& r : rows) {
    os_version_probe p{};
    p.platform_id = r.platform;
    p.major = r.major;
    p.minor = r.minor;
    p.build = 1;
    p.server_r2 = r.r2;
    p.verified_6_2 = r.verified_6_2;
    p.has_real = r.has_real;
    p.real_major = r.real_major;
    p.real_minor = r.real_minor;
    p.real_build = 2;
    p.wmi_version = r.wmi;
    os_version_class c = classify_os_version(p);
    std::string what = std::to_string(r.platform) + ":" + std::to_string(r.major) + "." + std::to_string(r.minor) +
                       " real " + std::to_string(r.real_major) + "." + std::to_string(r.real_minor) + " wmi " +
                       u16_to_utf8(r.wmi);
    EXPECT_EQ(c.os_class, r.os_class) << what;
    EXPECT_EQ(c.major, r.stored_major) << what;
    EXPECT_EQ(c.minor, r.stored_minor) << what;
    EXPECT_EQ(c.build, r.has_real && r.major >= 6 && !(r.major == 6 && r.minor < 2) ? 2u : 1u) << what;
  }
}

TEST(SystemFacts, ClassTexts) {
  struct row {
    int32_t os_class;
    const char* text;
    const char* text_64;
  } rows[] = {
      {os_not_supported, "NOT_SUPPORTED", "NOT_SUPPORTED"}, {os_winxp, "WINXP", "WINXP64"},
      {os_win2003, "WIN2003", "WIN200364"},               {os_win2003_r2, "WIN2003", "WIN200364"},
      {os_vista, "VISTA", "VISTA64"},                     {os_win7, "WIN7", "WIN764"},
      {os_win8, "WIN8", "WIN864"},                        {os_win81, "WIN81", "WIN8164"},
      {os_win10, "WIN10", "WIN1064"},                     {os_unknown, "UNKNOWN", "UNKNOWN"},
      {1, "UNKNOWN", "UNKNOWN"},
  };
  for (const row& r : rows) {
    EXPECT_STREQ(os_class_text(r.os_class, false), r.text) << r.os_class;
    EXPECT_STREQ(os_class_text(r.os_class, true), r.text_64) << r.os_class;
  }
  // A 32-bit Windows 7, then the same program on a 64-bit processor.
  os_class = os_win7;
  system_info.wProcessorArchitecture = 0;
  EXPECT_STREQ(os_name_text(), process_is_wow64() ? "WIN764" : "WIN7");
  system_info.wProcessorArchitecture = 9;
  EXPECT_STREQ(os_name_text(), "WIN764");
}

// WMI answers from a table: a class missing from it fails its query.
class table_wmi : public wmi_source {
 public:
  std::map<std::u16string, std::vector<std::map<std::u16string, std::optional<std::u16string>>>> classes;

  bool first_value(const char16_t* cls, const char16_t* property, std::u16string& found, bool& has_value) override {
    has_value = false;
    std::vector<std::u16string> all;
    if (!all_values(cls, property, all)) return false;
    if (!all.empty()) {
      found = all.front();
      has_value = true;
    }
    return true;
  }
  bool all_values(const char16_t* cls, const char16_t* property, std::vector<std::u16string>& values) override {
    auto it = classes.find(cls);
    if (it == classes.end()) return false;
    for (const auto& object : it->second) {
      auto p = object.find(property);
      if (p != object.end() && p->second) values.push_back(*p->second);
    }
    return true;
  }
};

void clear_facts() {
  for (std::u16string* s : {&processor_name, &os_version_text, &os_caption, &memory_text, &display_name, &sound_name,
                            &system_uuid, &system_maker, &system_model})
    s->clear();
}

TEST(SystemFacts, WmiTexts) {
  clear_facts();
  table_wmi wmi;
  wmi.classes[u"Win32_Processor"] = {{{u"name", std::nullopt}}, {{u"name", u"  Test CPU @ 3.00GHz \t"}}};
  wmi.classes[u"Win32_OperatingSystem"] = {{{u"Version", u"10.0.19045"},
                                            {u"Caption", u"Microsoft Windows 10 Pro"},
                                            {u"BuildNumber", u"19045"},
                                            {u"CSDVersion", u""}}};
  wmi.classes[u"Win32_PhysicalMemory"] = {{{u"Capacity", u"4294967296"}}, {{u"Capacity", std::nullopt}},
                                          {{u"Capacity", u"4294967296"}}};
  wmi.classes[u"Win32_SoundDevice"] = {{{u"Description", u"Speakers"}}};
  wmi.classes[u"Win32_ComputerSystemProduct"] = {{{u"UUID", u"01234567-89AB-CDEF-0123-456789ABCDEF"}}};
  wmi.classes[u"Win32_ComputerSystem"] = {{{u"Manufacturer", u"Maker"}, {u"Model", u"Model 7"}}};
  read_wmi_facts(wmi);
  EXPECT_EQ(processor_name, u"Test CPU @ 3.00GHz");
  EXPECT_EQ(os_version_text, u"10.0.19045");
  EXPECT_EQ(os_caption, u"Microsoft Windows 10 Pro Build 19045");  // no blank for the empty service pack
  EXPECT_EQ(memory_text, u"8.00GB");
  EXPECT_EQ(display_name, u"");  // the class is missing: the text stays empty
  EXPECT_EQ(sound_name, u"Speakers");
  EXPECT_EQ(system_uuid, u"01234567-89AB-CDEF-0123-456789ABCDEF");
  EXPECT_EQ(system_maker, u"Maker");
  EXPECT_EQ(system_model, u"Model 7");
}

TEST(SystemFacts, WmiFailuresLeaveTextsEmpty) {
  clear_facts();
  table_wmi wmi;
  wmi.classes[u"Win32_OperatingSystem"] = {{{u"Version", u""}, {u"BuildNumber", u"7601"}, {u"CSDVersion", u"Service Pack 1"}}};
  wmi.classes[u"Win32_PhysicalMemory"] = {};
  read_wmi_facts(wmi);
  EXPECT_EQ(os_version_text, u"");
  EXPECT_EQ(os_caption, u" Build 7601 Service Pack 1");  // the caption query worked, with no value
  char16_t zero[size_text_capacity];
  format_size_text(0, zero);
  EXPECT_EQ(memory_text, zero);  // no module: the text for 0 bytes
  EXPECT_EQ(processor_name, u"");

  clear_facts();
  table_wmi none;
  read_wmi_facts(none);
  EXPECT_EQ(os_caption, u"");
  EXPECT_EQ(memory_text, u"");
}

// The start-up read's readers: nothing to wait for unless a read runs, and a waiting worker goes
// on only once it has ended.
TEST(SystemFacts, ReadersOfTheWmiTextsWaitOnlyWhileTheirReadRuns) {
  EXPECT_FALSE(wmi_facts_pending());
  wait_for_wmi_facts();  // none started: back at once

  wmi_facts_begin();
  EXPECT_TRUE(wmi_facts_pending());
  std::atomic<bool> read{false};
  std::thread reader([&] {
    wait_for_wmi_facts();
    read = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(read.load());
  wmi_facts_end();
  reader.join();
  EXPECT_TRUE(read.load());
  EXPECT_FALSE(wmi_facts_pending());
}

TEST(SystemFacts, FolderGetsOneBackslash) {
  EXPECT_EQ(folder_with_backslash(u"C:\\"), u"C:\\");
  EXPECT_EQ(folder_with_backslash(u"C:\\Program Files\\Vantoril"), u"C:\\Program Files\\Vantoril\\");
}

}  // namespace
