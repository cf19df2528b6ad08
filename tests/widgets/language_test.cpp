#include "widgets/language.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "base/text.h"
#include "tests/support/test_support.h"

namespace {

const char* const language_keys[] = {
  "btn_ok", "btn_cancel", "btn_yes", "btn_no", "btn_home", "btn_retry", "btn_update", "btn_backup",
  "btn_restore", "btn_uninstall", "btn_remove", "btn_options", "btn_start_scan", "btn_rescan",
  "btn_download_all", "btn_backup_all", "btn_best", "btn_latest", "btn_download", "btn_pause",
  "btn_resume", "btn_install", "btn_recommended", "btn_select_all", "btn_select_none",
  "btn_panel_backup", "btn_panel_restore", "btn_support", "top_logo_text", "bottom_version",
  "menu_settings", "menu_help", "menu_support", "menu_about", "menu_check_for_updates",
  "menu_exit", "menu_delete_file", "menu_open_location", "menu_view_details",
  "menu_add_to_exclusion", "home_welcome", "home_hardware_info", "home_manu", "home_model",
  "home_os", "home_cpu", "home_memory", "home_video", "home_sound", "home_scan", "scan_date",
  "scan_status", "scan_text1", "scan_text2", "scan_text3", "scan_time_elapsed",
  "scan_devices_scanned", "error_invalid_data", "error_network_error", "error_network_timeout",
  "error_internal_error", "error_on_compress", "error_on_decompress", "error_on_nothing",
  "download_out_of_date", "download_up_to_date", "download_missing", "download_total_selection",
  "download_installed", "download_available", "download_billboard_text1",
  "download_billboard_text2", "download_billboard_text3", "download_error", "download_completed",
  "download_paused", "download_not_download", "download_speed", "download_updated",
  "download_none", "download_setup_warning", "download_setup_require",
  "download_no_driver_selected", "download_delete_confirm", "download_exclusion_confirm",
  "download_all_warning", "download_auto_backup_query", "device_detail_device_Name",
  "device_detail_device_information", "device_detail_description", "device_detail_current_driver",
  "device_detail_backup_driver", "device_detail_backup_date", "device_detail_backup_file",
  "device_detail_new_driver", "device_detail_list_device_id", "device_detail_list_device_desc",
  "device_detail_list_matching_device_id", "device_detail_list_hardware_ids",
  "device_detail_list_compatible_ids", "device_detail_list_manufacturer",
  "device_detail_list_inf_name", "device_detail_list_inf_date", "device_detail_list_inf_version",
  "device_detail_list_class_name", "device_detail_list_class_desc",
  "device_detail_list_enumerator", "device_detail_list_rank_of_installed_driver", "quit_confirm",
  "backup_tips", "backup_available_drivers", "backup_inbox_drivers", "backup_no_driver",
  "backup_info", "backup_date", "backup_driver_date", "backup_driver_version",
  "backup_driver_provider", "backup_driver_inf_path", "backup_total_selection", "backup_success",
  "backup_failed", "restore_driver_backups", "restore_tips", "restore_installed", "restore_backup",
  "restore_delete_confirm", "uninstall_tips", "uninstall_finished", "progress_backup_wait",
  "progress_install_wait", "progress_restore_wait", "config_backup_path", "about_title",
  "about_text1", "about_version", "about_email", "about_homepage", "about_text2",
  "about_copyright", "settings_general", "settings_location", "settings_network",
  "settings_exclusion", "settings_scheduler", "settings_system", "settings_setting1",
  "settings_setting2", "settings_setting3", "settings_setting4", "settings_setting5",
  "settings_setting6", "settings_setting7", "settings_setting8", "settings_scan_update",
  "settings_match", "settings_language", "settings_download_location", "settings_backup_location",
  "settings_internet_connection", "settings_no_proxy", "settings_use_ie", "settings_use_http",
  "settings_use_socks5", "settings_host", "settings_port", "settings_user", "settings_pass",
  "settings_exclude_drivers", "settings_scheduled_scan", "settings_enable_sche_scan",
  "settings_period", "settings_daily", "settings_weekly", "settings_monthly", "settings_weekday",
  "settings_monthday", "settings_start_at", "settings_http_proxy", "settings_socks5_proxy",
  "settings_download_warning", "settings_invalid_download", "settings_invalid_backup",
  "settings_day1", "settings_day2", "settings_day3", "settings_day4", "settings_day5",
  "settings_day6", "settings_day7", "settings_description", "settings_version", "settings_date",
  "settings_remove_query", "version_up_to_date", "version_new_version", "version_download",
  "manually_install_notify", "unknown_device",
};

std::string ini_file() { return read_file_bytes(source_path("resources/vantoril/language.ini")); }

std::u16string text(std::string_view key) { return get_text(key); }

// What the program reads: the resource compiled into it on Windows, the file here.
int load(std::u16string_view code) {
#ifdef _WIN32
  return load_language(code);
#else
  static const std::string text = ini_file();
  return load_language_from(text, code);
#endif
}

// The resource read the plain way, for expected texts: section -> key -> text as written.
using sections_t = std::map<std::string, std::map<std::string, std::string>>;
sections_t read_sections(const std::string& text) {
  sections_t out;
  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    std::string line = text.substr(pos, lf == std::string::npos ? std::string::npos : lf - pos);
    pos = lf == std::string::npos ? text.size() : lf + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find("=\"");
    if (eq != std::string::npos && line.back() == '"')
      out[section][line.substr(0, eq)] = line.substr(eq + 2, line.size() - eq - 3);
  }
  return out;
}

