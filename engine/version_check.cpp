#include "engine/version_check.h"

#include <tinyxml.h>

#include <cstring>
#include <new>
#include <vector>

#include "base/text.h"
#include "engine/documents.h"
#include "engine/endpoints.h"
#include "engine/net_client.h"
#include "engine/worker_task.h"

// Never destroyed: a check may still run while the process exits.
std::string& published_version = *new std::string;
std::string& published_version_link = *new std::string;
std::mutex& published_version_lock = *new std::mutex;

namespace {

constexpr uint32_t check_delay_ms = 3000;

bool is_web_link(const std::string& link) {
  auto starts = [&](std::string_view prefix) {
    return link.size() > prefix.size() && equal_ci_ascii(std::string_view(link).substr(0, prefix.size()), prefix);
  };
  return starts("http://") || starts("https://");
}

}  // namespace

version_info published_version_copy() {
  std::lock_guard<std::mutex> lock(published_version_lock);
  return {published_version, published_version_link};
}

bool parse_version_info(const char* text, version_info& info) {
  if (!text) return false;
  TiXmlDocument doc;
  if (!parse_network_xml(doc, text, std::strlen(text))) return false;
  const TiXmlElement* root = doc.RootElement();
  if (!root) return false;
  const TiXmlElement* version = root->FirstChildElement("version");
  if (!version || !version->GetText()) return false;
  info.version = version->GetText();
  const TiXmlElement* link = root->FirstChildElement("link");
  if (!link || !link->GetText()) return false;
  // The main window opens the link with the shell: nothing but a web page may come through.
  if (!is_web_link(link->GetText())) return false;
  info.link = link->GetText();
  return true;
}

int32_t run_version_check(const version_check_job& job) {
  net_sleep(check_delay_ms);
  std::vector<char> text;
  if (fetch_text(version_file_url(), text) < 0) return -1;
  version_info info;
  const bool whole = parse_version_info(text.data(), info);
  {
    // Only the writes are under the lock: the window takes it too, and a message sent while
    // it is held would wait on a window that waits on the lock.
    std::lock_guard<std::mutex> lock(published_version_lock);
    if (!info.version.empty()) published_version = info.version;
    if (!whole) return -1;
    published_version_link = info.link;
  }
  if (job.notify) job.notify(job.window, job.flag ? WM_APP_VERSION_RESULT : WM_APP_SHOW_UPDATE_LINK);
  return 0;
}

int32_t version_check_thread(void* job) {
  auto* j = static_cast<version_check_job*>(job);
  const int32_t rc = run_version_check(*j);
  delete j;
  return rc;
}

bool start_version_job(int flag, void* window, void (*notify)(void* window, unsigned message)) {
  auto* job = new (std::nothrow) version_check_job;
  if (!job) return true;
  job->flag = flag;
  job->window = window;
  job->notify = notify;
  // Fire and forget: the thread owns the job, and the task's state goes with its last reference.
  worker_task_c task(version_check_thread, job);
  if (!task.start()) delete job;
  task.release();
  return true;
}
