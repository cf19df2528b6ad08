// Downloads on the host alone: a disk that is full, as /dev/full plays it.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include "engine/engine_errors.h"
#include "engine/net_client.h"
#include "tests/support/service_launcher.h"

namespace {

TEST(NetClientHost, FullDiskIsAFailedTryNotAFinishedDownload) {
  stand_in_service service;
  service.add_package("p.zip", std::string(100, 'p'));  // small enough to sit in the file's buffer
  net_client_c* client = create_net_client(0);
  ASSERT_NE(client, nullptr);
  transfer_state state;
  state.expected_size = 100;
  set_last_error(0);
  EXPECT_EQ(transfer_to_file(client, state, service.url("/packages/p.zip"), u"/dev/full"), 0);
  destroy_net_client(client);
  EXPECT_EQ(state.curl_result, CURLE_WRITE_ERROR);
  EXPECT_EQ(last_error_code, engine_error::download_write);
  EXPECT_EQ(state.bytes_on_disk, 0u);
}

}  // namespace
