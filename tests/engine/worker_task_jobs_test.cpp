#include <gtest/gtest.h>

#include <memory>

#include "engine/device_store.h"
#include "engine/engine_errors.h"
#include "engine/history.h"
#include "engine/matching_exchange.h"
#include "engine/worker_task.h"
#include "engine/thread.h"
#include "tests/engine/exchange_runs.h"
#include "tests/support/service_launcher.h"

namespace {

match_context* no_context() { return nullptr; }

TEST(DeviceStoreStart, FailsWhenEitherObjectCannotBeMade) {
  destroy_device_store();
  match_context_maker = no_context;
  EXPECT_EQ(create_device_store(), -1);
  EXPECT_NE(the_device_store(), nullptr);  // what could be made stays, and is freed at shutdown
  EXPECT_EQ(the_match_context(), nullptr);
  match_context_maker = [] { return new match_context; };
  EXPECT_EQ(create_device_store(), 0);  // a later call makes the rest
  EXPECT_NE(the_device_store(), nullptr);
  EXPECT_NE(the_match_context(), nullptr);
  EXPECT_EQ(destroy_device_store(), 0);
  EXPECT_EQ(the_device_store(), nullptr);
  EXPECT_EQ(the_match_context(), nullptr);
}

int32_t run_online_check(check_status& status) {
  worker_task_c task = worker_task_c::init_online_check(&status);
  EXPECT_TRUE(task.start());
  wait_for_thread(task.thread());
  int32_t result = task.result();
  task.release();
  return result;
}

TEST(OnlineCheckWorker, ExchangesForTheStoresDevices) {
  check_status status{61, 0, {}};
  destroy_device_store();
  EXPECT_EQ(run_online_check(status), -1);  // no store yet
  EXPECT_EQ(last_error_code, engine_error::client_create);

  ASSERT_EQ(create_device_store(), 0);
  const exchange_run runs[] = {exchange_runs()[0], exchange_runs()[4]};  // success; three closed ports
  for (const exchange_run& run : runs) {
    std::unique_ptr<stand_in_service> services[3];
    ASSERT_TRUE(start_exchange_hosts(run, services)) << run.what;
    the_device_store()->devices = one_exchange_device();
    last_error_code = 0;
    EXPECT_EQ(run_online_check(status), run.code ? -1 : 0) << run.what;
    EXPECT_EQ(last_error_code, run.code) << run.what;
    EXPECT_EQ(the_device_store()->devices[0].candidates.size(), run.code ? 0u : 1u) << run.what;
  }
  set_service_hosts("");
  destroy_device_store();
}

}  // namespace
