#include "engine/engine_errors.h"

#include <cstring>

std::atomic<int32_t> last_error_code{0};
thread_local int32_t this_thread_error_code = 0;
char16_t server_message[server_message_capacity];

void clear_server_message() { std::memset(server_message, 0, sizeof server_message); }
