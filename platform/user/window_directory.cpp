// Visible top-level windows are listed for the other programs of the same
// user on the same display, one small file per window, so that FindWindowA
// and SetForegroundWindow work across processes as they do on Windows. A
// found window is named by its native id (as a window handle given on the
// command line is).
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/signals.h"
#include "orvanel/host.h"
#include "user/user_state.h"

namespace fs = std::filesystem;
using namespace plat;
using namespace plat::user;

namespace {

struct Entry {
  long pid = 0;
  std::string className;
  std::string title;
  uint64_t nativeId = 0;
};

std::string Directory() {
  std::string display;
  if (std::string(CurrentBackend().Name()) == "headless") {
    display = host::CurrentOptions().windowDirectory;
    if (display.empty()) display = "headless";
  } else {
    const char* name = std::getenv("DISPLAY");
    display = name && *name ? name : "default";
  }
  for (char& c : display)
    if (c == '/') c = '_';
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime && *runtime ? std::string(runtime) + "/orvanel"
                                         : "/tmp/orvanel-" + std::to_string(static_cast<long>(getuid()));
  std::error_code ignored;
  fs::create_directories(base, ignored);
  ::chmod(base.c_str(), 0700);
  std::string dir = base + "/" + display;
  fs::create_directories(dir, ignored);
  return dir;
}

std::string EntryPath(uint64_t nativeId) { return Directory() + "/" + std::to_string(nativeId) + ".win"; }

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

bool ReadEntry(const std::string& path, Entry* entry) {
  std::ifstream in(path);
  std::string pid, id;
  if (!std::getline(in, pid) || !std::getline(in, entry->className) || !std::getline(in, entry->title) ||
      !std::getline(in, id))
    return false;
  char* end = nullptr;
  entry->pid = std::strtol(pid.c_str(), &end, 10);
  if (*end || entry->pid <= 0) return false;
  entry->nativeId = std::strtoull(id.c_str(), &end, 10);
  return !*end && entry->nativeId != 0;
}

bool ProcessAlive(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Reads an entry of another living process; stale entries are removed.
bool LiveEntry(const std::string& path, Entry* entry) {
  if (!ReadEntry(path, entry)) return false;
  if (entry->pid == static_cast<long>(getpid())) return false;
  if (ProcessAlive(entry->pid)) return true;
  std::error_code ignored;
  fs::remove(path, ignored);
  return false;
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

void TidyWindowDirectory() {
  if (!HasBackend()) return;
  std::error_code ignored;
  fs::remove(Directory(), ignored);  // only when no window is listed any more
}

void PublishWindow(Window* window) {
  if (window->parent || window->foreignParent || !window->native || !(window->style & WS_VISIBLE)) {
    UnpublishWindow(window);
    return;
  }
  InstallActivationHandler();  // activation requests arrive as SIGUSR1
  std::string path = EntryPath(window->native->nativeId);
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << getpid() << '\n'
        << OneLine(window->cls->name) << '\n'
        << OneLine(window->text) << '\n'
        << window->native->nativeId << '\n';
    if (!out) return;
  }
  std::error_code error;
  fs::rename(temp, path, error);
  window->published = !error;
}

void UnpublishWindow(Window* window) {
  if (!window->published || !window->native) return;
  window->published = false;
  std::error_code ignored;
  fs::remove(EntryPath(window->native->nativeId), ignored);
}

bool RemoteWindowAlive(uint64_t nativeId) {
  Entry entry;
  std::string path = EntryPath(nativeId);
  return fs::exists(path) && LiveEntry(path, &entry);
}

bool ActivateRemoteWindow(uint64_t nativeId) {
  Entry entry;
  if (!LiveEntry(EntryPath(nativeId), &entry)) return false;
  std::string request = Directory() + "/" + std::to_string(entry.pid) + ".activate";
  {
    std::ofstream out(request + ".tmp", std::ios::trunc);
    out << nativeId << '\n';
    if (!out) return false;
  }
  std::error_code error;
  fs::rename(request + ".tmp", request, error);
  return !error && kill(static_cast<pid_t>(entry.pid), SIGUSR1) == 0;
}

void HandleActivationRequests() {
  if (!TakeActivateRequest()) return;
  std::string request = Directory() + "/" + std::to_string(static_cast<long>(getpid())) + ".activate";
  uint64_t id = 0;
  {
    std::ifstream in(request);
    in >> id;
  }
  std::error_code ignored;
  fs::remove(request, ignored);
  for (auto& [value, window] : S().windows) {
    if (window->native && window->native->nativeId == id) {
      HWND hwnd = window->handle;
      SetForegroundWindow(hwnd);
      // Seen only with ORVANEL_DEBUG set; tells that a second start reached this one.
      std::string note = "window " + std::to_string(id) + " brought to the front for another process\n";
      OutputDebugStringA(note.c_str());
      return;
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
  std::error_code error;
  for (const auto& item : fs::directory_iterator(Directory(), error)) {
    if (item.path().extension() != ".win") continue;
    Entry entry;
    if (!LiveEntry(item.path().string(), &entry)) continue;
    if (NameMatches(lpClassName, entry.className) && NameMatches(lpWindowName, entry.title))
      return reinterpret_cast<HWND>(static_cast<uintptr_t>(entry.nativeId));
  }
  return nullptr;
}
