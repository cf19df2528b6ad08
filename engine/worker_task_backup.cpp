#include "engine/backup.h"
#include "engine/worker_task.h"

worker_task_c worker_task_c::init_backup(backup_job* job) { return worker_task_c(backup_job_entry, job); }
