// Another program run by a test: started with its own environment, watched
// without blocking, and never left behind.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // kills and reaps a child still running

  // Runs argv[0] with the test's environment changed by `environment`:
  // "NAME=VALUE" sets, a plain "NAME" removes. Standard output goes to
  // /dev/null, standard error to errorPath (inherited when empty).
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
             const std::string& errorPath = "");
  // Waits at most timeoutMs for the child to end; true once it has.
  bool WaitExit(int timeoutMs);
  void Signal(int number);
  bool Running();
  // The exit code, or -1 when a signal ended it (or it has not ended).
  int ExitCode() const;
  // The signal that ended it, or 0.
  int EndSignal() const;
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

// Checks condition every 10 ms until it holds (true) or timeoutMs pass (false).
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// The whole of a text file; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// A new empty directory under /tmp, named after `purpose`.
std::string MakeTempDirectory(const std::string& purpose);

}  // namespace testsupport
