#include "engine/exclusion_list.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "engine/settings.h"
#include "tests/support/test_support.h"

namespace {

exclusion_entry entry(const std::u16string& hardid, const std::u16string& md5, const std::u16string& desc,
                      const std::u16string& version, const std::u16string& date) {
  exclusion_entry e{};
  copy_cut(e.hardid, hardid);
  copy_cut(e.md5hash, md5);
  copy_cut(e.desc, desc);
  copy_cut(e.version, version);
  copy_cut(e.date, date);
  return e;
}

void add(exclusion_map& list, const exclusion_entry& e) { list[e.md5hash] = e; }

std::u16string fields(const exclusion_entry& e) {
  return std::u16string(e.hardid) + u"|" + e.md5hash + u"|" + e.desc + u"|" + e.version + u"|" + e.date;
}

std::string wrapped(const std::string& drivers) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Vantoril>\n" + drivers + "</Vantoril>\n";
}

TEST(ExclusionList, WritesEntriesInKeyOrderWithTheHardwareIdAsCdata) {
  exclusion_map list;
  add(list, entry(u"USB\\VID_0BDA&PID_8179", u"ffee", u"Wireless <LAN> & more", u"1.0", u"2015-03-01"));
  add(list, entry(u"PCI\\VEN_10EC", u"0a1b", u"Audio", u"6.0.1.7", u"2014-11-20"));
  add(list, entry(u"", u"Zz", u"", u"", u""));
  EXPECT_EQ(write_exclusion_list(list),
            wrapped("\t<driver>\n\t\t<hardid>\n\t\t\t<![CDATA[PCI\\VEN_10EC]]>\n\t\t</hardid>\n"
                    "\t\t<md5hash>0a1b</md5hash>\n\t\t<desc>Audio</desc>\n\t\t<version>6.0.1.7</version>\n"
                    "\t\t<date>2014-11-20</date>\n\t</driver>\n"
                    "\t<driver>\n\t\t<hardid>\n\t\t\t<![CDATA[]]>\n\t\t</hardid>\n"
                    "\t\t<md5hash>Zz</md5hash>\n\t\t<desc></desc>\n\t\t<version></version>\n"
                    "\t\t<date></date>\n\t</driver>\n"
                    "\t<driver>\n\t\t<hardid>\n\t\t\t<![CDATA[USB\\VID_0BDA&PID_8179]]>\n\t\t</hardid>\n"
                    "\t\t<md5hash>ffee</md5hash>\n\t\t<desc>Wireless &lt;LAN&gt; &amp; more</desc>\n"
                    "\t\t<version>1.0</version>\n\t\t<date>2015-03-01</date>\n\t</driver>\n"));
}

TEST(ExclusionList, EmptyListWritesAnEmptyRootThatReadsAsNothing) {
  const std::string text = write_exclusion_list({});
  EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Vantoril />\n");
  exclusion_map list;
  EXPECT_FALSE(read_exclusion_list(text.c_str(), list));
  EXPECT_TRUE(list.empty());
}

TEST(ExclusionList, ReadsWhatItWrote) {
  exclusion_map list;
  add(list, entry(u"PCI\\VEN_8086&DEV_1E31", u"9e107d9d372bb6826bd81d3542a419d6", u"USB 3.0 \u00e9xtensible host",
                  u"1.0.0.5", u"2013-01-01"));
  // Texts that a plain printing would change on the way back.
  add(list, entry(u" ]]> id\r", u"  ", u"  two  leading, &#x41; literal, tab\there ", u"\n", u"a&b"));
  add(list, entry(u"  spaced  ", u"spaced", u" ", u"x ", u" x"));
  exclusion_map back;
  ASSERT_TRUE(read_exclusion_list(write_exclusion_list(list).c_str(), back));
  ASSERT_EQ(back.size(), list.size());
  for (const auto& item : list) {
    ASSERT_EQ(back.count(item.first), 1u);
    EXPECT_EQ(fields(back.at(item.first)), fields(item.second)) << u16_to_utf8(item.first);
  }
}

TEST(ExclusionList, TextsGoThroughTheAnsiCodePage) {
  // Outside the page: stored as the page's replacement characters and read back as those.
  const std::u16string desc = u"\u4e2d\u6587 driver \u00e9 \u20ac";
  exclusion_map list;
  add(list, entry(u"ID", u"k", desc, u"", u""));
  const std::string text = write_exclusion_list(list);
  EXPECT_NE(text.find("<desc>" + u16_to_ansi(desc) + "</desc>"), std::string::npos);
  exclusion_map back;
  ASSERT_TRUE(read_exclusion_list(text.c_str(), back));
  EXPECT_EQ(std::u16string(back.at(u"k").desc), ansi_to_u16(u16_to_ansi(desc)));

  // A byte that UTF-8 takes for the start of a longer character ends a text before its end
  // tag: the file says UTF-8 but holds the ANSI page.
  back.clear();
  ASSERT_TRUE(read_exclusion_list(wrapped("<driver><md5hash>m</md5hash><desc>Caf\xE9</desc>"
                                          "<version>1\xE0</version></driver>")
                                      .c_str(),
                                  back));
  EXPECT_EQ(std::u16string(back.at(u"m").desc), ansi_to_u16("Caf\xE9"));
  EXPECT_EQ(std::u16string(back.at(u"m").version), ansi_to_u16("1\xE0"));
}