std::u16string expected(const std::string& written) {
  std::string s;
  for (size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '\\' && i + 1 < written.size() && (written[i + 1] == 't' || written[i + 1] == 'n')) {
      s += written[i + 1] == 't' ? '\t' : '\n';
      ++i;
    } else {
      s += written[i];
    }
  }
  return utf8_to_u16(s);
}

const std::string english = "English";
const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";

TEST(LanguageResource, HoldsEveryKeyInBothSections) {
  sections_t sections = read_sections(ini_file());
  ASSERT_EQ(sections.size(), 2u);
  for (const std::string& name : {english, japanese}) {
    std::vector<std::string> missing;
    for (const char* key : language_keys)
      if (!sections[name].count(key) || sections[name][key].empty()) missing.push_back(key);
    std::string list;
    for (const auto& k : missing) list += k + " ";
    EXPECT_TRUE(missing.empty()) << name << " lacks: " << list;
  }
  EXPECT_EQ(sizeof language_keys / sizeof language_keys[0], 199u);
  // Section order, and the disabled entry in both sections.
  std::string ini = ini_file();
  EXPECT_LT(ini.find("[English]"), ini.find("[" + japanese + "]"));
  size_t first = ini.find("\n;backup_settings=\"");
  ASSERT_NE(first, std::string::npos);
  EXPECT_GT(first, ini.find("[English]"));
  EXPECT_GT(ini.find("\n;backup_settings=\"", first + 1), ini.find("[" + japanese + "]"));
}

TEST(LanguageResource, ProgramCarriesTheIniFile) {
#ifdef _WIN32
  EXPECT_EQ(std::string(language_resource()), ini_file());
#else
  EXPECT_TRUE(language_resource().empty());
  EXPECT_EQ(load_language(u"en"), -1);
#endif
}

TEST(LanguageResource, PlaceholdersMatchBetweenLanguages) {
  sections_t sections = read_sections(ini_file());
  auto placeholders = [](const std::string& s) {
    std::string out;
    for (size_t i = 0; i + 1 < s.size(); ++i)
      if (s[i] == '%') out += s[++i];
    return out;
  };
  for (const char* key : language_keys)
    EXPECT_EQ(placeholders(sections[english][key]), placeholders(sections[japanese][key])) << key;
}

