#include "engine/documents.h"

#include <gtest/gtest.h>

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

}  // namespace
