// The second phase of a scan: the request for the scanned devices goes to service hosts 1, 2
// and 3 in turn, and the answer becomes ranked candidates per device.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/device_info.h"
#include "engine/documents.h"
#include "engine/envelope.h"
#include "engine/history.h"
#include "engine/net_client.h"

// The matching worker's argument, filled by the scan page before each start.
struct check_status {
  int32_t os_version;    // major * 10 + minor: the ranking's operating-system number
  int32_t http_status;   // of the last POST try
  char error_text[256];  // the network error text of the last failure
};

// What the exchange works on besides its status record.
struct matching_inputs {
  std::vector<device_info>* devices;
  request_client_facts client;
  driver_config_target config;
  match_context* context;
  const char16_t* program_folder;  // where history.dat is
};

// The largest answer text the exchange inflates: far above a real answer (300 devices with
// 100 candidates each come to about 21 MB), and a bound for a damaged or hostile stream.
constexpr size_t answer_max_plain = size_t(64) << 20;

// The record of the exchange that runs (null otherwise).
extern check_status* current_check_status;

// The whole exchange; false with last_error_code set.
bool check_drivers_online(check_status& status, const matching_inputs& inputs);
// POSTs the envelope as the form field "drivercb" to hosts 1 to 3 in turn: the response of
// the try that succeeded, or null with last_error_code set.
http_response* post_driver_request(net_client_c* client, const byte_buffer& envelope, check_status& status);
