#include "user/runtime_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat::user {
namespace {

std::string Refused(const std::string& path, const std::string& why) {
  return path + ": " + why + "; refusing to use it (remove it, or set XDG_RUNTIME_DIR to a private folder)";
}

// Why a folder with these facts must not be used; "" when it may.
std::string Fault(const struct stat& facts) {
  if (S_ISLNK(facts.st_mode)) return "is a symbolic link";
  if (!S_ISDIR(facts.st_mode)) return "is not a directory";
  if (facts.st_uid != geteuid())
    return "belongs to another user (uid " + std::to_string(static_cast<long>(facts.st_uid)) + ")";
  if (facts.st_mode & 077) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(facts.st_mode & 07777));
    return std::string("is open to other users (mode ") + mode + ")";
  }
  return "";
}

}  // namespace

std::string RuntimeFolderPath() {
  // Relative paths in these variables are invalid by the XDG rules.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/orvanel";
  const char* temp = std::getenv("TMPDIR");
  std::string base = temp && temp[0] == '/' ? temp : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  if (base == "/") base.clear();
  return base + "/orvanel-" + std::to_string(static_cast<long>(getuid()));
}

bool CheckRuntimeFolder(std::string* error) {
  std::string path = RuntimeFolderPath();
  struct stat facts;
  if (lstat(path.c_str(), &facts) != 0) {
    if (errno == ENOENT) return true;
    *error = Refused(path, std::strerror(errno));
    return false;
  }
  std::string fault = Fault(facts);
  if (fault.empty()) return true;
  *error = Refused(path, fault);
  return false;
}

int OpenRuntimeFolder(bool make, std::string* error) {
  error->clear();
  std::string path = RuntimeFolderPath();
  if (make && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = path + ": cannot make it: " + std::strerror(errno);
    return -1;
  }
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT && !make) return -1;
    if (CheckRuntimeFolder(error)) *error = path + ": cannot open it: " + std::strerror(errno);
    return -1;
  }
  struct stat facts;
  std::string fault = fstat(fd, &facts) == 0 ? Fault(facts) : std::strerror(errno);
  if (!fault.empty()) {
    close(fd);
    *error = Refused(path, fault);
    return -1;
  }
  return fd;
}

}  // namespace plat::user
