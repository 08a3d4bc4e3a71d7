#include "advapi/registry_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <thread>

namespace plat {
namespace {

constexpr uint32_t kDefaultWaitMs = 3000;
constexpr auto kRetryEvery = std::chrono::milliseconds(10);

struct HeldLock {
  int fd = -1;
  pid_t owner = 0;  // a child made by fork shares the parent's lock, not its ownership
  std::string path;
  std::set<const void*> holders;
};

HeldLock g_lock;
uint32_t g_waitMs = kDefaultWaitMs;
// When the last wait ran out: for as long again, the lock is only tried, so
// that the several reads of a start wait once, not once each.
std::chrono::steady_clock::time_point g_gaveUp;
bool g_gaveUpOnce = false;

void Forget() {
  g_lock.fd = -1;
  g_lock.path.clear();
  g_lock.holders.clear();
}

// Waits for the lock without blocking for good: a process that holds it and
// hangs must not hang every other.
bool LockWithin(int fd, uint32_t milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kRetryEvery);
  }
}

}  // namespace

LONG AcquireRegistryLock(const std::string& lockPath, const void* holder) {
  if (g_lock.fd >= 0 && g_lock.owner != getpid()) {
    // Inherited through fork: closing this copy leaves the parent's lock be.
    close(g_lock.fd);
    Forget();
  }
  if (g_lock.fd >= 0 && g_lock.path == lockPath) {
    g_lock.holders.insert(holder);
    return ERROR_SUCCESS;
  }
  if (g_lock.fd >= 0) ReleaseAllRegistryLocks();  // the settings moved elsewhere
  int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return ERROR_ACCESS_DENIED;
  const auto now = std::chrono::steady_clock::now();
  const bool justGaveUp = g_gaveUpOnce && now - g_gaveUp < std::chrono::milliseconds(g_waitMs);
  if (!LockWithin(fd, justGaveUp ? 0 : g_waitMs)) {
    close(fd);
    if (!justGaveUp) g_gaveUp = std::chrono::steady_clock::now();
    g_gaveUpOnce = true;
    return ERROR_LOCK_VIOLATION;
  }
  g_lock.fd = fd;
  g_lock.owner = getpid();
  g_lock.path = lockPath;
  g_lock.holders.insert(holder);
  return ERROR_SUCCESS;
}

void ReleaseRegistryLock(const void* holder) {
  if (!g_lock.holders.erase(holder) || !g_lock.holders.empty()) return;
  ReleaseAllRegistryLocks();
}

void ReleaseAllRegistryLocks() {
  if (g_lock.fd < 0) return;
  if (g_lock.owner == getpid()) flock(g_lock.fd, LOCK_UN);
  close(g_lock.fd);
  Forget();
}

void SetRegistryLockWait(uint32_t milliseconds) { g_waitMs = milliseconds; }
uint32_t RegistryLockWait() { return g_waitMs; }

}  // namespace plat
