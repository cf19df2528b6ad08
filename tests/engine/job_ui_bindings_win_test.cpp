#include "engine/job_ui_bindings.h"

#include <gtest/gtest.h>

#include "engine/install_jobs.h"
#include "widgets/language.h"
#include "widgets/message_window.h"

TEST(job_ui_bindings, jobs_show_the_message_dialog_and_the_language_texts) {
  job_bindings before = current_job_bindings();
  static const char ini[] = "[English]\nbtn_ok=\"OK\"\nuninstall_finished=\"Finished (test)\"\n";
  load_language_from(ini, u"en");
  bind_job_ui();
  const job_bindings& b = current_job_bindings();
  EXPECT_EQ(b.show_message, &show_message_window);
  EXPECT_EQ(job_text("uninstall_finished"), u"Finished (test)");
  // What else start-up bound stays.
  EXPECT_EQ(b.download_path, before.download_path);
  EXPECT_EQ(b.show_in_explorer, before.show_in_explorer);
  set_job_bindings(before);
  unload_language();
}
