#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "engine/documents.h"
#include "tests/engine/documents_fixture.h"

namespace {

const char16_t* const first_id = u"PCI\\VEN_8086&DEV_1E31&SUBSYS_00000000&REV_04\\3&11583659&0&A0";

std::string item(const std::string& hardid, int n) {
  return "<item><hardid>" + hardid + "</hardid><id>" + std::to_string(n) + "</id></item>";
}

std::string hardware(const std::u16string& id, const std::string& items) {
  return "<hardware><id><![CDATA[" + u16_to_ansi(id) + "]]></id>" + items + "</hardware>";
}

std::string answer(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<drivercb>" + body + "</drivercb>";
}

struct config_record {
  int32_t desc = 0;
  uint32_t autorun = 2;
  char16_t link[uninstall_link_capacity] = {};
};
int saves = 0;
void count_save() { ++saves; }

driver_config_target target_of(config_record& r) { return {&r.desc, &r.autorun, r.link, count_save}; }

bool parse(const std::string& text, std::vector<device_info>& store, config_record& r) {
  // Handed over without a terminator, with bytes after it that must not be read.
  std::vector<char> unterminated(text.begin(), text.end());
  unterminated.insert(unterminated.end(), {'<', 'x', '>'});
  return parse_driver_answer(unterminated.data(), text.size(), store, target_of(r));
}

TEST(DriverAnswer, InvalidDocumentsAreRefused) {
  struct row {
    const char* what;
    std::string text;
  } rows[] = {
      {"not XML", "this is not a document"},
      {"empty", ""},
      {"no hardwares", answer("<config server_desc=\"1\" />")},
      {"no hardware", answer("<hardwares></hardwares>")},
      {"hardware without id", answer("<hardwares><hardware>" + item("X", 1) + "</hardware></hardwares>")},
      {"id without text", answer("<hardwares><hardware><id></id></hardware></hardwares>")},
  };
  for (const auto& r : rows) {
    auto store = fixture_store();
    config_record c;
    EXPECT_FALSE(parse(r.text, store, c)) << r.what;
  }
}

TEST(DriverAnswer, DevicesBeforeABadHardwareKeepTheirCandidates) {
  auto store = fixture_store();
  config_record c;
  EXPECT_FALSE(parse(answer("<hardwares>" + hardware(first_id, item("A", 1)) + "<hardware/></hardwares>"), store, c));
  EXPECT_EQ(store[0].candidate_count(), 1);
}

TEST(DriverAnswer, CandidatesGoToTheDeviceOfTheirId) {
  auto store = fixture_store();
  config_record c;
  const std::string text = answer(
      "<hardwares>" + hardware(u"NO\\SUCH\\DEVICE", item("Z", 9)) +
      hardware(u"pci\\ven_8086&dev_1e31&subsys_00000000&rev_04\\3&11583659&0&a0", item("case", 8)) +
      hardware(first_id, item("A", 1) + item("B", 2)) + hardware(store[1].instance_id, item("C", 3)) +
      hardware(first_id, item("D", 4)) + "</hardwares>");
  ASSERT_TRUE(parse(text, store, c));
  // The second hardware of the same id replaces the first one's candidates; the id that names
  // no device, and the one that differs only in case, are skipped.
  ASSERT_EQ(store[0].candidate_count(), 1);
  EXPECT_EQ(std::u16string(store[0].candidates[0].hardid), u"D");
  ASSERT_EQ(store[1].candidate_count(), 1);
  EXPECT_EQ(store[1].candidates[0].id, 3u);
  EXPECT_EQ(store[2].candidate_count(), 0);
}

TEST(DriverAnswer, AtMostTheFirstHundredItemsAndNoneClearsTheOldOnes) {
  auto store = fixture_store();
  config_record c;
  std::string items;
  for (int i = 1; i <= 150; ++i) items += item("H", i);
  ASSERT_TRUE(parse(answer("<hardwares>" + hardware(first_id, items) + "</hardwares>"), store, c));
  ASSERT_EQ(store[0].candidate_count(), 100);
  EXPECT_EQ(store[0].candidates[0].id, 1u);
  EXPECT_EQ(store[0].candidates[99].id, 100u);

  ASSERT_TRUE(parse(answer("<hardwares>" + hardware(first_id, "") + "</hardwares>"), store, c));
  EXPECT_EQ(store[0].candidate_count(), 0);
}

TEST(DriverAnswer, ItemFieldsAreReadAsTheServiceWritesThem) {
  auto store = fixture_store();
  config_record c;
  const std::string long_url(1500, 'u');
  const std::string full =
      "<item><hardid>PCI\\VEN_8086&amp;DEV_1E31</hardid><id>4711</id><ver>10.1.2.3</ver>"
      "<size>12ab</size><class>USB</class><remote_url><![CDATA[http://dl.example/p%20q.zip]]></remote_url>"
      "<infpath>a/b/c.inf</infpath><md5sum>0123456789abcdef0123456789abcdef</md5sum><cp>3</cp>"
      "<manu>Caf\xe9 Inc</manu><mark>share_x</mark><sign>2</sign><feature>1A</feature>"
      "<targetos>61</targetos><date>2019-03-14</date><desc><![CDATA[Fast <driver>]]></desc></item>"
      "<item><infpath>noslash.inf</infpath><remote_url>" + long_url + "</remote_url><size>-</size></item>"
      "<item><infpath>top\\sub\\x.inf</infpath><ver>" + std::string(100, '9') + "</ver></item>";
  // The document declares no encoding: its texts are read as the bytes they are.
  ASSERT_TRUE(parse("<drivercb><hardwares>" + hardware(first_id, full) + "</hardwares></drivercb>", store, c));
  ASSERT_EQ(store[0].candidate_count(), 3);
  const driver_candidate& a = store[0].candidates[0];
  EXPECT_EQ(std::u16string(a.hardid), u"PCI\\VEN_8086&DEV_1E31");
  EXPECT_EQ(a.id, 4711u);
  EXPECT_EQ(std::u16string(a.ver), u"10.1.2.3");
  EXPECT_EQ(a.size, 12u);
  EXPECT_EQ(std::u16string(a.class_name), u"USB");
  EXPECT_STREQ(a.remote_url, "http://dl.example/p%20q.zip");
  EXPECT_EQ(std::u16string(a.infpath), u"b\\c.inf");
  EXPECT_EQ(std::u16string(a.md5sum), u"0123456789abcdef0123456789abcdef");
  EXPECT_EQ(a.cp, 3u);
  EXPECT_EQ(std::u16string(a.manu), ansi_to_u16("Caf\xe9 Inc"));
  EXPECT_EQ(std::u16string(a.mark), u"share_x");
  EXPECT_EQ(a.sign, 2u);
  EXPECT_EQ(a.feature, 26u);
  EXPECT_EQ(a.targetos, 61u);
  EXPECT_EQ(std::u16string(a.date), u"2019-03-14");
  EXPECT_EQ(std::u16string(a.desc), u"Fast <driver>");

  const driver_candidate& b = store[0].candidates[1];
  EXPECT_EQ(std::u16string(b.infpath), u"");  // no folder part
  EXPECT_EQ(std::string(b.remote_url), long_url.substr(0, 1023));
  EXPECT_EQ(b.size, 0u);
  EXPECT_EQ(std::u16string(b.hardid), u"");  // missing children: empty and 0
  EXPECT_EQ(b.id, 0u);

  const driver_candidate& d = store[0].candidates[2];
  EXPECT_EQ(std::u16string(d.infpath), u"sub\\x.inf");
  EXPECT_EQ(std::u16string(d.ver), std::u16string(64, u'9'));
}

TEST(DriverAnswer, ConfigElementReachesTheSettings) {
  struct row {
    uint32_t autorun_before;
    const char* config;
    uint32_t autorun_after;
    int32_t desc_after;
    std::u16string link_after;
  } rows[] = {
      {2, "<config server_desc=\"1\" uninstall_link=\"http://u.example/?a=1&amp;b=2\" autorun=\"1\" />", 1, 1,
       u"http://u.example/?a=1&b=2"},
      {2, "<config autorun=\"0\" />", 0, 7, u"old"},
      {0, "<config autorun=\"1\" />", 0, 7, u"old"},
      {1, "<config autorun=\"0\" server_desc=\"x\" />", 1, 7, u"old"},
      {2, "<config server_desc=\"-3\" />", 2, -3, u"old"},
  };
  for (const auto& r : rows) {
    auto store = fixture_store();
    config_record c;
    c.autorun = r.autorun_before;
    c.desc = 7;
    copy_cut(c.link, u"old");
    saves = 0;
    EXPECT_TRUE(parse(answer(std::string(r.config) + "<hardwares>" + hardware(first_id, "") + "</hardwares>"), store, c));
    EXPECT_EQ(c.autorun, r.autorun_after) << r.config;
    EXPECT_EQ(c.desc, r.desc_after) << r.config;
    EXPECT_EQ(std::u16string(c.link), r.link_after) << r.config;
    EXPECT_EQ(saves, 1) << r.config;
  }
}

TEST(DriverAnswer, ConfigIsAppliedEvenWhenTheRestIsInvalid) {
  auto store = fixture_store();
  config_record c;
  saves = 0;
  EXPECT_FALSE(parse(answer("<config server_desc=\"2\" />"), store, c));
  EXPECT_EQ(c.desc, 2);
  EXPECT_EQ(saves, 1);
}

TEST(DriverAnswer, NestingBeyondAnyAnswerIsRefusedButMarkupThatOnlyLooksDeepIsNot) {
  // A small answer that only opens elements: the parser would recurse once per level.
  std::string deep;
  for (int i = 0; i < 300000; ++i) deep += "<a>";
  auto store = fixture_store();
  config_record c;
  EXPECT_FALSE(parse(answer("<hardwares>" + hardware(first_id, item("A", 1)) + "</hardwares>" + deep), store, c));

  // Start tags inside texts, comments, CDATA and attribute values, and thousands of empty
  // elements, nest nothing.
  std::string looks_deep = "<!-- " + deep + " --><config uninstall_link=\"" + deep + "/>\" />";
  std::string items;
  for (int i = 1; i <= 3000; ++i) items += "<item><desc><![CDATA[" + deep.substr(0, 300) + "]]></desc><mark/><ver/></item>";
  store = fixture_store();
  ASSERT_TRUE(parse(answer(looks_deep + "<hardwares>" + hardware(first_id, items) + "</hardwares>"), store, c));
  EXPECT_EQ(store[0].candidate_count(), 100);
}

TEST(DriverAnswer, CopyAnswerTextCutsAndZeroesWithoutText) {
  char16_t field[5];
  for (auto& ch : field) ch = u'x';
  EXPECT_FALSE(copy_answer_text(nullptr, field, 5));
  for (char16_t ch : field) EXPECT_EQ(ch, 0);
  EXPECT_TRUE(copy_answer_text("abcdefgh", field, 5));
  EXPECT_EQ(std::u16string(field), u"abcd");
}

}  // namespace
