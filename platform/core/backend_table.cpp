#include "core/backend.h"

namespace plat {

std::unique_ptr<Backend> CreateHeadlessBackend(const host::Options& options, std::string* error);
#ifdef ORVANEL_HAVE_SDL2
bool SdlBackendAvailable(const host::Options& options);
std::unique_ptr<Backend> CreateSdlBackend(const host::Options& options, std::string* error);
#endif

namespace {
bool AlwaysAvailable(const host::Options&) { return true; }
}  // namespace

// Tried in order when no backend is named: a real display first; the
// headless screen only when no display is named at all.
const BackendEntry* BackendTable(int* count) {
  static const BackendEntry table[] = {
#ifdef ORVANEL_HAVE_SDL2
      {"sdl2", SdlBackendAvailable, CreateSdlBackend},
#endif
      {"headless", AlwaysAvailable, CreateHeadlessBackend},
  };
  *count = static_cast<int>(sizeof table / sizeof table[0]);
  return table;
}

}  // namespace plat
