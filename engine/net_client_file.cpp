// Downloads into a file: resume from the partial file's size, only a body that belongs at the
// resume offset is written, error pages never reach the file.
#include <curl/curl.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "engine/engine_errors.h"
#include "engine/helpers.h"  // url_escape
#include "engine/net_client.h"

namespace {

constexpr int download_tries = 10;
constexpr uint32_t download_pause_ms = 5000;
constexpr uint32_t pause_slice_ms = 100;

bool starts_with_ci(const std::string& s, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return s.size() >= n && equal_ci_ascii(std::string_view(s).substr(0, n), prefix);
}

// "Content-Range: bytes N-M/T" gives N; a new status line forgets an earlier one (redirects).
size_t header_seen(char* data, size_t size, size_t count, void* user) {
  auto* client = static_cast<net_client_c*>(user);
  const size_t n = size * count;
  std::string line(data, n);
  if (line.rfind("HTTP/", 0) == 0) {
    client->range_start = -1;
  } else if (starts_with_ci(line, "content-range:")) {
    const char* p = line.c_str() + 14;
    while (*p == ' ' || *p == '\t') ++p;
    if (equal_ci_ascii(std::string_view(p).substr(0, 6), "bytes ")) {
      p += 6;
      int64_t v = -1;
      if (*p >= '0' && *p <= '9') {
        v = 0;
        // Past any 32-bit offset the value can only mismatch; reading on would overflow.
        while (*p >= '0' && *p <= '9' && v <= 0xFFFFFFFFll) v = v * 10 + (*p++ - '0');
      }
      client->range_start = v;
    }
  }
  return n;
}

// Bytes in the partial file; 0 when there is none, or when it is too long to resume from
// (the file is then started again). Measured in 64 bits: a long is 32 bits on Windows.
uint32_t partial_size(const char16_t* path) {
  std::error_code ec;
  const uintmax_t n = std::filesystem::file_size(std::filesystem::path(path), ec);
  return ec || n > 0xFFFFFFFFu ? 0 : uint32_t(n);
}

// Decides, at the first bytes of a body, whether and where they go.
bool accept_body(net_client_c* client) {
  long status = 0;
  curl_easy_getinfo(client->curl, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) return false;  // an error page is no part of the package
  if (client->resume_offset == 0 || status == 0) return true;  // ftp and fresh starts
  if (status == 206) return client->range_start == int64_t(client->resume_offset);
  // The whole file came back instead of the range asked for: start the file again.
  FILE* f = open_file_u16(client->target_path.c_str(), "wb");
  if (!f) return false;
  std::fclose(client->target_file);
  client->target_file = f;
  client->resume_offset = 0;
  client->transfer->bytes_on_disk = 0;
  client->sample_bytes = 0;
  return true;
}

size_t file_write(char* data, size_t size, size_t count, void* user) {
  auto* client = static_cast<net_client_c*>(user);
  if (!data || count == 0 || !client || !client->transfer || !client->target_file) return 0;
  transfer_state& state = *client->transfer;
  if (!client->body_checked) {
    client->body_checked = true;
    client->body_refused = !accept_body(client);
  }
  if (client->body_refused) return 0;
  const size_t n = size * count;
  if (uint64_t(state.bytes_on_disk) + n > state.expected_size) {
    set_last_error(engine_error::download_too_big);
    state.too_big = true;
    return 0;
  }
  const size_t written = std::fwrite(data, size, count, client->target_file);
  // Flushed at once so that the partial file and the counter stay in step; a full disk often
  // shows only here, when the buffered bytes reach the file.
  if (written < count || std::fflush(client->target_file) != 0) {
    set_last_error(engine_error::download_write);
    return 0;
  }
  state.bytes_on_disk += uint32_t(n);
  return n;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* client = static_cast<net_client_c*>(user);
  if (!client || !client->transfer || client->transfer->cancel) return 1;
  const uint32_t now = tick_count_ms();
  const uint32_t elapsed = now - client->sample_tick;
  if (elapsed >= 1000) {
    const uint32_t bytes = client->transfer->bytes_on_disk;
    client->transfer->speed = double(bytes - client->sample_bytes) / (double(elapsed) / 1000.0);
    client->sample_bytes = bytes;
    client->sample_tick = now;
  }
  return 0;
}

// The pause between tries, cut short by a cancel.
void pause_unless_cancelled(const transfer_state& state) {
  for (uint32_t waited = 0; waited < download_pause_ms && !state.cancel; waited += pause_slice_ms) {
    net_sleep(pause_slice_ms);
  }
}

}  // namespace

