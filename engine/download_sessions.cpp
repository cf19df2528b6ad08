#include "engine/download_sessions.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "base/path.h"
#include "base/text.h"
#include "engine/helpers.h"
#include "engine/settings.h"

std::vector<std::shared_ptr<download_session_c>>& download_sessions =
    *new std::vector<std::shared_ptr<download_session_c>>;

namespace {

constexpr size_t max_extension = 8;

bool is_alnum_ascii(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view address_extension(std::string_view address) {
  address = address.substr(0, address.find_first_of("?#"));
  std::string_view segment = address.substr(address.find_last_of('/') + 1);  // npos + 1 == 0
  size_t dot = segment.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  std::string_view ext = segment.substr(dot + 1);
  if (ext.empty() || ext.size() > max_extension) return {};
  for (char c : ext)
    if (!is_alnum_ascii(c)) return {};
  return ext;
}

// The MD5 of a file named by a wide path, as 32 lower-case hexadecimal digits; false when it
// cannot be read.
bool md5_of_file(const char16_t* path, std::string& hex) {
  FILE* f = open_file_u16(path, "rb");
  if (!f) return false;
  char digest[33];
  const bool ok = md5_stream_hex(f, digest) == 0;
  std::fclose(f);
  hex = ok ? digest : "";
  return ok;
}

// A sum the answer really carries: 32 hexadecimal digits.
bool is_md5_text(const char16_t* text) {
  if (!text) return false;
  int n = 0;
  for (; text[n]; ++n) {
    char16_t c = text[n];
    bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (!hex || n >= 32) return false;
  }
  return n == 32;
}

// Sets status and bytes from the files on disk.
void take_state_from_files(download_session_c& s) {
  switch (probe_download_files(s.partial_path)) {
    case 1:
      s.status = download_partial;
      s.transfer.bytes_on_disk = file_size(s.partial_path.c_str());
      break;
    case 0:
      s.status = download_done;
      s.transfer.bytes_on_disk = file_size(s.final_path.c_str());
      break;
    default:
      s.status = download_none;
      break;
  }
}

}  // namespace

std::u16string download_file_name(const char* address) {
  char digest[33];
  md5_text_hex(address ? address : "", digest);
  std::string_view ext = address_extension(address ? address : "");
  std::string name(digest);
  name += '.';
  name += ext.empty() ? std::string_view("exe") : ext;
  return ansi_to_u16(name);
}

int probe_download_files(const std::u16string& partial_path) {
  if (download_file_exists(partial_path.c_str())) return 1;
  size_t dot = partial_path.find_last_of(u'.');
  size_t slash = last_path_separator(partial_path);
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return -1;
  return download_file_exists(partial_path.substr(0, dot).c_str()) ? 0 : -1;
}

download_session_c::download_session_c(const char* address, uint32_t expected_size)
    : task(download_thread, this) {
  copy_cut(url, address ? address : "");
  transfer.expected_size = expected_size;
  resolve_download_files();
}

void download_session_c::resolve_download_files() {
  final_path = path_join(app_settings.DownloadPath, download_file_name(url));
  partial_path = final_path + u".tmp";
  // A path the transfer's field cannot hold whole is not handed on cut: the transfer would
  // write another file than the one probed here. start() refuses it.
  if (partial_path.size() < sizeof partial_file / sizeof partial_file[0])
    copy_cut(partial_file, partial_path);
  else
    partial_file[0] = 0;
  take_state_from_files(*this);
}

int download_session_c::start() {
  if (task.is_running()) return 0;
  if (partial_file[0] == 0) return -1;
  if (download_file_exists(partial_path.c_str())) {
    uint32_t size = file_size(partial_path.c_str());
    if (size > 0) transfer.bytes_on_disk = size;
  }
  transfer.cancel = false;
  transfer.curl_result = 0;
  transfer.http_status = 0;
  transfer_md5_state = 0;
  transfer_md5[0] = 0;
  status = download_running;
  task.close_thread_handle();
  if (!task.start()) {
    take_state_from_files(*this);  // not left "downloading" with no thread behind it
    return -1;
  }
  return 0;
}

int32_t download_thread(void* argument) {
  auto* s = static_cast<download_session_c*>(argument);
  const int32_t result = download_to_file(s->url, s->transfer, s->partial_file) == 0 ? 0 : -1;
  if (s->transfer.curl_result == 0 && s->transfer.bytes_on_disk == s->transfer.expected_size) {
    std::string digest;
    s->transfer_md5_state = md5_of_file(s->partial_file, digest) ? 1 : -1;
    copy_cut(s->transfer_md5, digest);
  }
  return result;
}

int32_t finish_download_session(download_session_c& s, const char16_t* md5sum) {
  if (s.is_running()) return s.status;
  // A pause sets the status at once; the cancel flag tells that its transfer has yet to end.
  if (s.status == download_partial && s.transfer.cancel) {
    s.transfer.cancel = false;
    return s.status;
  }
  if (s.status != download_running) return s.status;
  if (s.transfer.cancel) {
    s.transfer.cancel = false;
    return s.status = download_partial;
  }
  if (s.transfer.curl_result != 0 || s.transfer.bytes_on_disk != s.transfer.expected_size)
    return s.status = download_failed;
  if (is_md5_text(md5sum)) {
    // The transfer's thread took the sum; only a session finished without a transfer of its
    // own reads the file here.
    std::string actual = s.transfer_md5;
    bool read = s.transfer_md5_state == 1;
    if (s.transfer_md5_state == 0) read = md5_of_file(s.partial_path.c_str(), actual);
    if (!read || !equal_ci(ansi_to_u16(actual), md5sum)) {
      // A wrong package must never be installed, nor resumed from.
      remove_file_u16(s.partial_path.c_str());
      s.transfer.bytes_on_disk = 0;
      return s.status = download_failed;
    }
  }
  if (!move_download_file(s.partial_path.c_str(), s.final_path.c_str())) return s.status = download_failed;
  return s.status = download_done;
}

download_session_c* find_download_session(const char* address, uint32_t expected_size) {
  const char* a = address ? address : "";
  for (const auto& s : download_sessions)
    if (std::strcmp(s->url, a) == 0) return s.get();
  std::shared_ptr<download_session_c> made(new (std::nothrow) download_session_c(a, expected_size));
  if (!made) return nullptr;
  download_sessions.push_back(made);
  return made.get();
}

void refresh_download_sessions() {
  for (const auto& s : download_sessions)
    if (!s->is_running() && s->status != download_running) s->resolve_download_files();
}

int32_t end_download_session(download_session_c& s) {
  if (s.is_running()) return s.status;
  finish_download_session(s, s.md5sum);
  if (s.resume_pending) {
    s.resume_pending = false;
    if (s.status == download_partial || s.status == download_failed) s.start();
  }
  return s.status;
}

void pause_download_session(download_session_c& s) {
  s.resume_pending = false;
  if (!s.is_running()) return;
  s.transfer.cancel = true;
  s.status = download_partial;
}

int resume_download_session(download_session_c& s) {
  if (s.is_running()) {
    if (s.transfer.cancel) {
      // The transfer was told to stop and may already have closed its connection: a new one
      // follows it.
      s.resume_pending = true;
      s.status = download_running;
    }
    return 0;
  }
  s.resume_pending = false;
  return s.start();
}

int check_package_md5(const std::u16string& path, const char16_t* md5sum) {
  if (!is_md5_text(md5sum)) return 0;
  std::string actual;
  if (md5_of_file(path.c_str(), actual) && equal_ci(ansi_to_u16(actual), md5sum)) return 1;
  remove_file_u16(path.c_str());
  return -1;
}

int verify_download_md5(download_session_c& s) {
  const int checked = check_package_md5(s.final_path, s.md5sum);
  if (checked < 0) {
    s.transfer.bytes_on_disk = 0;
    s.status = download_failed;
  }
  return checked;
}
