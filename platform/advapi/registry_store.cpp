#include "advapi/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "orvanel/host.h"

namespace plat {
namespace {

enum class ReadResult { kRead, kMissing, kUnreadable };

ReadResult ReadWholeFile(const std::string& path, std::string* text) {
  text->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return ReadResult::kUnreadable;
  }
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      return ReadResult::kUnreadable;
    }
    if (got == 0) break;
    text->append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return ReadResult::kRead;
}

bool MakeDirectories(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    std::string prefix = path.substr(0, at);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

bool ReplaceFile(const std::string& directory, const std::string& path, const std::string& text) {
  std::string temporary = path + ".tmp-" + std::to_string(static_cast<long>(getpid()));
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool written = WriteAll(fd, text) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

std::string ConfigDirectory() {
  const std::string& configured = host::CurrentOptions().configDir;
  if (!configured.empty()) return configured;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/orvanel-saver";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/orvanel-saver";
}

}  // namespace

std::string RegistryFilePath() { return ConfigDirectory() + "/registry"; }

RegDocument ReadRegistry() {
  std::string text;
  ReadWholeFile(RegistryFilePath(), &text);
  return RegDocument::Parse(text);
}

LONG UpdateRegistry(const std::function<LONG(RegDocument&, bool* changed)>& change) {
  std::string directory = ConfigDirectory();
  std::string path = directory + "/registry";
  if (!MakeDirectories(directory)) return ERROR_ACCESS_DENIED;
  // Writers in other processes wait here, so none of them writes over
  // values another has just stored.
  int lock = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return ERROR_ACCESS_DENIED;
  while (flock(lock, LOCK_EX) != 0 && errno == EINTR) {
  }
  std::string text;
  LONG result = ERROR_ACCESS_DENIED;
  if (ReadWholeFile(path, &text) != ReadResult::kUnreadable) {
    RegDocument document = RegDocument::Parse(text);
    bool changed = false;
    result = change(document, &changed);
    if (result == ERROR_SUCCESS && changed && !ReplaceFile(directory, path, document.Serialize()))
      result = ERROR_ACCESS_DENIED;
  }
  flock(lock, LOCK_UN);
  close(lock);
  return result;
}

}  // namespace plat