TEST(LanguageTexts, JapaneseStartGivesJapaneseForEveryKey) {
  ASSERT_EQ(load(u"ja"), 0);
  sections_t sections = read_sections(ini_file());
  for (const char* key : language_keys) EXPECT_EQ(get_text(key), expected(sections[japanese][key])) << key;
  EXPECT_TRUE(is_current_language(u"ja"));
  EXPECT_TRUE(is_current_language(u"JA"));
  EXPECT_FALSE(is_current_language(u"en"));
  EXPECT_EQ(current_language_index(), 1);
  EXPECT_EQ(language_names(), (std::vector<std::u16string>{u"English", u"\u65e5\u672c\u8a9e"}));
  EXPECT_EQ(home_page_url(), u"https://jp.vantoril.com");
  EXPECT_EQ(support_page_url(), u"https://jp.vantoril.com/support");
  // The disabled entry stays disabled.
  EXPECT_EQ(text("backup_settings"), u"");
  EXPECT_EQ(text(";backup_settings"), u"");
}

TEST(LanguageTexts, EnglishStartAndTellingRows) {
  ASSERT_EQ(load(u"en"), 0);
  sections_t sections = read_sections(ini_file());
  for (const char* key : language_keys) EXPECT_EQ(get_text(key), expected(sections[english][key])) << key;
  EXPECT_EQ(text("btn_ok"), u"OK");
  EXPECT_EQ(text("btn_cancel"), u"Cancel");
  EXPECT_EQ(text("btn_retry"), u"Retry");
  EXPECT_EQ(text("error_network_error"), u"Network error.\nServer returns http code %d.");
  EXPECT_EQ(text("settings_setting6"), u" Match best drivers for your PC (Recommended)");
  EXPECT_TRUE(is_current_language(u"en"));
  EXPECT_EQ(current_language_index(), 0);
  EXPECT_EQ(home_page_url(), u"https://www.vantoril.com");
  EXPECT_EQ(text("no_such_key"), u"");
}

// Later tests parse texts of their own: the program's resource is kept alive here.
struct fixture_text {
  std::string text;
  explicit fixture_text(std::string t) : text(std::move(t)) {}
};

TEST(LanguageTexts, JapaneseLacksKeyFallsBackToEnglish) {
  std::string ini = ini_file();
  size_t ja = ini.find("[" + japanese + "]");
  size_t line = ini.find("\nbtn_home=", ja);
  ASSERT_NE(line, std::string::npos);
  ini.erase(line, ini.find('\n', line + 1) - line);
  static fixture_text kept(ini);
  unload_language();
  ASSERT_EQ(load_language_from(kept.text, u"ja"), 0);
  EXPECT_EQ(text("btn_home"), u"Home");
  EXPECT_EQ(text("btn_cancel"), u"\u30ad\u30e3\u30f3\u30bb\u30eb");
}

TEST(LanguageTexts, CrlfResourceParsesAsItsLfTwin) {
  std::string lf = ini_file(), crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  static fixture_text kept(crlf);
  for (const char16_t* code : {u"en", u"ja"}) {
    unload_language();
    ASSERT_EQ(load(code), 0);
    std::map<std::string, std::u16string> twin;
    for (const char* key : language_keys) twin[key] = get_text(key);
    std::vector<std::u16string> names = language_names();
    unload_language();
    ASSERT_EQ(load_language_from(kept.text, code), 0);
    for (const char* key : language_keys) EXPECT_EQ(get_text(key), twin[key]) << key;
    EXPECT_EQ(language_names(), names);
  }
}

TEST(LanguageTexts, FailedLoadLeavesEmptyTextsAndEnglish) {
  unload_language();
  EXPECT_EQ(load_language_from("", u"ja"), -1);
  EXPECT_TRUE(language_names().empty());
  ASSERT_NE(get_text("btn_ok"), nullptr);
  EXPECT_EQ(text("btn_ok"), u"");
  // The index points at nothing: English and the default host.
  EXPECT_TRUE(is_current_language(u"en"));
  EXPECT_FALSE(is_current_language(u"ja"));
  EXPECT_EQ(home_page_url(), u"https://www.vantoril.com");
}

TEST(LanguageTexts, ChosenSectionMissingGivesEnglish) {
  unload_language();
  ASSERT_EQ(load(u"de"), 0);
  EXPECT_EQ(text("btn_ok"), u"OK");
  EXPECT_EQ(text("btn_cancel"), u"Cancel");
  EXPECT_EQ(current_language_index(), 0);
}