int transfer_to_file(net_client_c* client, transfer_state& state, const std::string& url,
                     const char16_t* path) {
  if (!client || !client->curl || !path) return -1;
  const bool http = starts_with_ci(url, "http://");
  if (!http && !starts_with_ci(url, "ftp://")) {
    state.curl_result = CURLE_URL_MALFORMAT;
    return -1;
  }
  // The resume offset is what the partial file really holds, asked for again on every try.
  const uint32_t on_disk = http ? partial_size(path) : 0;
  // Appended to only when resuming; a file of unknown length is never appended to.
  client->target_file = open_file_u16(path, on_disk > 0 ? "ab" : "wb");
  if (!client->target_file) {
    set_last_error(engine_error::download_open);
    return -1;
  }
  client->target_path = path;
  client->transfer = &state;
  client->resume_offset = on_disk;
  client->range_start = -1;
  client->body_checked = false;
  client->body_refused = false;
  state.bytes_on_disk = on_disk;
  state.speed = 0;
  client->sample_bytes = on_disk;
  client->sample_tick = tick_count_ms();

  if (client->response) {
    client->response->status = 0;
    client->response->result = 0;
    client->response->content_type = nullptr;
  }
  char range[16];
  std::snprintf(range, sizeof range, "%u-", on_disk);
  curl_easy_setopt(client->curl, CURLOPT_RANGE, on_disk > 0 ? range : nullptr);
  curl_easy_setopt(client->curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(client->curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(client->curl, CURLOPT_WRITEFUNCTION, file_write);
  curl_easy_setopt(client->curl, CURLOPT_WRITEDATA, client);
  curl_easy_setopt(client->curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(client->curl, CURLOPT_XFERINFOFUNCTION, progress);
  curl_easy_setopt(client->curl, CURLOPT_XFERINFODATA, client);
  curl_easy_setopt(client->curl, CURLOPT_HEADERFUNCTION, header_seen);
  curl_easy_setopt(client->curl, CURLOPT_HEADERDATA, client);

  CURLcode rc = curl_easy_perform(client->curl);
  long status = 0;
  curl_easy_getinfo(client->curl, CURLINFO_RESPONSE_CODE, &status);
  std::fclose(client->target_file);
  client->target_file = nullptr;
  client->transfer = nullptr;

  int32_t result = int32_t(rc);
  if (rc == CURLE_ABORTED_BY_CALLBACK) result = 0;  // cancelled; the session knows by its flag
  else if (http && status >= 400) result = CURLE_HTTP_RETURNED_ERROR;  // a failed try
  state.http_status = int32_t(status);
  state.curl_result = result;
  return 0;
}

int download_to_file(const std::string& url, transfer_state& state, const char16_t* path) {
  net_client_c* client = create_net_client(0);
  if (!client) {
    set_last_error(engine_error::client_create);
    return -1;
  }
  char escaped[1025];
  const std::string address = url_escape(url.c_str(), escaped) ? std::string(escaped) : url;
  int rc = -1;
  for (int attempt = 0; attempt < download_tries; ++attempt) {
    state.too_big = false;
    rc = transfer_to_file(client, state, address, path);
    if (rc == 0 && (state.cancel || state.curl_result == 0)) break;
    // A missing or forbidden package stays so: a failed download at once, not in 50 s.
    if (rc == 0 && (state.http_status == 403 || state.http_status == 404)) break;
    if (rc != 0 && state.curl_result == CURLE_URL_MALFORMAT) break;  // no try can mend the address
    // The partial file is wrong as a whole when it outgrew the expected size, or when the
    // server has no bytes after it (416: it is as long as the package or longer): the next
    // try starts afresh instead of asking for the same range again.
    if (state.too_big || (rc == 0 && state.http_status == 416)) {
      remove_file_u16(path);
      state.bytes_on_disk = 0;
    }
    pause_unless_cancelled(state);
  }
  destroy_net_client(client);
  return rc;
}
