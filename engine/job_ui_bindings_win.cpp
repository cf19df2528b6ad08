#include "engine/job_ui_bindings.h"

#include <string>

#include "engine/install_jobs.h"
#include "widgets/language.h"
#include "widgets/message_window.h"

namespace {

std::u16string language_text(const char* key) { return get_text(key); }

}  // namespace

void bind_job_ui() {
  job_bindings b = current_job_bindings();
  b.text = language_text;
  b.show_message = show_message_window;
  set_job_bindings(b);
}
