#include "app/setup_progress_window_win.h"

#include <gtest/gtest.h>

#include "engine/thread.h"
#include "widgets/language.h"
#include "widgets/ui_fonts.h"

namespace {

int32_t fails_at_once(void*) { return -1; }
int32_t succeeds_later(void*) {
  Sleep(150);
  return 0;
}

TEST(SetupProgressWindow, EndsWhenTheJobsThreadEndsWithItsResult) {
  load_language(u"en");
  create_ui_fonts("en", 61);
  create_brushes();
  struct job_case {
    task_callback job;
    INT_PTR result;
  } cases[] = {{fails_at_once, 1}, {succeeds_later, 0}};
  for (const auto& c : cases) {
    worker_task_c task(c.job, nullptr);
    ASSERT_TRUE(task.start());
    setup_progress_window_c dialog(&task, u"Install");
    DWORD start = GetTickCount();
    EXPECT_EQ(dialog.DoModal(nullptr), c.result);
    EXPECT_LT(GetTickCount() - start, 5000u);
    // The dialog closed the handle through the task: the task's own release finds none.
    EXPECT_EQ(task.thread(), nullptr);
    EXPECT_EQ(task.ref_count(), 1);
  }
  delete_ui_objects();
}

}  // namespace