TEST(ExclusionList, ReadingTable) {
  const std::string deep = std::string(500, '<') + "x>";
  struct row {
    const char* what;
    std::string text;
    bool result;
    std::u16string expected;  // the entries' fields in key order, ";" after each
  } rows[] = {
      {"same md5hash twice: the later wins",
       wrapped("<driver><md5hash>a</md5hash><desc>first</desc></driver>"
               "<driver><md5hash>a</md5hash><desc>second</desc></driver>"),
       true, u"|a|second||;old|b|||;"},
      {"missing children stay empty, no md5hash gives the empty key",
       wrapped("<driver><desc>no key</desc></driver><driver><hardid>plain id</hardid><md5hash>c</md5hash></driver>"),
       true, u"||no key||;old|b|||;plain id|c|||;"},
      {"any root name; other elements skipped",
       "<List><other><driver><md5hash>inner</md5hash></driver></other><driver><md5hash>d</md5hash>"
       "<date>2016-01-011234</date></driver><x/><driver><md5hash>e</md5hash></driver></List>",
       true, u"old|b|||;|d|||2016-01-01;|e|||;"},
      {"overlong texts are cut to their fields",
       wrapped("<driver><md5hash>" + std::string(40, 'f') + "</md5hash><version>" + std::string(70, '9') +
               "</version></driver>"),
       true, u"old|b|||;|" + std::u16string(32, u'f') + u"||" + std::u16string(64, u'9') + u"|;"},
      {"root without driver", wrapped("<item><md5hash>x</md5hash></item>"), false, u"old|b|||;"},
      {"no root", "<?xml version=\"1.0\" ?>", false, u"old|b|||;"},
      {"empty", "", false, u"old|b|||;"},
      {"cut off inside an entry", wrapped("<driver><md5hash>x</md5hash></driver>").substr(0, 60), false,
       u"old|b|||;"},
      {"nested past any document", deep, false, u"old|b|||;"},
  };
  for (const row& r : rows) {
    exclusion_map list;
    add(list, entry(u"old", u"b", u"", u"", u""));  // reading adds to what is there
    EXPECT_EQ(read_exclusion_list(r.text.c_str(), list), r.result) << r.what;
    std::u16string got;
    for (const auto& item : list) {
      EXPECT_EQ(item.first, std::u16string(item.second.md5hash)) << r.what;
      got += fields(item.second) + u";";
    }
    EXPECT_EQ(u16_to_utf8(got), u16_to_utf8(r.expected)) << r.what;
  }
}

TEST(ExclusionList, EntryOfAnOfferedPackage) {
  driver_candidate c{};
  copy_cut(c.hardid, u"PCI\\VEN_1002&DEV_6779");
  copy_cut(c.md5sum, u"00112233445566778899aabbccddeeff");
  copy_cut(c.desc, u"Display driver");
  copy_cut(c.ver, u"8.970.100.1100");
  copy_cut(c.date, u"2012-09-27");
  EXPECT_EQ(fields(make_exclusion_entry(c)),
            u"PCI\\VEN_1002&DEV_6779|00112233445566778899aabbccddeeff|Display driver|8.970.100.1100|2012-09-27");
}

// Exclusion.dat is replaced whole or not at all.
TEST(ExclusionList, SavingReplacesTheFileWholeOrLeavesItAsItWas) {
  namespace fs = std::filesystem;
  temp_folder temp;
  const fs::path file = temp / "Exclusion.dat";
  const fs::path temporary = temp / "Exclusion.dat.tmp";
  copy_cut(app_settings.exclusion_list_path, file.u16string());
  write_file_bytes(file, "old");
  exclusion_map list;
  add(list, entry(u"PCI\\VEN_10EC", u"0a1b", u"Audio", u"6.0.1.7", u"2014-11-20"));
  ASSERT_TRUE(save_exclusion_list(list));
  EXPECT_EQ(read_file_bytes(file), write_exclusion_list(list));
  EXPECT_FALSE(fs::exists(temporary));
  exclusion_map back;
  ASSERT_TRUE(read_exclusion_list(read_file_bytes(file).c_str(), back));
  EXPECT_EQ(back.size(), 1u);

  // A folder where the temporary file goes: the list on disk stays.
  fs::create_directory(temporary);
  list.clear();
  EXPECT_FALSE(save_exclusion_list(list));
  EXPECT_EQ(read_file_bytes(file), write_exclusion_list(back));
  EXPECT_TRUE(fs::is_directory(temporary));
  app_settings.exclusion_list_path[0] = 0;
  EXPECT_FALSE(save_exclusion_list(list));
}

}  // namespace

TEST(ExclusionList, OnlyThirtyTwoHexDigitsKeyAnExclusion) {
  struct row {
    const char16_t* text;
    bool key;
  } rows[] = {
      {u"0123456789abcdef0123456789ABCDEF", true},
      {u"", false},
      {nullptr, false},
      {u"0123456789abcdef0123456789abcde", false},    // 31
      {u"0123456789abcdef0123456789abcdef0", false},  // 33
      {u"0123456789abcdef0123456789abcdeg", false},
      {u"0123456789abcdef 123456789abcdef", false},
  };
  for (const row& r : rows) EXPECT_EQ(is_exclusion_key(r.text), r.key) << (r.text ? u16_to_utf8(r.text) : "null");
}
