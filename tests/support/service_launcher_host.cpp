#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/service_launcher.h"

extern char** environ;

std::string service_side_path(const std::filesystem::path& path) { return path.string(); }

long long start_service_process(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string python = "/usr/bin/python3";
  argv.push_back(python.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, python.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

void wait_service_process(long long process) {
  const pid_t pid = pid_t(process);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}
