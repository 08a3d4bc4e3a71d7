#include "kernel/out_of_memory.h"

#include <unistd.h>

#include <exception>
#include <new>

#include "orvanel/host.h"

namespace plat {
namespace {

std::terminate_handler g_previous = nullptr;

void Say(const char* text, size_t length) {
  ssize_t ignored = write(STDERR_FILENO, text, length);
  (void)ignored;
}

[[noreturn]] void OnTerminate() {
  bool outOfMemory = false;
  if (std::exception_ptr pending = std::current_exception()) {
    try {
      std::rethrow_exception(pending);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    } catch (...) {
    }
  }
  if (outOfMemory) {
    // Nothing here may allocate.
    const std::string& name = host::CurrentOptions().programName;
    Say(name.data(), name.size());
    Say(": out of memory\n", 16);
    _exit(1);
  }
  if (g_previous) g_previous();
  std::abort();
}

}  // namespace

void InstallOutOfMemoryEnd() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  g_previous = std::set_terminate(OnTerminate);
}

}  // namespace plat
