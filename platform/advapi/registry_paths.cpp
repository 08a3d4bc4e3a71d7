#include "advapi/registry_paths.h"

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "orvanel/host.h"

namespace plat {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel allows in one path

bool IsAbsolute(const char* path) { return path && path[0] == '/'; }

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PasswordDatabaseHome() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return "";
  return IsAbsolute(found->pw_dir) ? found->pw_dir : "";
}

}  // namespace

std::string ChooseConfigDirectory(const std::string& configured, const std::string& program,
                                  const char* xdgConfigHome, const char* home, const char* passwordHome) {
  if (!configured.empty()) return configured;
  if (IsAbsolute(xdgConfigHome)) return std::string(xdgConfigHome) + "/" + program;
  // With no home, the working directory would be a stranger's place to keep
  // the settings in.
  const char* base = IsAbsolute(home) ? home : IsAbsolute(passwordHome) ? passwordHome : nullptr;
  return base ? std::string(base) + "/.config/" + program : "";
}

std::string ConfigDirectory() {
  const char* home = std::getenv("HOME");
  std::string passwordHome = IsAbsolute(home) ? "" : PasswordDatabaseHome();
  const host::Options& options = host::CurrentOptions();
  return ChooseConfigDirectory(options.configDir, options.programName, std::getenv("XDG_CONFIG_HOME"), home,
                               passwordHome.c_str());
}

std::string WriteTarget(const std::string& path) {
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    char target[4096];
    ssize_t length = readlink(current.c_str(), target, sizeof target);
    // Not a link (or not there yet): this is the file to replace.
    if (length < 0) return current;
    if (static_cast<size_t>(length) == sizeof target) return "";
    std::string next(target, static_cast<size_t>(length));
    current = next[0] == '/' ? next : DirectoryOf(current) + "/" + next;
  }
  return "";
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TemporaryFor(const std::string& target) {
  return target + ".tmp-" + std::to_string(static_cast<long>(getpid()));
}

void RemoveStaleTemporaries(const std::string& target) {
  const std::string directory = DirectoryOf(target);
  const std::string prefix = NameOf(target) + ".tmp-";
  DIR* listing = opendir(directory.c_str());
  if (!listing) return;
  std::vector<std::string> stale;
  while (dirent* entry = readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) continue;
    const char* digits = name + prefix.size();
    if (*digits && std::strspn(digits, "0123456789") == std::strlen(digits)) stale.push_back(name);
  }
  closedir(listing);
  for (const std::string& name : stale) unlink((directory + "/" + name).c_str());
}

}  // namespace plat
