#include "user/listed_entry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

namespace plat::user {
namespace {

constexpr size_t kMostEntryBytes = 4096;

// This process's entries: native id -> the descriptor that holds the lock.
std::map<uint64_t, int>& Held() {
  static std::map<uint64_t, int> held;
  return held;
}

std::string EntryName(uint64_t nativeId) { return std::to_string(nativeId) + ".win"; }

bool EndsWith(const std::string& text, const char* tail) {
  size_t n = std::strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// The number before `tail` in a name such as "123.win"; 0 when there is none.
uint64_t IdOf(const std::string& name, const char* tail) {
  if (!EndsWith(name, tail)) return 0;
  char* end = nullptr;
  uint64_t id = std::strtoull(name.c_str(), &end, 10);
  return end == name.c_str() + name.size() - std::strlen(tail) ? id : 0;
}

bool TakeLock(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, F_SETLK, &lock) == 0;
}

// The process holding the lock on the entry; 0 when none does, -1 when unknown.
long LockHolder(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_GETLK, &lock) != 0) return -1;
  return lock.l_type == F_UNLCK ? 0 : static_cast<long>(lock.l_pid);
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

bool Rewrite(int fd, const std::string& text) {
  if (ftruncate(fd, 0) != 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Parse(const std::string& text, ListedWindow* window) {
  std::string lines[4];
  size_t at = 0;
  for (std::string& line : lines) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) return false;
    line = text.substr(at, end - at);
    at = end + 1;
  }
  char* end = nullptr;
  window->pid = std::strtol(lines[0].c_str(), &end, 10);
  if (*end || window->pid <= 0) return false;
  window->className = lines[1];
  window->title = lines[2];
  window->nativeId = std::strtoull(lines[3].c_str(), &end, 10);
  return !*end && window->nativeId != 0;
}

}  // namespace

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

int UniqueFd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

bool HoldEntry(int folder, uint64_t nativeId, const std::string& className, const std::string& title) {
  std::string text = std::to_string(static_cast<long>(getpid())) + '\n' + OneLine(className) + '\n' +
                     OneLine(title) + '\n' + std::to_string(nativeId) + '\n';
  auto held = Held().find(nativeId);
  if (held != Held().end()) return Rewrite(held->second, text);
  std::string name = EntryName(nativeId);
  UniqueFd fd(openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0 || !TakeLock(fd.get())) return false;
  // A sweep may have removed the file between the open and the lock.
  struct stat locked, listed;
  if (fstat(fd.get(), &locked) != 0 || fstatat(folder, name.c_str(), &listed, AT_SYMLINK_NOFOLLOW) != 0 ||
      locked.st_ino != listed.st_ino || locked.st_dev != listed.st_dev) {
    errno = ENOENT;
    return false;
  }
  if (!Rewrite(fd.get(), text)) {
    unlinkat(folder, name.c_str(), 0);
    return false;
  }
  Held()[nativeId] = fd.release();
  return true;
}

bool HoldsEntry(uint64_t nativeId) { return Held().count(nativeId) != 0; }

std::vector<uint64_t> HeldEntries() {
  std::vector<uint64_t> ids;
  for (const auto& [id, fd] : Held()) ids.push_back(id);
  return ids;
}

void ReleaseEntry(int folder, uint64_t nativeId) {
  auto held = Held().find(nativeId);
  if (held == Held().end()) return;
  if (folder >= 0) {
    unlinkat(folder, EntryName(nativeId).c_str(), 0);
    unlinkat(folder, RequestName(nativeId).c_str(), 0);
  }
  close(held->second);  // lets go of the lock
  Held().erase(held);
}

bool ReadListedWindow(int folder, uint64_t nativeId, ListedWindow* window) {
  if (HoldsEntry(nativeId)) return false;
  std::string name = EntryName(nativeId);
  UniqueFd fd(openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat facts;
  if (fd.get() < 0 || fstat(fd.get(), &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_uid != geteuid())
    return false;
  long holder = LockHolder(fd.get());
  // Stale. Locked first, so that a program that has just taken the name over keeps it.
  if (holder == 0 && TakeLock(fd.get())) {
    unlinkat(folder, name.c_str(), 0);
    unlinkat(folder, RequestName(nativeId).c_str(), 0);
  }
  if (holder <= 0) return false;
  char text[kMostEntryBytes];
  ssize_t n = pread(fd.get(), text, sizeof text, 0);
  if (n <= 0 || !Parse(std::string(text, static_cast<size_t>(n)), window)) return false;  // being written
  // Only the process that holds the entry is ever taken for its window.
  return window->pid == holder && window->nativeId == nativeId;
}

std::vector<uint64_t> ListedIds(int folder) {
  std::vector<uint64_t> ids;
  for (const std::string& name : FolderNames(folder))
    if (uint64_t id = IdOf(name, ".win")) ids.push_back(id);
  return ids;
}

void SweepStale(int folder) {
  std::vector<std::string> names = FolderNames(folder);
  for (const std::string& name : names) {
    ListedWindow ignored;
    if (uint64_t id = IdOf(name, ".win")) ReadListedWindow(folder, id, &ignored);
    if (EndsWith(name, ".tmp")) unlinkat(folder, name.c_str(), 0);  // half-written files of older versions
  }
  for (const std::string& name : names) {
    uint64_t id = IdOf(name, ".activate");
    struct stat facts;
    if (id && fstatat(folder, EntryName(id).c_str(), &facts, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
      unlinkat(folder, name.c_str(), 0);
  }
}

std::vector<std::string> FolderNames(int folder) {
  std::vector<std::string> names;
  int fd = dup(folder);
  if (fd < 0) return names;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return names;
  }
  rewinddir(dir);  // the copy shares its position with the original
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

std::string RequestName(uint64_t nativeId) { return std::to_string(nativeId) + ".activate"; }

}  // namespace plat::user
