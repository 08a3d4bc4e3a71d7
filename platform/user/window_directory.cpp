// Visible top-level windows are listed for the other programs of the same
// user on the same desktop, one small file per window, so that FindWindowA
// and SetForegroundWindow work across processes as they do on Windows. A
// found window is named by its native id (as a window handle given on the
// command line is).
//
// A desktop is an X display, or a headless screen given a name; an unnamed
// headless screen is a desktop of its own and lists nothing. A listed entry
// counts only while its process holds a write lock on it: the lock goes with
// the process however it ends, so an entry left behind is never taken for a
// running program (its process id may belong to a stranger by then), and the
// process that is signalled is the one holding the lock.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/signals.h"
#include "orvanel/host.h"
#include "user/runtime_folder.h"
#include "user/user_state.h"
#include "user/window_directory.h"

using namespace plat;
using namespace plat::user;

namespace {

constexpr size_t kMostEntryBytes = 4096;
constexpr int kAttempts = 4;  // another program may remove an empty folder between two steps

struct Entry {
  long pid = 0;
  std::string className;
  std::string title;
  uint64_t nativeId = 0;
};

// This process's entries: native id -> the descriptor that holds the lock.
// The checks below never open one of these: closing any descriptor of a
// file drops the process's lock on it.
std::map<uint64_t, int>& OwnEntries() {
  static std::map<uint64_t, int> entries;
  return entries;
}

// Letters, digits and ":._-" only, never "." or ".." or a hidden name.
std::string FolderName(std::string name) {
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ':' && c != '.' && c != '-' && c != '_') c = '_';
  if (name.size() > 100) name.resize(100);
  if (name.empty() || name[0] == '.') name = "_" + name;
  return name;
}

// The folder of this desktop's listing; "" for a headless screen of its own.
std::string DesktopFolder() {
  const host::Options& options = host::CurrentOptions();
  if (std::string(CurrentBackend().Name()) == "headless") {
    std::string name = options.windowDirectory;
    if (name.empty()) {
      const char* shared = std::getenv("ORVANEL_HEADLESS_SCREEN");
      if (shared && *shared) name = shared;
    }
    return name.empty() ? "" : FolderName(name);
  }
  const char* display = std::getenv("DISPLAY");
  return FolderName(display && *display ? display : "default");
}

std::string EntryName(uint64_t nativeId) { return std::to_string(nativeId) + ".win"; }
std::string RequestName(uint64_t nativeId) { return std::to_string(nativeId) + ".activate"; }

bool EndsWith(const std::string& text, const char* tail) {
  size_t n = std::strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

void WarnOnce(const std::string& error) {
  static bool warned = false;
  if (warned || error.empty()) return;
  warned = true;
  std::fprintf(stderr, "%s: %s (its windows are not listed for other programs)\n",
               host::CurrentOptions().programName.c_str(), error.c_str());
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// The listing folder of this desktop, made when `make` is set; -1 when there
// is none (yet).
int OpenListing(bool make) {
  std::string desktop = DesktopFolder();
  if (desktop.empty()) return -1;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string error;
    Descriptor base(OpenRuntimeFolder(make, &error));
    if (base.get() < 0) {
      WarnOnce(error);
      return -1;
    }
    if (make && mkdirat(base.get(), desktop.c_str(), 0700) != 0 && errno != EEXIST) {
      if (errno == ENOENT) continue;
      return -1;
    }
    int fd = openat(base.get(), desktop.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT || !make) return fd;
  }
  return -1;
}

bool LockWhole(int fd, short type, int command) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return fcntl(fd, command, &lock) == 0;
}

// The process holding the lock on the entry; 0 when none does.
long LockHolder(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_GETLK, &lock) != 0) return -1;
  return lock.l_type == F_UNLCK ? 0 : static_cast<long>(lock.l_pid);
}

std::string EntryText(const Window* window) {
  auto oneLine = [](std::string text) {
    for (char& c : text)
      if (c == '\n' || c == '\r') c = ' ';
    return text;
  };
  return std::to_string(static_cast<long>(getpid())) + '\n' + oneLine(window->cls->name) + '\n' +
         oneLine(window->text) + '\n' + std::to_string(window->native->nativeId) + '\n';
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

bool ParseEntry(const std::string& text, Entry* entry) {
  std::string lines[4];
  size_t at = 0;
  for (std::string& line : lines) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) return false;
    line = text.substr(at, end - at);
    at = end + 1;
  }
  char* end = nullptr;
  entry->pid = std::strtol(lines[0].c_str(), &end, 10);
  if (*end || entry->pid <= 0) return false;
  entry->className = lines[1];
  entry->title = lines[2];
  entry->nativeId = std::strtoull(lines[3].c_str(), &end, 10);
  return !*end && entry->nativeId != 0;
}

