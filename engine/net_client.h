// The engine's one way to the network: one libcurl easy transfer with the program's fixed
// options, a receive buffer of a size chosen per use, an optional one-field multipart form,
// and transfers into memory or into a file with resume, progress, speed and cancel.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

typedef void CURL;
struct curl_slist;
struct curl_mime;

// Receive capacities by use.
constexpr int32_t exchange_capacity = 8388608;
constexpr int32_t version_file_capacity = 2097152;
constexpr int32_t report_capacity = 1024;

constexpr char net_user_agent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/4.0)";

struct transfer_buffer {
  std::vector<char> data;  // capacity bytes; at least one zero byte stays after the body
  int32_t capacity = 0;
  int32_t used = 0;
};

struct http_response {
  int32_t status = 0;  // 504 when the transfer got no status
  const char* content_type = nullptr;  // owned by libcurl, valid until the next transfer
  int32_t result = 0;  // libcurl's code; 22 for a status of 400 or more
  transfer_buffer* body = nullptr;
  char error_text[256] = {};
};

// One download as the worker and the row share it. The row reads the counters and sets
// cancel on its timer; the worker writes the rest.
struct transfer_state {
  uint32_t expected_size = 0;
  std::atomic<uint32_t> bytes_on_disk{0};
  std::atomic<int32_t> http_status{0};
  std::atomic<int32_t> curl_result{0};
  std::atomic<bool> cancel{false};
  std::atomic<double> speed{0};
  // This transfer delivered more than expected (kept here, not process-wide).
  bool too_big = false;
};

class net_client_c {
 public:
  int create(int32_t capacity);

  void perform();

  CURL* curl = nullptr;
  curl_mime* form = nullptr;  // the pending form, freed by the next transfer
  http_response* response = nullptr;
  curl_slist* headers = nullptr;
  FILE* target_file = nullptr;
  transfer_state* transfer = nullptr;
  uint32_t sample_tick = 0;
  uint32_t sample_bytes = 0;

  // Per file transfer: where the body must start and what the answer said about it.
  uint32_t resume_offset = 0;
  int64_t range_start = -1;  // start of the answer's Content-Range, -1 when none
  bool body_checked = false;
  bool body_refused = false;
  std::u16string target_path;
};

net_client_c* create_net_client(int32_t capacity);
void destroy_net_client(net_client_c* client);

// Adds one multipart field with a copy of the bytes (no file name, no content type).
bool add_form_field(net_client_c* client, const char* name, const uint8_t* data, size_t length);

// method 1 POST (the pending form when there is one), 0 GET.
http_response* transfer_to_memory(net_client_c* client, const std::string& url, int method);
// Up to four GETs with pauses of 5, 10, 15 and 20 s; the body text, or null.
const char* http_get_with_retry(net_client_c* client, const std::string& url);
// The body and its terminator in out; the number of bytes stored, or -1.
int fetch_text(const std::string& url, std::vector<char>& out);
// 0 when a transfer ran (its outcome in the state), -1 when it cannot start.
int transfer_to_file(net_client_c* client, transfer_state& state, const std::string& url,
                     const char16_t* path);
// Up to ten tries with resume; the last transfer_to_file result, or -1.
int download_to_file(const std::string& url, transfer_state& state, const char16_t* path);

// Every wait of the network code goes through here, so that tests need not wait.
extern void (*net_sleep)(uint32_t milliseconds);
uint32_t tick_count_ms();

// The download file, opened by its wide path (platform files).
FILE* open_file_u16(const char16_t* path, const char* mode);
bool remove_file_u16(const char16_t* path);
