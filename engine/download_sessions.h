// Download sessions: one per remote address in the process, so that a package shared by
// several rows, or found again by a later scan, keeps its state and its partial file. The
// session names the files in the download folder, tells from them whether the package is
// absent, partly there or complete, and runs the transfer on its own worker task.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/net_client.h"
#include "engine/worker_task.h"

// Session status values.
constexpr int32_t download_none = 1;
constexpr int32_t download_running = 2;
constexpr int32_t download_partial = 3;
constexpr int32_t download_failed = 4;
constexpr int32_t download_done = 5;

class download_session_c {
 public:
  download_session_c(const char* address, uint32_t expected_size);
  download_session_c(const download_session_c&) = delete;
  download_session_c& operator=(const download_session_c&) = delete;

  // Names the files from the address and the download folder, then takes the state from them.
  void resolve_download_files();
  // Starts the transfer thread; 0 also when it already runs, -1 when it cannot be started.
  int start();
  bool is_running() { return task.is_running(); }

  char url[1025] = {};
  char16_t partial_file[260] = {};  // the partial path as the transfer writes it
  transfer_state transfer;
  worker_task_c task;
  int32_t status = download_none;
  // The candidate's MD5 sum, handed over by the row that starts the session: the end of the
  // transfer is checked against it, whoever watches the session then.
  char16_t md5sum[33] = {};
  // A start asked for while a paused transfer was still winding down; the end of that
  // transfer starts it (see finish_download_session).
  bool resume_pending = false;
  // The MD5 of the complete partial file, taken by the transfer's thread when it ends so that
  // the owner's end rule never reads a whole package on its own thread: 1 taken (in
  // transfer_md5), -1 the file could not be read, 0 not taken (no complete transfer).
  int32_t transfer_md5_state = 0;
  char transfer_md5[33] = {};
  std::u16string partial_path;
  std::u16string final_path;
};

// Every session of the process, in creation order. Sessions live until the process ends and
// the list is never destroyed: a transfer thread may still be writing into its session while
// the process exits.
extern std::vector<std::shared_ptr<download_session_c>>& download_sessions;

// The session of the address, made and appended when there is none (an existing session keeps
// its own expected size); null only when none can be made.
download_session_c* find_download_session(const char* address, uint32_t expected_size);
// Re-resolves every idle session against the current download folder. A running one is left:
// its transfer writes to the files it was started with, and it resolves when it ends. So is
// one whose thread has ended but whose end its owner has not yet taken in (still status 2):
// its complete file is moved by that end in the folder it was written to.
void refresh_download_sessions();

// The package's file name: the MD5 of the whole address and the extension of its last path
// segment (query and fragment removed; 1 to 8 letters or digits, else ".exe").
std::u16string download_file_name(const char* address);
// 1 when the partial file exists, 0 when the path without its extension does, -1 when neither.
int probe_download_files(const std::u16string& partial_path);
// The transfer's thread: 0 when download_to_file returned 0, else -1. A transfer that ended
// with the expected size leaves the file's MD5 in the session.
int32_t download_thread(void* session);

// What the owner does once the thread has ended (a session paused while the thread still ran
// is finished the same way): a cancelled transfer is partial; a failed
// or short one is failed; a complete one whose MD5 differs from `md5sum` (when that is 32
// hexadecimal digits) is failed and its file removed; otherwise the partial file becomes the final one and the
// session is done. Returns the new status.
int32_t finish_download_session(download_session_c& session, const char16_t* md5sum);
// The end rule of a watching owner: finish_download_session with the session's own sum, then
// the start that was asked for while the transfer wound down. The new status.
int32_t end_download_session(download_session_c& session);
// Pause: the transfer is told to stop and the session reads as paused at once; a resume asked
// for before the old transfer ended is dropped.
void pause_download_session(download_session_c& session);
// Start or resume: while a paused transfer still winds down the start is kept for its end
// (and the session reads as downloading); 0, or -1 when the thread cannot be started.
int resume_download_session(download_session_c& session);

// Checks a complete package against the session's sum before it is used: 1 it matches, 0 no
// sum to check against, -1 it differs or cannot be read (the file is removed and the session
// reads as failed). It reads the whole file: not for the user-interface thread.
int verify_download_md5(download_session_c& session);
// The same check of a package file against a sum: 1, 0 or -1 (the file is then removed).
int check_package_md5(const std::u16string& path, const char16_t* md5sum);

// Platform parts: whether a file exists and a move over an existing target (sizes come from
// file_size of the shared helpers).
bool download_file_exists(const char16_t* path);
bool move_download_file(const char16_t* from, const char16_t* to);
