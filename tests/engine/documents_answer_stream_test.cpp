#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "engine/documents.h"
#include "tests/engine/answer_readers.h"

namespace {

using namespace std::string_literals;

const std::string first_id = u16_to_ansi(u"PCI\\VEN_8086&DEV_1E31&SUBSYS_00000000&REV_04\\3&11583659&0&A0");
const std::string second_id = u16_to_ansi(u"USB\\VID_1234&PID_5678\\Caf\u00e9");

std::string item(const std::string& hardid, int n) {
  return "<item><hardid><![CDATA[" + hardid + "]]></hardid><id>" + std::to_string(n) + "</id><desc>d " + hardid +
         "</desc></item>";
}
std::string hardware(const std::string& id, const std::string& items) {
  return "<hardware><id><![CDATA[" + id + "]]></id>" + items + "</hardware>";
}
const std::string first = hardware(first_id, item("A", 1) + item("B", 2));
const std::string second = hardware(second_id, item("C", 3));
const std::string hardwares = "<hardwares>" + first + second + "</hardwares>";
const std::string config = "<config server_desc=\"3\" uninstall_link=\"http://u.example/\" autorun=\"1\" />";
const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

struct answer_case {
  const char* what;
  std::string text;
};

// Answers well formed and not, each read by both readers.
std::vector<answer_case> answer_cases() {
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<a>";
  std::string items;
  for (int i = 1; i <= 120; ++i) items += item("H" + std::to_string(i), i);
  return {
      {"whole", declaration + "<drivercb>" + config + hardwares + "</drivercb>"},
      {"no declaration", "<drivercb>" + hardwares + "</drivercb>"},
      {"config after the hardwares", "<drivercb>" + hardwares + config + "</drivercb>"},
      {"two configs", "<drivercb>" + config + hardwares + "<config server_desc=\"9\" /></drivercb>"},
      {"root unclosed", "<drivercb>" + config + hardwares},
      {"hardwares unclosed", "<drivercb>" + config + "<hardwares>" + first + second},
      {"hardware unclosed at the end", "<drivercb>" + config + "<hardwares>" + first + "<hardware><id>x</id>"},
      {"element unclosed after the hardwares", "<drivercb>" + config + hardwares + "<extra></drivercb>"},
      {"mismatched end tag", "<drivercb>" + config + hardwares + "</drivercbx>"},
      {"end tag with spaces", "<drivercb>" + hardwares + "</drivercb   >"},
      {"end tag with junk", "<drivercb>" + hardwares + "</drivercb x>"},
      {"text after the root", "<drivercb>" + config + hardwares + "</drivercb> trailing <a><b>"},
      {"markup after the root", "<drivercb>" + hardwares + "</drivercb><!-- c --><?pi x?><![CDATA[x]]>"},
      {"a second root", "<drivercb>" + hardwares + "</drivercb><other a='1'/>"},
      {"a second root unclosed", "<drivercb>" + config + hardwares + "</drivercb><other>"},
      {"a second whole answer", "<drivercb>" + hardwares + "</drivercb><drivercb>" + config + hardwares + "</drivercb>"},
      {"unclosed comment after the root", "<drivercb>" + config + hardwares + "</drivercb><!-- open"},
      {"unclosed CDATA after the root", "<drivercb>" + config + hardwares + "</drivercb><![CDATA[ open"},
      {"unclosed declaration after the root", "<drivercb>" + config + hardwares + "</drivercb><?xml version='1.0'"},
      {"comments everywhere",
       "<!-- a --><drivercb><!-- b -->" + config + "<hardwares><!-- c -->" + first +
           "<!-- </hardwares> -->" + second + "</hardwares><!-- d --></drivercb>"},
      {"unclosed comment inside", "<drivercb>" + config + "<hardwares>" + first + "<!-- open"},
      {"CDATA holding markup",
       "<drivercb><hardwares>" +
           hardware(first_id, "<item><desc><![CDATA[x</hardware></hardwares></drivercb>]]></desc></item>") +
           "<![CDATA[<hardware><id>" + second_id + "</id></hardware>]]>" + second + "</hardwares></drivercb>"},
      {"unclosed CDATA inside", "<drivercb>" + config + "<hardwares>" + first + "<![CDATA[ open"},
      {"doctype", "<!DOCTYPE drivercb><drivercb>" + config + hardwares + "</drivercb>"},
      {"doctype with a subset", "<!DOCTYPE drivercb [ <!ENTITY x 'y'> ]><drivercb>" + config + hardwares + "</drivercb>"},
      {"unknown markup inside", "<drivercb><!x>" + config + "<hardwares><?pi ?>" + first + "< b>" + second + "</hardwares></drivercb>"},
      {"declaration inside", "<drivercb>" + config + "<hardwares><?xml version='1.0'?>" + first + "</hardwares></drivercb>"},
      {"declaration inside unclosed", "<drivercb>" + config + "<hardwares>" + first + "<?xml version='1.0'"},
      {"latin-1 declaration", "<?xml version='1.0' encoding='ISO-8859-1'?><drivercb>" + hardwares + "</drivercb>"},
      {"utf8 without the hyphen", "<?xml version='1.0' encoding='utf8'?><drivercb>" + hardwares + "</drivercb>"},
      {"declaration without encoding", "<?xml version='1.0'?><drivercb>" + hardwares + "</drivercb>"},
      {"two declarations", "<?xml encoding='ISO-8859-1'?><?xml encoding='UTF-8'?><drivercb>" + hardwares + "</drivercb>"},
      {"byte order mark", "\xEF\xBB\xBF" + declaration + "<drivercb>" + hardwares + "</drivercb>"},
      {"byte order mark without declaration", "\xEF\xBB\xBF<drivercb>" + hardwares + "</drivercb>"},
      {"byte order mark in a name", "\xEF\xBB\xBF<drivercb><\xEF\xBB\xBFhardwares>" + first + "</hardwares></drivercb>"},
      {"ANSI bytes before markup in UTF-8",
       declaration + "<drivercb><hardwares>" +
           hardware(second_id, "<item><manu>Caf\xe9</manu><hardid>Z</hardid></item>") + first + "</hardwares></drivercb>"},
      {"ANSI bytes before markup without declaration",
       "<drivercb><hardwares>" + hardware(second_id, "<item><manu>Caf\xe9</manu></item>") + "</hardwares></drivercb>"},
      {"lead byte swallowing an end tag", declaration + "<drivercb><hardwares>" + first + "\xe0</hardwares></drivercb>"},
      {"lead byte at the very end", declaration + "<drivercb>" + hardwares + "\xe6"},
      {"embedded terminator", "<drivercb>" + config + hardwares + "</drivercb>\0<broken"s},
      {"terminator inside", "<drivercb>" + config + "<hardwares>" + first + "\0"s + second + "</hardwares></drivercb>"},
      {"root attributes", "<drivercb a=\"1\" b='2' c=3>" + hardwares + "</drivercb>"},
      {"root attribute twice", "<drivercb a=\"1\" a=\"2\">" + config + hardwares + "</drivercb>"},
      {"hardwares attribute twice", "<drivercb>" + config + "<hardwares a='1' a='1'>" + first + "</hardwares></drivercb>"},
      {"attribute without a value", "<drivercb a>" + config + hardwares + "</drivercb>"},
      {"attribute with a stray quote", "<drivercb a=b\">" + config + hardwares + "</drivercb>"},
      {"attributes back to back", "<drivercb a='1'b='2'>" + hardwares + "</drivercb>"},
      {"empty root", "<drivercb/>"},
      {"empty root with config after", "<drivercb/>" + config},
      {"broken empty tag", "<drivercb/ >" + hardwares},
      {"empty hardwares", "<drivercb>" + config + "<hardwares/></drivercb>"},
      {"hardwares without hardware", "<drivercb>" + config + "<hardwares><item/></hardwares></drivercb>"},
      {"two hardwares elements", "<drivercb>" + config + "<hardwares>" + first + "</hardwares><hardwares>" + second + "</hardwares></drivercb>"},
      {"first hardwares empty", "<drivercb>" + config + "<hardwares></hardwares><hardwares>" + second + "</hardwares></drivercb>"},
      {"hardwares deeper down", "<drivercb><x><hardwares>" + first + "</hardwares></x></drivercb>"},
      {"hardwares as root", "<hardwares>" + first + "</hardwares>"},
      {"hardware without id in the middle", "<drivercb>" + config + "<hardwares>" + first + "<hardware/>" + second + "</hardwares></drivercb>"},
      {"hardware without id, then a broken document", "<drivercb>" + config + "<hardwares>" + first + "<hardware/>" + second + "</hardwares>"},
      {"hardware with an empty id", "<drivercb><hardwares>" + first + "<hardware><id></id></hardware></hardwares></drivercb>"},
      {"id after the items", "<drivercb><hardwares><hardware>" + item("L", 5) + "<id>" + second_id + "</id></hardware></hardwares></drivercb>"},
      {"id as an element", "<drivercb><hardwares><hardware><id><b/>x</id>" + item("E", 1) + "</hardware></hardwares></drivercb>"},
      {"the same device twice", "<drivercb><hardwares>" + first + second + hardware(first_id, item("D", 4)) + "</hardwares></drivercb>"},
      {"no items for a device that had some", "<drivercb><hardwares>" + hardware(first_id, "") + "</hardwares></drivercb>"},
      {"more than a hundred items", "<drivercb><hardwares>" + hardware(second_id, items) + first + "</hardwares></drivercb>"},
      {"an unknown device", "<drivercb><hardwares>" + hardware("NO\\SUCH", item("Z", 9)) + second + "</hardwares></drivercb>"},
      {"other elements between hardware", "<drivercb><hardwares><x/>" + first + "<hardwarex><id>" + second_id + "</id></hardwarex></hardwares></drivercb>"},
      {"texts between elements", "<drivercb> a &amp; b " + config + "<hardwares> c\n d " + first + " e </hardwares> f </drivercb>"},
      {"bad entity in a text", "<drivercb>" + config + "<hardwares>&#xZZ;" + first + "</hardwares></drivercb>"},
      {"spaces inside tags", "< drivercb>" + hardwares + "</drivercb>"},
      {"name with odd characters", "<_d-b.c:d>" + config + hardwares + "</_d-b.c:d>"},
      {"nesting beyond any answer", "<drivercb>" + config + hardwares + deep + "</drivercb>"},
      {"empty", ""},
      {"only blanks", " \n\t "},
      {"only text", "not a document"},
      {"only a comment", "<!-- nothing -->"},
      {"a lone angle", "<"},
      {"only a declaration", declaration},
  };
}

TEST(DriverAnswerStream, ReadsEveryAnswerAsTheWholeTreeDoes) {
  for (const answer_case& c : answer_cases()) {
    // Handed over without a terminator, with bytes after it that must not be read.
    std::vector<char> unterminated(c.text.begin(), c.text.end());
    unterminated.insert(unterminated.end(), {'<', 'x', '>'});
    EXPECT_EQ(answer_readers_differ(unterminated.data(), c.text.size()), "") << c.what;
  }
}

TEST(DriverAnswerStream, ADocumentThatDoesNotParseChangesNothing) {
  struct row {
    const char* what;
    std::string text;
    bool read;
    size_t first_device_candidates;  // the fixture's one old candidate, or what the answer gave
    int saves;
  } rows[] = {
      {"whole", "<drivercb>" + config + hardwares + "</drivercb>", true, 2, 1},
      {"broken after the devices", "<drivercb>" + config + hardwares + "<extra></drivercb>", false, 1, 0},
      {"root unclosed", "<drivercb>" + hardwares + config, false, 1, 0},
      {"config after a hardware without id", "<drivercb><hardwares>" + first + "<hardware/></hardwares>" + config + "</drivercb>", false, 2, 1},
      {"CDATA holding the end tag", "<drivercb><hardwares>" + hardware(first_id, "<item><desc><![CDATA[</hardware>]]></desc></item>") + "</hardwares></drivercb>", true, 1, 0},
  };
  for (const row& r : rows) {
    const answer_outcome o = read_answer_with(parse_driver_answer, r.text.data(), r.text.size());
    EXPECT_EQ(o.read, r.read) << r.what;
    EXPECT_EQ(o.store[0].candidates.size(), r.first_device_candidates) << r.what;
    EXPECT_EQ(o.saves, r.saves) << r.what;
    if (!r.read && r.saves == 0) {
      EXPECT_EQ(std::u16string(o.store[0].candidates[0].hardid), u"OLD") << r.what;
      EXPECT_EQ(o.store[0].best, &o.store[0].candidates[0]) << r.what;
      EXPECT_EQ(o.store[1].candidate_count(), 0) << r.what;
      EXPECT_EQ(o.desc, 7) << r.what;
    }
  }
}

}  // namespace