TEST(LanguageTexts, SwitchKeepsTextsHandedOutAndReplacesTheRest) {
  unload_language();
  ASSERT_EQ(load(u"ja"), 0);
  const char16_t* held = get_text("btn_cancel");
  std::u16string before = held;
  parse_language_ini(u"en", true, true);
  EXPECT_EQ(std::u16string(held), before);  // still readable, unchanged
  EXPECT_EQ(text("btn_cancel"), u"Cancel");
  EXPECT_TRUE(is_current_language(u"en"));
  parse_language_ini(u"ja", true, true);
  EXPECT_EQ(get_text("btn_cancel"), held);  // equal texts share one copy
}

TEST(LanguageTexts, ReadersNeverSeeATableMidChange) {
  unload_language();
  ASSERT_EQ(load(u"en"), 0);
  const std::u16string en_ok = get_text("btn_cancel"), en_last = get_text("unknown_device");
  parse_language_ini(u"ja", true, true);
  const std::u16string ja_ok = get_text("btn_cancel"), ja_last = get_text("unknown_device");
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0}, reads{0};
  std::thread reader([&] {
    while (!stop) {
      std::u16string a = get_text("btn_cancel");
      if (a != en_ok && a != ja_ok) ++torn;
      ++reads;
    }
  });
  // Keep switching until the reader has had a fair share of the switches (a loaded machine may
  // not schedule it at once).
  for (int i = 0; i < 200 || (reads < 100 && i < 20000); ++i)
    parse_language_ini(i % 2 ? u"en" : u"ja", true, true);
  parse_language_ini(u"en", true, true);
  stop = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(text("unknown_device"), en_last);
  EXPECT_NE(ja_last, en_last);
}

