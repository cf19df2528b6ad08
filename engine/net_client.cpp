#include "engine/net_client.h"

#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "engine/proxy.h"

namespace {

void default_sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

size_t memory_write(char* data, size_t size, size_t count, void* user) {
  const size_t n = size * count;
  auto* client = static_cast<net_client_c*>(user);
  if (!data || count == 0) return n;
  transfer_buffer* body = client && client->response ? client->response->body : nullptr;
  if (!body) return 0;
  // One zero byte always stays after the body; a body that would fill the buffer ends the
  // transfer with the library's write error.
  if (size_t(body->used) + n >= size_t(body->capacity)) return 0;
  std::memcpy(body->data.data() + body->used, data, n);
  body->used += int32_t(n);
  return n;
}

void reset_response(http_response* r) {
  if (!r) return;
  r->status = 0;
  r->content_type = nullptr;
  r->result = 0;
  if (r->body) {
    r->body->used = 0;
    std::fill(r->body->data.begin(), r->body->data.end(), 0);
  }
}

}  // namespace

void (*net_sleep)(uint32_t milliseconds) = default_sleep;

uint32_t tick_count_ms() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int net_client_c::create(int32_t capacity) {
  response = new (std::nothrow) http_response;
  if (!response) return -1;
  if (capacity > 0) {
    response->body = new (std::nothrow) transfer_buffer;
    if (!response->body) return -1;
    try {
      response->body->data.assign(size_t(capacity), 0);
    } catch (...) {
      return -1;
    }
    response->body->capacity = capacity;
  }
  curl = curl_easy_init();
  if (!curl) return -1;
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, response->error_text);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,ftp");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, net_user_agent);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
  return 0;
}

net_client_c* create_net_client(int32_t capacity) {
  auto* client = new (std::nothrow) net_client_c;
  if (!client) return nullptr;
  if (client->create(capacity) != 0) {
    destroy_net_client(client);
    return nullptr;
  }
  client->headers = curl_slist_append(nullptr, "Connection: close");
  curl_easy_setopt(client->curl, CURLOPT_HTTPHEADER, client->headers);
  curl_easy_setopt(client->curl, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(client->curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(client->curl, CURLOPT_LOW_SPEED_TIME, 30L);
  apply_proxy(client->curl);
  return client;
}

void destroy_net_client(net_client_c* client) {
  if (!client) return;
  if (client->curl) curl_easy_cleanup(client->curl);
  if (client->form) curl_mime_free(client->form);
  if (client->headers) curl_slist_free_all(client->headers);
  if (client->target_file) std::fclose(client->target_file);
  if (client->response) delete client->response->body;
  delete client->response;
  delete client;
}

bool add_form_field(net_client_c* client, const char* name, const uint8_t* data, size_t length) {
  if (!client || !client->curl) return false;
  if (!client->form) client->form = curl_mime_init(client->curl);
  if (!client->form) return false;
  curl_mimepart* part = curl_mime_addpart(client->form);
  if (!part) return false;
  // curl_mime_data copies the bytes, so the caller's buffer may go.
  return curl_mime_name(part, name) == CURLE_OK &&
         curl_mime_data(part, reinterpret_cast<const char*>(data), length) == CURLE_OK;
}

void net_client_c::perform() {
  const CURLcode rc = curl_easy_perform(curl);
  response->result = int32_t(rc);
  if (rc == CURLE_OK) {
    char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    response->content_type = type;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  response->status = status == 0 ? 504 : int32_t(status);
  if (response->result == 0 && response->status >= 400) response->result = CURLE_HTTP_RETURNED_ERROR;
  if (form) {
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, nullptr);
    curl_mime_free(form);
    form = nullptr;
  }
}

http_response* transfer_to_memory(net_client_c* client, const std::string& url, int method) {
  if (!client || !client->curl) return nullptr;
  reset_response(client->response);
  if (method == 1) {
    if (client->form) curl_easy_setopt(client->curl, CURLOPT_MIMEPOST, client->form);
    else {
      curl_easy_setopt(client->curl, CURLOPT_POST, 1L);
      curl_easy_setopt(client->curl, CURLOPT_POSTFIELDSIZE, 0L);
      curl_easy_setopt(client->curl, CURLOPT_COPYPOSTFIELDS, "");
    }
  } else {
    curl_easy_setopt(client->curl, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(client->curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(client->curl, CURLOPT_WRITEFUNCTION, memory_write);
  curl_easy_setopt(client->curl, CURLOPT_WRITEDATA, client);
  curl_easy_setopt(client->curl, CURLOPT_HEADERFUNCTION, nullptr);
  curl_easy_setopt(client->curl, CURLOPT_HEADERDATA, nullptr);
  client->perform();
  return client->response;
}

const char* http_get_with_retry(net_client_c* client, const std::string& url) {
  static const uint32_t pauses_ms[4] = {5000, 10000, 15000, 20000};
  if (!client) return nullptr;
  http_response* r = nullptr;
  for (int attempt = 0; attempt < 4; ++attempt) {
    r = transfer_to_memory(client, url, 0);
    if (!r) return nullptr;
    if (r->result == 0 && r->status < 400) break;
    if (r->status == 403 || r->status == 404) break;  // asking again will not help
    net_sleep(pauses_ms[attempt]);
  }
  if (!r || r->result != 0 || r->status >= 400 || !r->body) return nullptr;
  return r->body->data.data();
}

int fetch_text(const std::string& url, std::vector<char>& out) {
  net_client_c* client = create_net_client(version_file_capacity);
  if (!client) return -1;
  const char* text = http_get_with_retry(client, url);
  if (!text) {
    destroy_net_client(client);
    return -1;
  }
  const size_t n = size_t(client->response->body->used);
  out.assign(text, text + n);
  out.push_back(0);
  destroy_net_client(client);
  return int(out.size());
}
