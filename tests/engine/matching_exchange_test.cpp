#include "engine/matching_exchange.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/endpoints.h"
#include "engine/engine_errors.h"
#include "tests/engine/exchange_runs.h"
#include "tests/support/service_launcher.h"
#include "tests/support/test_support.h"

namespace {

TEST(MatchingExchange, HostsInTurnAndTheFailureCodes) {
  for (const exchange_run& run : exchange_runs()) {
    std::unique_ptr<stand_in_service> services[3];
    ASSERT_TRUE(start_exchange_hosts(run, services)) << run.what;
    std::vector<device_info> devices = one_exchange_device();
    match_context context;
    temp_folder program;
    int32_t server_desc_value = 0;
    uint32_t autorun = 0;
    char16_t link[uninstall_link_capacity] = {};
    std::u16string folder = program.path().u16string();
    matching_inputs inputs{&devices, {"WIN7", u"cpu", u"sn"}, {&server_desc_value, &autorun, link, nullptr},
                           &context, folder.c_str()};
    check_status status{61, 0, {}};
    last_error_code = 0;
    copy_cut(server_message, server_message_capacity, u"left from before");
    bool ok = check_drivers_online(status, inputs);
    EXPECT_EQ(ok, run.code == 0) << run.what;
    EXPECT_EQ(last_error_code, run.code) << run.what;
    EXPECT_EQ(status.http_status, run.http_status) << run.what;
    EXPECT_EQ(std::u16string(server_message), run.message) << run.what;
    EXPECT_EQ(status.error_text[0] != 0, run.error_text) << run.what << ": " << status.error_text;
    for (int i = 0; i < 3; ++i) {
      if (services[i]) {
        EXPECT_EQ(requests_seen(*services[i]), run.contacted[i]) << run.what << " host " << i + 1;
      }
    }
    if (run.code == 0) {
      ASSERT_EQ(devices[0].candidates.size(), 1u);
      EXPECT_EQ(devices[0].best, &devices[0].candidates[0]);
      EXPECT_EQ(devices[0].best_needs_update, 1);  // no installed driver
    }
    EXPECT_EQ(current_check_status, nullptr);
  }
  set_service_hosts("");
}

}  // namespace
