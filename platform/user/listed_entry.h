// One listed window: a file "<native id>.win" in a listing folder holding
// four lines: process id, class name, title, native id. An entry counts only
// while the process that wrote it holds a write lock on it. The lock goes with
// the process however it ends, so an entry left behind is never taken for a
// running program (its process id may belong to a stranger by then).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::user {

struct ListedWindow {
  long pid = 0;  // the process holding the entry
  std::string className;
  std::string title;
  uint64_t nativeId = 0;
};

// A file descriptor closed when it goes out of scope.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();
  int get() const { return fd_; }
  int release();

 private:
  int fd_;
};

// Lists this process's window in `folder`, or writes the new text of one it
// lists already (folder is not used then). False when it cannot; errno ENOENT
// when the folder was removed meanwhile (make it again and retry).
bool HoldEntry(int folder, uint64_t nativeId, const std::string& className, const std::string& title);
bool HoldsEntry(uint64_t nativeId);
std::vector<uint64_t> HeldEntries();
// Takes this process's entry out of `folder` (-1: only lets go of it).
void ReleaseEntry(int folder, uint64_t nativeId);

// The entry of another living process; a stale one is removed with its
// activation request. Entries this process holds are never opened: closing
// any descriptor of a file drops the process's lock on it.
bool ReadListedWindow(int folder, uint64_t nativeId, ListedWindow* window);
// The native ids of the entries in `folder`.
std::vector<uint64_t> ListedIds(int folder);
// Removes what programs that ended without tidying left in `folder`.
void SweepStale(int folder);

// Names in a folder, "." and ".." left out.
std::vector<std::string> FolderNames(int folder);
std::string RequestName(uint64_t nativeId);  // "<native id>.activate"

}  // namespace plat::user