bool IsOwn(uint64_t nativeId) { return OwnEntries().count(nativeId) != 0; }

// Removes an entry no process holds any more, and its activation request.
void RemoveStale(int listing, const std::string& name, int fd) {
  // Taking the lock first: a program that has just reused the name keeps it.
  if (!LockWhole(fd, F_WRLCK, F_SETLK)) return;
  unlinkat(listing, name.c_str(), 0);
  std::string stem = name.substr(0, name.size() - 4);
  unlinkat(listing, (stem + ".activate").c_str(), 0);
}

// Reads the entry of another living process of this user. A stale entry is
// removed; an entry whose process id is not the one holding its lock is
// ignored.
bool LiveEntry(int listing, const std::string& name, Entry* entry) {
  char* end = nullptr;
  uint64_t id = std::strtoull(name.c_str(), &end, 10);
  if (end == name.c_str() || std::string(end) != ".win" || IsOwn(id)) return false;
  Descriptor fd(openat(listing, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat facts;
  if (fd.get() < 0 || fstat(fd.get(), &facts) != 0 || !S_ISREG(facts.st_mode) || facts.st_uid != geteuid())
    return false;
  long holder = LockHolder(fd.get());
  if (holder == 0) RemoveStale(listing, name, fd.get());
  if (holder <= 0) return false;
  char text[kMostEntryBytes];
  ssize_t n = pread(fd.get(), text, sizeof text, 0);
  if (n <= 0 || !ParseEntry(std::string(text, static_cast<size_t>(n)), entry)) return false;  // being written
  return entry->pid == holder && entry->nativeId == id;
}

bool NameMatches(LPCSTR wanted, const std::string& actual) {
  return !wanted || strcasecmp(wanted, actual.c_str()) == 0;
}

bool ClassMatches(LPCSTR wanted, const Window* window) {
  if (!wanted) return true;
  if (IS_INTRESOURCE(wanted)) return window->cls->atom == reinterpret_cast<uintptr_t>(wanted);
  return strcasecmp(wanted, window->cls->name.c_str()) == 0;
}

std::vector<std::string> Names(int folder) {
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

// Removes what programs that ended without tidying left in one listing.
void Sweep(int listing) {
  std::vector<std::string> names = Names(listing);
  for (const std::string& name : names) {
    Entry entry;
    if (EndsWith(name, ".win")) {
      LiveEntry(listing, name, &entry);
    } else if (EndsWith(name, ".tmp")) {
      unlinkat(listing, name.c_str(), 0);  // half-written files of older versions
    }
  }
  for (const std::string& name : names) {
    if (!EndsWith(name, ".activate")) continue;
    std::string entryName = name.substr(0, name.size() - 9) + ".win";
    struct stat facts;
    if (fstatat(listing, entryName.c_str(), &facts, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
      unlinkat(listing, name.c_str(), 0);
  }
}

// Signals pid through a descriptor of the process, so that a pid reused
// between the check and the signal is never hit.
bool SignalVerified(int listing, const std::string& name, long pid) {
  long pidfd = syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
  Entry again;
  bool holds = LiveEntry(listing, name, &again) && again.pid == pid;
  if (pidfd < 0) return holds && kill(static_cast<pid_t>(pid), SIGUSR1) == 0;
  bool sent = holds && syscall(SYS_pidfd_send_signal, static_cast<int>(pidfd), SIGUSR1, nullptr, 0) == 0;
  close(static_cast<int>(pidfd));
  return sent;
}

}  // namespace

namespace plat::user {

bool CheckWindowDirectory(std::string* error) {
  return DesktopFolder().empty() || CheckRuntimeFolder(error);
}

void TidyWindowDirectory() {
  if (!HasBackend() || DesktopFolder().empty()) return;
  std::string error;
  Descriptor base(OpenRuntimeFolder(false, &error));
  if (base.get() < 0) return;
  for (const std::string& name : Names(base.get())) {
    Descriptor listing(openat(base.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (listing.get() < 0) continue;
    Sweep(listing.get());
    unlinkat(base.get(), name.c_str(), AT_REMOVEDIR);  // only when nothing is listed any more
  }
  rmdir(RuntimeFolderPath().c_str());  // the same: only when empty
}

void PublishWindow(Window* window) {
  if (window->parent || window->foreignParent || !window->native || !(window->style & WS_VISIBLE)) {
    UnpublishWindow(window);
    return;
  }
  uint64_t id = window->native->nativeId;
  std::string text = EntryText(window);
  auto own = OwnEntries().find(id);
  if (own != OwnEntries().end()) {  // a new title
    Rewrite(own->second, text);
    window->published = true;
    return;
  }
  InstallActivationHandler();  // activation requests arrive as SIGUSR1
  std::string name = EntryName(id);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    Descriptor listing(OpenListing(true));
    if (listing.get() < 0) return;
    Descriptor fd(openat(listing.get(), name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
      if (errno == ENOENT) continue;
      return;
    }
    if (!LockWhole(fd.get(), F_WRLCK, F_SETLK)) return;
    // A sweep may have removed the file between the open and the lock.
    struct stat held, listed;
    if (fstat(fd.get(), &held) != 0 || fstatat(listing.get(), name.c_str(), &listed, AT_SYMLINK_NOFOLLOW) != 0 ||
        held.st_ino != listed.st_ino || held.st_dev != listed.st_dev)
      continue;
    if (!Rewrite(fd.get(), text)) {
      unlinkat(listing.get(), name.c_str(), 0);
      return;
    }
    OwnEntries()[id] = fd.release();
    window->published = true;
    return;
  }
}

void UnpublishWindow(Window* window) {
  if (!window->published || !window->native) return;
  window->published = false;
  uint64_t id = window->native->nativeId;
  auto own = OwnEntries().find(id);
  if (own == OwnEntries().end()) return;
  Descriptor listing(OpenListing(false));
  if (listing.get() >= 0) {
    unlinkat(listing.get(), EntryName(id).c_str(), 0);
    unlinkat(listing.get(), RequestName(id).c_str(), 0);
  }
  close(own->second);
  OwnEntries().erase(own);
}

bool RemoteWindowAlive(uint64_t nativeId) {
  Descriptor listing(OpenListing(false));
  Entry entry;
  return listing.get() >= 0 && LiveEntry(listing.get(), EntryName(nativeId), &entry);
}

bool ActivateRemoteWindow(uint64_t nativeId) {
  Descriptor listing(OpenListing(false));
  Entry entry;
  std::string name = EntryName(nativeId);
  if (listing.get() < 0 || !LiveEntry(listing.get(), name, &entry)) return false;
  std::string request = RequestName(nativeId);
  Descriptor note(openat(listing.get(), request.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (note.get() < 0) return false;
  if (SignalVerified(listing.get(), name, entry.pid)) return true;
  unlinkat(listing.get(), request.c_str(), 0);
  return false;
}

void HandleActivationRequests() {
  if (!TakeActivateRequest()) return;
  Descriptor listing(OpenListing(false));
  if (listing.get() < 0) return;
  std::vector<uint64_t> asked;
  for (const auto& [id, fd] : OwnEntries())
    if (unlinkat(listing.get(), RequestName(id).c_str(), 0) == 0) asked.push_back(id);
  for (uint64_t id : asked) {
    for (auto& [value, window] : S().windows) {
      if (!window->native || window->native->nativeId != id) continue;
      SetForegroundWindow(window->handle);
      // Seen only with ORVANEL_DEBUG set; tells that a second start reached this one.
      std::string note = "window " + std::to_string(id) + " brought to the front for another process\n";
      OutputDebugStringA(note.c_str());
      break;
    }
  }
}

}  // namespace plat::user

extern "C" HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  for (HWND top : S().topLevels) {
    Window* window = Find(top);
    if (window && !window->foreignParent && ClassMatches(lpClassName, window) &&
        NameMatches(lpWindowName, window->text))
      return top;
  }
  if (lpClassName && IS_INTRESOURCE(lpClassName)) return nullptr;  // atoms are this program's own
  Descriptor listing(OpenListing(false));
  if (listing.get() < 0) return nullptr;
  for (const std::string& name : Names(listing.get())) {
    Entry entry;
    if (!LiveEntry(listing.get(), name, &entry)) continue;
    if (NameMatches(lpClassName, entry.className) && NameMatches(lpWindowName, entry.title))
      return reinterpret_cast<HWND>(static_cast<uintptr_t>(entry.nativeId));
  }
  return nullptr;
}
