#include "advapi/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "advapi/registry_lock.h"
#include "advapi/registry_paths.h"
#include "core/lifecycle.h"
#include "orvanel/host.h"

namespace plat {
namespace {

enum class ReadResult { kRead, kMissing, kUnreadable, kTooLarge };

std::set<std::string>& Reported() {
  static std::set<std::string> reported;
  return reported;
}

void ForgetReports() { Reported().clear(); }

// Each problem once: the settings are read several times at every start.
void Report(const std::string& text) {
  RegisterReset(ForgetReports);
  if (!Reported().insert(text).second) return;
  std::fprintf(stderr, "%s: %s\n", host::CurrentOptions().programName.c_str(), text.c_str());
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

ReadResult ReadWholeFile(const std::string& path, std::string* text, int* error) {
  text->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return errno == ENOENT ? ReadResult::kMissing : ReadResult::kUnreadable;
  }
  struct stat info;
  ReadResult result = ReadResult::kRead;
  if (fstat(fd, &info) != 0) {
    *error = errno;
    result = ReadResult::kUnreadable;
  } else if (!S_ISREG(info.st_mode)) {
    *error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    result = ReadResult::kUnreadable;
  } else if (static_cast<unsigned long long>(info.st_size) > kMaxRegistryFileBytes) {
    result = ReadResult::kTooLarge;
  }
  char buffer[65536];
  while (result == ReadResult::kRead) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = errno;
      result = ReadResult::kUnreadable;
    } else if (got == 0) {
      break;
    } else if (text->size() + static_cast<size_t>(got) > kMaxRegistryFileBytes) {
      result = ReadResult::kTooLarge;  // it grew while being read
    } else {
      text->append(buffer, static_cast<size_t>(got));
    }
  }
  close(fd);
  if (result != ReadResult::kRead) text->clear();
  return result;
}

// Reports why the file cannot be used; true when it can.
bool Usable(ReadResult result, const std::string& path, int error, bool writing) {
  const std::string outcome =
      writing ? "; it is left as it is and the settings are not saved" : "; it is left as it is and not used";
  if (result == ReadResult::kUnreadable) {
    Report("cannot read the settings file " + Quoted(path) + ": " + std::strerror(error) + outcome);
    return false;
  }
  if (result == ReadResult::kTooLarge) {
    Report("the settings file " + Quoted(path) + " is larger than 1 MB" + outcome);
    return false;
  }
  return true;
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

// False with errno set when the file could not be replaced.
bool ReplaceFile(const std::string& path, const std::string& text) {
  std::string temporary = TemporaryFor(path);
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  bool written = WriteAll(fd, text) && fsync(fd) == 0;
  int error = errno;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    if (written) error = errno;
    unlink(temporary.c_str());
    errno = error;
    return false;
  }
  int dir = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// The update itself, with the lock held.
LONG UpdateLocked(const std::string& path, const std::function<LONG(RegDocument&, bool* changed)>& change) {
  const std::string target = WriteTarget(path);
  if (target.empty()) {
    Report("the settings file " + Quoted(path) + " is a loop of symbolic links; the settings are not saved");
    return ERROR_ACCESS_DENIED;
  }
  RemoveStaleTemporaries(target);
  std::string text;
  int error = 0;
  ReadResult read = ReadWholeFile(target, &text, &error);
  if (!Usable(read, target, error, true))
    return read == ReadResult::kTooLarge ? ERROR_FILE_TOO_LARGE : ERROR_ACCESS_DENIED;
  RegDocument document = RegDocument::Parse(text);
  bool changed = false;
  LONG result = change(document, &changed);
  if (result != ERROR_SUCCESS || !changed) return result;
  std::string updated = document.Serialize();
  if (updated.size() > kMaxRegistryFileBytes) {
    Report("the settings are not saved: the settings file " + Quoted(target) + " would grow past 1 MB");
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  if (!ReplaceFile(target, updated)) {
    Report("cannot write the settings file " + Quoted(target) + ": " + std::strerror(errno));
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

}  // namespace

std::string RegistryFilePath() {
  std::string directory = ConfigDirectory();
  return directory.empty() ? "" : directory + "/registry";
}

RegDocument ReadRegistry() {
  const std::string path = RegistryFilePath();
  std::string text;
  int error = 0;
  if (!path.empty()) {
    ReadResult read = ReadWholeFile(path, &text, &error);
    Usable(read, path, error, false);
  }
  return RegDocument::Parse(text);
}

LONG UpdateRegistry(const std::function<LONG(RegDocument&, bool* changed)>& change, const void* lockHolder) {
  const std::string directory = ConfigDirectory();
  if (directory.empty()) {
    Report(
        "there is no home directory ($HOME is unset and the password database names none); "
        "the settings are not saved");
    return ERROR_PATH_NOT_FOUND;
  }
  if (!MakeDirectories(directory)) {
    Report("cannot make the settings directory " + Quoted(directory) + ": " + std::strerror(errno));
    return ERROR_ACCESS_DENIED;
  }
  // Writers in other processes wait here, so none of them writes over
  // values another has just stored.
  const int singleUpdate = 0;
  const void* holder = lockHolder ? lockHolder : &singleUpdate;
  const std::string lockPath = directory + "/registry.lock";
  LONG result = AcquireRegistryLock(lockPath, holder);
  if (result == ERROR_LOCK_VIOLATION) {
    char waited[32];
    std::snprintf(waited, sizeof waited, "%.1f", RegistryLockWait() / 1000.0);
    Report("the settings are in use by another process (it has held " + Quoted(lockPath) + " for over " +
           waited + " s); nothing is written to them");
  } else if (result != ERROR_SUCCESS) {
    Report("cannot open the settings lock " + Quoted(lockPath) + ": " + std::strerror(errno));
  }
  if (result != ERROR_SUCCESS) return result;
  result = UpdateLocked(directory + "/registry", change);
  if (!lockHolder) ReleaseRegistryLock(holder);
  return result;
}

}  // namespace plat
