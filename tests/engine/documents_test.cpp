#include "engine/documents.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

#include "base/text.h"
#include "tests/engine/documents_fixture.h"
#include "tests/support/test_support.h"

namespace {

request_client_facts fixture_client() {
  return {"WIN764", u"Intel(R) Core(TM) i5 \u00b5", u"4C4C4544-0031-3510-8052-B4C04F4E4431"};
}

TEST(DriverRequest, MatchesTheGoldenDocument) {
  const std::string doc = build_driver_request(fixture_store(), fixture_client());
  const std::string golden = read_file_bytes(source_path("tests/engine/fixtures/driver_request.xml"));
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(doc, golden);
}

TEST(DriverRequest, IdentifiersInTheAnsiPageAndMachineTextsInUtf8) {
  const std::string doc = build_driver_request(fixture_store(), fixture_client());
  // U+00E9 of the instance ID in the ANSI page; U+00B5 of the processor name in UTF-8.
  EXPECT_NE(doc.find(u16_to_ansi(u"Caf\u00e9")), std::string::npos);
  EXPECT_NE(doc.find("i5 \xc2\xb5"), std::string::npos);
  EXPECT_EQ(doc.find('\r'), std::string::npos);
  EXPECT_NE(doc.back(), '\0');
}

TEST(DriverRequest, EmptyStoreStillHasItsHardwaresElement) {
  const std::string doc = build_driver_request({}, fixture_client());
  EXPECT_NE(doc.find("<hardwares />"), std::string::npos);
  EXPECT_EQ(doc.find("<hardware>"), std::string::npos);
}

TEST(DriverRequest, IdentifierHoldingTheCdataEndMarkerReadsBackWhole) {
  const std::u16string id = u"USB\\VID_1234&PID_5678\\A]]><hardware>B";
  const std::string doc = build_driver_request({fixture_device(id, u"", u"", u"")}, fixture_client());
  TiXmlDocument parsed;
  parsed.Parse(doc.c_str());
  ASSERT_FALSE(parsed.Error()) << doc;
  const TiXmlElement* hardware =
      parsed.RootElement()->FirstChildElement("hardwares")->FirstChildElement("hardware");
  ASSERT_NE(hardware, nullptr);
  EXPECT_STREQ(hardware->FirstChildElement("id")->GetText(), u16_to_ansi(id).c_str());
  EXPECT_EQ(hardware->NextSiblingElement("hardware"), nullptr);
}

}  // namespace