TEST(LanguageLines, ClassifiesAsThePatternDoes) {
  struct row {
    const char* line;
    language_line::kind_t kind;
    const char* name;
    const char* text;
  } rows[] = {
      {"[English]", language_line::section, "English", ""},
      {"  [\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e]  \t", language_line::section, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", ""},
      {"[]", language_line::section, "", ""},
      {"btn_ok=\"OK\"", language_line::entry, "btn_ok", "OK"},
      {"  key = \"a b\"  ", language_line::entry, "key ", "a b"},  // blanks before '=' stay in the key
      {"key=\"say \"hi\"\"", language_line::entry, "key", "say \"hi\""},
      {"key=\"a=\"b\"", language_line::entry, "key=\"a", "b"},  // the key runs to the last '=' that works
      {"key=\"\"", language_line::other, "", ""},                // empty quotes: ignored
      {";key=\"text\"", language_line::other, "", ""},
      {";[English]", language_line::other, "", ""},
      {"key=text", language_line::other, "", ""},
      {"key=\"text", language_line::other, "", ""},
      {"=\"text\"", language_line::other, "", ""},
      {"", language_line::other, "", ""},
      {"   ", language_line::other, "", ""},
      {"[open", language_line::other, "", ""},
      {"  ;k=\"t\"", language_line::entry, " ;k", "t"},  // a blank given back starts the key
      {"k\r =\"t\"", language_line::entry, "k", "t"},   // a line end ends the key
      {"k=\"a\rb\"", language_line::other, "", ""},
  };
  for (const row& r : rows) {
    language_line got = classify_language_line(r.line);
    EXPECT_EQ(got.kind, r.kind) << r.line;
    if (got.kind != language_line::other) {
      EXPECT_EQ(got.name, r.name) << r.line;
      EXPECT_EQ(got.text, r.text) << r.line;
    }
  }
}

// Blanks, ';' and a long run of '=' with no quote after any of them: each start of the key
// was once tried against each '=', which took minutes on this line of 2.6 KB.
TEST(LanguageLines, LongLineWithoutAnEntryIsNoEntry) {
  std::string input = read_file_bytes(source_path("tests/fuzz/corpus/language/long_equals_line"));
  ASSERT_GT(input.size(), 2000u);
  std::string_view rest = std::string_view(input).substr(1);  // the fuzzer's language byte
  std::string_view header = rest.substr(0, rest.find('\n'));
  EXPECT_EQ(classify_language_line(header).kind, language_line::section);
  std::string line(rest.substr(header.size() + 1));
  line.pop_back();  // the line feed
  EXPECT_EQ(classify_language_line(line).kind, language_line::other);
  const std::string with_text = line + "=\"t\"";
  language_line entry = classify_language_line(with_text);
  EXPECT_EQ(entry.kind, language_line::entry);
  EXPECT_EQ(entry.name, line.substr(line.find(';') - 1));  // from the blank before ';' to the last '='
  EXPECT_EQ(entry.text, "t");
}

TEST(LanguageLines, Escapes) {
  struct row {
    const char* written;
    const char* result;
  } rows[] = {
      {"a\\tb", "a\tb"},       {"a\\nb", "a\nb"},     {"\\n\\n", "\n\n"},
      {"C:\\path\\x", "C:\\path\\x"}, {"50\\%", "50\\%"}, {"\\", "\\"},
      {"\\\\t", "\\\t"},       {"end\\", "end\\"},
  };
  for (const row& r : rows) EXPECT_EQ(apply_language_escapes(r.written), r.result) << r.written;
}

TEST(LanguageTexts, OnlyTheChosenSectionIsStored) {
  static fixture_text kept(
      "orphan=\"before any section\"\n"
      "[English]\n"
      "a=\"A\"\n"
      "dup=\"first\"\n"
      "dup=\"second\"\n"
      ";c=\"commented\"\n"
      "e=\"\"\n"
      "[Deutsch]\n"
      "a=\"A-de\"\n"
      "d=\"only German\"\n"
      "[Fran\xc3\xa7" "ais]\n"
      "a=\"A-fr\"\n");
  unload_language();
  ASSERT_EQ(load_language_from(kept.text, u"en"), 0);
  EXPECT_EQ(text("orphan"), u"");
  EXPECT_EQ(text("a"), u"A");
  EXPECT_EQ(text("dup"), u"second");
  EXPECT_EQ(text("c"), u"");
  EXPECT_EQ(text("e"), u"");
  EXPECT_EQ(text("d"), u"");
  EXPECT_EQ(language_names(), (std::vector<std::u16string>{u"English", u"Deutsch", u"Fran\u00e7ais"}));

  unload_language();
  ASSERT_EQ(load_language_from(kept.text, u"FR"), 0);  // case-insensitive codes
  EXPECT_EQ(current_language_index(), 2);
  EXPECT_EQ(text("a"), u"A-fr");
  EXPECT_EQ(text("dup"), u"first");  // the English pass only adds
  EXPECT_EQ(home_page_url(), u"https://fr.vantoril.com");

  // A switch replaces what the new section has and keeps the rest.
  parse_language_ini(u"de", true, true);
  EXPECT_EQ(text("a"), u"A-de");
  EXPECT_EQ(text("d"), u"only German");
  EXPECT_EQ(text("dup"), u"first");
  EXPECT_TRUE(is_current_language(u"de"));
}

TEST(LanguageCodes, BothDirections) {
  struct row {
    const char16_t* code;
    const char16_t* name;
  } rows[] = {
      {u"en", u"English"},  {u"de", u"Deutsch"},   {u"fr", u"Fran\u00e7ais"}, {u"es", u"Espa\u00f1ol"},
      {u"zh", u"\u7b80\u4f53\u4e2d\u6587"}, {u"tw", u"\u7e41\u9ad4\u4e2d\u6587"}, {u"it", u"Italiano"},
      {u"ja", u"\u65e5\u672c\u8a9e"}, {u"pt", u"Portugu\u00eas"}, {u"nl", u"Nederlands"},
      {u"ar", u"\u0627\u0644\u0639\u0631\u0628\u064a\u0629"},
  };
  for (const row& r : rows) {
    EXPECT_EQ(language_code_to_name(r.code), r.name);
    EXPECT_EQ(language_name_to_code(r.name), r.code);
  }
  EXPECT_EQ(language_code_to_name(u"JA"), u"\u65e5\u672c\u8a9e");
  EXPECT_EQ(language_name_to_code(u"deutsch"), u"de");
  EXPECT_EQ(language_code_to_name(u"xx"), u"English");
  EXPECT_EQ(language_code_to_name(u""), u"English");
  EXPECT_EQ(language_name_to_code(u"Klingon"), u"en");
}

}  // namespace
