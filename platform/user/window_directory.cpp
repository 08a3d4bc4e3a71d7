// Visible top-level windows are listed for the other programs of the same
// user on the same desktop, one small file per window (listed_entry.h), so
// that FindWindowA and SetForegroundWindow work across processes as they do on
// Windows. A found window is named by its native id (as a window handle given
// on the command line is).
//
// A desktop is what the backend names (an X display, a headless screen given
// a name); a screen with no name is a desktop of its own and lists nothing. Each desktop has
// a listing folder in the runtime folder (runtime_folder.h). An activation
// request is a file "<native id>.activate" beside the entry and a SIGUSR1 to
// the process that holds the entry.
#include "user/window_directory.h"

#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/signals.h"
#include "orvanel/host.h"
#include "user/listed_entry.h"
#include "user/runtime_folder.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

constexpr int kAttempts = 4;  // another program may remove an empty folder between two steps

// Letters, digits and ":._-" only, never "." or ".." or a hidden name.
std::string FolderName(std::string name) {
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ':' && c != '.' && c != '-' && c != '_') c = '_';
  if (name.size() > 100) name.resize(100);
  if (name.empty() || name[0] == '.') name = "_" + name;
  return name;
}

// The folder of this desktop's listing; "" for a screen of its own.
std::string DesktopFolder() {
  std::string name = CurrentBackend().DesktopName();
  return name.empty() ? "" : FolderName(name);
}

void WarnOnce(const std::string& error) {
  static bool warned = false;
  if (warned || error.empty()) return;
  warned = true;
  std::fprintf(stderr, "%s: %s (its windows are not listed for other programs)\n",
               host::CurrentOptions().programName.c_str(), error.c_str());
}

// The listing folder of this desktop, made when `make` is set; -1 when there
// is none (yet).
int OpenListing(bool make) {
  std::string desktop = DesktopFolder();
  if (desktop.empty()) return -1;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string error;
    UniqueFd base(OpenRuntimeFolder(make, &error));
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

// Signals the process through a descriptor of it, checking after taking the
// descriptor that it still holds the entry: a process id reused in between is
// never hit.
bool SignalHolder(int listing, uint64_t nativeId, long pid) {
  long pidfd = syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
  ListedWindow again;
  bool holds = ReadListedWindow(listing, nativeId, &again) && again.pid == pid;
  if (pidfd < 0) return holds && kill(static_cast<pid_t>(pid), SIGUSR1) == 0;
  bool sent = holds && syscall(SYS_pidfd_send_signal, static_cast<int>(pidfd), SIGUSR1, nullptr, 0) == 0;
  close(static_cast<int>(pidfd));
  return sent;
}

bool NameMatches(LPCSTR wanted, const std::string& actual) {
  return !wanted || strcasecmp(wanted, actual.c_str()) == 0;
}

bool ClassMatches(LPCSTR wanted, const Window* window) {
  if (!wanted) return true;
  if (IS_INTRESOURCE(wanted)) return window->cls->atom == reinterpret_cast<uintptr_t>(wanted);
  return strcasecmp(wanted, window->cls->name.c_str()) == 0;
}

}  // namespace

namespace plat::user {

bool CheckWindowDirectory(std::string* error) {
  return DesktopFolder().empty() || CheckRuntimeFolder(error);
}

void TidyWindowDirectory() {
  if (!HasBackend() || DesktopFolder().empty()) return;
  std::string error;
  UniqueFd base(OpenRuntimeFolder(false, &error));
  if (base.get() < 0) return;
  for (const std::string& name : FolderNames(base.get())) {
    UniqueFd listing(openat(base.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (listing.get() < 0) continue;
    SweepStale(listing.get());
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
  if (HoldsEntry(id)) {  // a new title
    HoldEntry(-1, id, window->cls->name, window->text);
    window->published = true;
    return;
  }
  InstallActivationHandler();  // activation requests arrive as SIGUSR1
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    UniqueFd listing(OpenListing(true));
    if (listing.get() < 0) return;
    if (HoldEntry(listing.get(), id, window->cls->name, window->text)) {
      window->published = true;
      return;
    }
    if (errno != ENOENT) return;
  }
}

void UnpublishWindow(Window* window) {
  if (!window->published || !window->native) return;
  window->published = false;
  UniqueFd listing(OpenListing(false));
  ReleaseEntry(listing.get(), window->native->nativeId);
}

bool RemoteWindowAlive(uint64_t nativeId) {
  UniqueFd listing(OpenListing(false));
  ListedWindow listed;
  return listing.get() >= 0 && ReadListedWindow(listing.get(), nativeId, &listed);
}

bool ActivateRemoteWindow(uint64_t nativeId) {
  UniqueFd listing(OpenListing(false));
  ListedWindow listed;
  if (listing.get() < 0 || !ReadListedWindow(listing.get(), nativeId, &listed)) return false;
  std::string request = RequestName(nativeId);
  UniqueFd note(openat(listing.get(), request.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (note.get() < 0) return false;
  if (SignalHolder(listing.get(), nativeId, listed.pid)) return true;
  unlinkat(listing.get(), request.c_str(), 0);
  return false;
}

void HandleActivationRequests() {
  if (!TakeActivateRequest()) return;
  UniqueFd listing(OpenListing(false));
  if (listing.get() < 0) return;
  std::vector<uint64_t> asked;
  for (uint64_t id : HeldEntries())
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
  UniqueFd listing(OpenListing(false));
  if (listing.get() < 0) return nullptr;
  for (uint64_t id : ListedIds(listing.get())) {
    ListedWindow listed;
    if (!ReadListedWindow(listing.get(), id, &listed)) continue;
    if (NameMatches(lpClassName, listed.className) && NameMatches(lpWindowName, listed.title))
      return reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
  }
  return nullptr;
}
