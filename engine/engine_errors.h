// The engine's process-wide failure code and the service's message text. A failing engine
// step leaves one code from the table below; nothing clears the code, the scan page reads it
// after the worker has ended.
#pragma once

#include <atomic>
#include <cstdint>

namespace engine_error {
constexpr int32_t network_timeout = 3;    // third try: status 504 or none
constexpr int32_t download_open = 4;      // the download file cannot be opened
constexpr int32_t download_write = 5;     // writing downloaded data failed
constexpr int32_t client_create = 7;      // no HTTP client
constexpr int32_t windows_version = 10;   // the Windows version cannot be read
constexpr int32_t class_list = 16;        // the device class list failed
constexpr int32_t device_list = 17;       // the device list failed
constexpr int32_t device_walk = 19;       // the device walk ended with an error
constexpr int32_t network_error = 20;     // third try: another status or a transfer error
constexpr int32_t invalid_data = 21;      // the answer cannot be read
constexpr int32_t compress = 24;          // compressing the request failed
constexpr int32_t decompress = 25;        // uncompressing the answer failed
constexpr int32_t download_too_big = 26;  // more bytes than expected
constexpr int32_t nothing = 27;           // empty bodies on all three tries
constexpr int32_t server_said = 28;       // status 499 with the service's message
}  // namespace engine_error

constexpr int server_message_capacity = 1025;

// Written by workers, read by the user-interface thread after they end.
extern std::atomic<int32_t> last_error_code;
// The body of the last status-499 answer (wide, terminated); cleared by each POST series.
extern char16_t server_message[server_message_capacity];

// The code of the calling thread's own last failure: a page that runs one worker reads its
// worker's outcome here, whatever other threads (downloads) leave in last_error_code meanwhile.
extern thread_local int32_t this_thread_error_code;

inline void set_last_error(int32_t code) {
  last_error_code = code;
  this_thread_error_code = code;
}
void clear_server_message();
