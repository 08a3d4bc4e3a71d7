#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** p = environ; *p; ++p) {
    std::string entry = *p;
    bool changed = false;
    for (const std::string& change : changes) changed = changed || NameOf(change) == NameOf(entry);
    if (!changed) result.push_back(entry);
  }
  for (const std::string& change : changes)
    if (change.find('=') != std::string::npos) result.push_back(change);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& errorPath) {
  std::vector<std::string> args = argv;
  std::vector<std::string> env = ChangedEnvironment(environment);
  std::vector<char*> argPointers = Pointers(args);
  std::vector<char*> envPointers = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (!errorPath.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
  pid_t pid = -1;
  int error = posix_spawn(&pid, argPointers[0], &actions, nullptr, argPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  pid_ = pid;
  ended_ = false;
  return true;
}

bool ChildProcess::WaitExit(int timeoutMs) {
  if (pid_ <= 0) return false;
  return WaitUntil([this] { return !Running(); }, timeoutMs);
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || ended_) return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
  return !ended_;
}

void ChildProcess::Signal(int number) {
  if (pid_ > 0 && !ended_) kill(pid_, number);
}

int ChildProcess::ExitCode() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }

int ChildProcess::EndSignal() const { return ended_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string MakeTempDirectory(const std::string& purpose) {
  std::string pattern = "/tmp/orvanel-" + purpose + "-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace testsupport
