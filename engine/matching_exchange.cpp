#include "engine/matching_exchange.h"

#include <curl/curl.h>

#include <cstring>
#include <string_view>

#include "base/text.h"
#include "engine/endpoints.h"
#include "engine/engine_errors.h"
#include "engine/ranking.h"

check_status* current_check_status = nullptr;

namespace {

constexpr int status_server_message = 499;
constexpr int status_no_answer = 504;
constexpr size_t server_message_chars = 1024;

void set_error_text(check_status& status, std::string_view text) { copy_cut(status.error_text, text); }

// Keeps the status pointer for the ranking while the exchange runs.
struct running_check {
  explicit running_check(check_status& s) { current_check_status = &s; }
  ~running_check() { current_check_status = nullptr; }
};

// Frees the client on every way out.
struct client_holder {
  net_client_c* client;
  ~client_holder() { destroy_net_client(client); }
};

}  // namespace

http_response* post_driver_request(net_client_c* client, const byte_buffer& envelope, check_status& status) {
  clear_server_message();
  for (int host = 1; host <= service_host_count; ++host) {
    const bool last = host == service_host_count;
    http_response* r = nullptr;
    if (add_form_field(client, "drivercb", envelope.data(), envelope.size()))
      r = transfer_to_memory(client, service_url(host), 1);
    if (!r) {
      // No form or no transfer: as a failed try without a status.
      if (!last) continue;
      status.http_status = status_no_answer;
      set_last_error(engine_error::network_timeout);
      return nullptr;
    }
    status.http_status = r->status;
    const int32_t body_bytes = r->body ? r->body->used : 0;
    if (r->status == status_server_message) {
      set_last_error(engine_error::server_said);
      if (body_bytes > 0) {
        std::u16string text = ansi_to_u16(std::string_view(r->body->data.data(), size_t(body_bytes)));
        copy_cut(server_message, server_message_chars + 1, text);
      }
      return nullptr;
    }
    if (r->result == 0 && r->status < 400) {
      if (body_bytes > 0) return r;
      if (last) {
        set_last_error(engine_error::nothing);
        return nullptr;
      }
      continue;
    }
    if (!last) continue;
    if (r->status == status_no_answer) {
      set_last_error(engine_error::network_timeout);
      return nullptr;
    }
    set_last_error(engine_error::network_error);
    if (r->result == CURLE_WRITE_ERROR)
      set_error_text(status, r->error_text);
    else if (r->status < 400)
      set_error_text(status, curl_easy_strerror(CURLcode(r->result)));
    return nullptr;
  }
  return nullptr;
}

bool check_drivers_online(check_status& status, const matching_inputs& inputs) {
  running_check running(status);
  std::vector<device_info>& devices = *inputs.devices;
  std::string request = build_driver_request(devices, inputs.client);
  byte_buffer envelope;
  if (compress_buffer(reinterpret_cast<const uint8_t*>(request.data()), request.size(), envelope) != 0) {
    set_last_error(engine_error::compress);
    return false;
  }
  encrypt_buffer(envelope);
  client_holder holder{create_net_client(exchange_capacity)};
  if (!holder.client) {
    set_last_error(engine_error::client_create);
    return false;
  }
  http_response* r = post_driver_request(holder.client, envelope, status);
  if (!r) return false;
  const transfer_buffer& body = *r->body;
  byte_buffer sealed;
  decrypt_buffer(size_t(body.used), sealed, reinterpret_cast<const uint8_t*>(body.data.data()), body.data.size());
  byte_buffer answer;
  if (uncompress_buffer(answer, sealed.data(), sealed.size(), answer_max_plain) != 0) {
    set_last_error(engine_error::decompress);
    return false;
  }
  if (!parse_driver_answer(reinterpret_cast<const char*>(answer.data()), answer.size(), devices, inputs.config)) {
    set_last_error(engine_error::invalid_data);
    return false;
  }
  load_history(*inputs.context, inputs.program_folder);
  for (device_info& d : devices) rank_device_candidates(d, *inputs.context, status.os_version);
  return true;
}
