// Start-up: the jobs' texts come from the language table and their messages are the
// program's message dialog. Windows only; call once on the user-interface thread before any
// job runs.
#pragma once

void bind_job_ui();
