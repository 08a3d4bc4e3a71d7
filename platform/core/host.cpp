#include "orvanel/host.h"

#include <errno.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/backend.h"
#include "core/draw_target.h"
#include "core/lifecycle.h"
#include "core/screen_scale.h"
#include "kernel/out_of_memory.h"
#include "user/window_directory.h"

namespace plat {
namespace {

std::unique_ptr<Backend> g_backend;
host::Options g_options;
bool g_initialised = false;
std::vector<ResetFunction>& Resets() {
  static std::vector<ResetFunction> resets;
  return resets;
}

}  // namespace

void RegisterReset(ResetFunction fn) {
  for (ResetFunction existing : Resets())
    if (existing == fn) return;
  Resets().push_back(fn);
}

void RunResets() {
  // Newest first: later areas build on earlier ones.
  auto& resets = Resets();
  for (auto it = resets.rbegin(); it != resets.rend(); ++it) (*it)();
}

bool HasBackend() { return g_backend != nullptr; }

Backend& CurrentBackend() {
  if (!g_backend) {
    std::string error;
    if (!host::Init(g_options, &error)) {
      std::fprintf(stderr, "%s: %s\n", g_options.programName.c_str(), error.c_str());
      std::exit(1);
    }
  }
  return *g_backend;
}

Surface* ScreenSurface() { return g_backend ? g_backend->ScreenSurface() : nullptr; }

}  // namespace plat

namespace host {

using plat::kMaxScreenScale;

bool Init(const Options& options, std::string* error) {
  if (plat::g_initialised) return true;
  plat::InstallOutOfMemoryEnd();
  plat::g_options = options;
  if (plat::g_options.programName.empty()) plat::g_options.programName = program_invocation_short_name;
  if (plat::g_options.programTitle.empty()) plat::g_options.programTitle = plat::g_options.programName;
  int count = 0;
  const plat::BackendEntry* table = plat::BackendTable(&count);
  std::string why;
  for (int i = 0; i < count; ++i) {
    const plat::BackendEntry& entry = table[i];
    bool named = !options.backend.empty();
    if (named && options.backend != entry.name) continue;
    if (!entry.available(plat::g_options)) {
      if (named) why = std::string("backend '") + entry.name + "' is not available here";
      continue;
    }
    plat::g_backend = entry.create(plat::g_options, &why);
    if (plat::g_backend && !plat::user::CheckWindowDirectory(&why)) {
      plat::g_backend.reset();
      break;
    }
    if (plat::g_backend) {
      plat::g_initialised = true;
      return true;
    }
    // An available backend that fails (a display named but unusable) is
    // an error to report, not a reason to run unseen on the next one.
    break;
  }
  if (why.empty()) why = options.backend.empty() ? "no backend can run here" : "unknown backend '" + options.backend + "'";
  if (error) *error = why;
  return false;
}

void Shutdown() {
  if (!plat::g_initialised) return;
  plat::RunResets();
  plat::g_backend.reset();
  plat::g_initialised = false;
}

bool IsInitialised() { return plat::g_initialised; }

const Options& CurrentOptions() { return plat::g_options; }

namespace {

bool ParseScreen(const std::string& text, Options* options, std::string* error) {
  int w = 0, h = 0, d = 0;
  char tail = 0;
  int n = std::sscanf(text.c_str(), "%dx%dx%d%c", &w, &h, &d, &tail);
  if (n == 2 || n == 3) {
    if (n == 2) d = 24;
    if (w >= 16 && h >= 16 && w <= 16384 && h <= 16384 && (d == 8 || d == 24 || d == 32)) {
      options->width = w;
      options->height = h;
      options->depth = d == 32 ? 24 : d;
      return true;
    }
  }
  *error = "--headless expects WIDTHxHEIGHT or WIDTHxHEIGHTxDEPTH (depth 8 or 24), got '" + text + "'";
  return false;
}

bool ParseNumber(const std::string& name, const std::string& text, double* out, std::string* error) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || value < 0) {
    *error = name + " expects a number of zero or more, got '" + text + "'";
    return false;
  }
  *out = value;
  return true;
}

bool ParseScale(const std::string& text, Options* options, std::string* error) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 1 || value > kMaxScreenScale) {
    *error = "--scale expects a whole number from 1 to " + std::to_string(kMaxScreenScale) + ", got '" + text + "'";
    return false;
  }
  options->scale = static_cast<int>(value);
  return true;
}

}  // namespace

bool ParseHostOptions(const std::vector<std::string>& args, Options* options, std::vector<std::string>* rest,
                      std::string* error) {
  std::string message;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto valueOf = [&](const std::string& name, std::string* value) -> bool {
      // --name=value or --name value
      if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        *value = arg.substr(name.size() + 1);
        return true;
      }
      if (arg == name) {
        if (i + 1 >= args.size()) {
          message = name + " needs a value";
          return false;
        }
        *value = args[++i];
        return true;
      }
      return false;
    };
    std::string value;
    if (arg == "--headless") {
      options->backend = "headless";
    } else if (arg.rfind("--headless=", 0) == 0) {
      options->backend = "headless";
      if (!ParseScreen(arg.substr(11), options, &message)) break;
    } else if (arg == "--realtime") {
      options->realTime = true;
    } else if (arg == "--windows95") {
      options->windows95Family = true;
    } else if (valueOf("--backend", &value)) {
      options->backend = value;
    } else if (valueOf("--scale", &value)) {
      if (!ParseScale(value, options, &message)) break;
    } else if (valueOf("--seconds", &value)) {
      if (!ParseNumber("--seconds", value, &options->seconds, &message)) break;
    } else if (valueOf("--seed", &value)) {
      double seed = 0;
      if (!ParseNumber("--seed", value, &seed, &message)) break;
      options->hasSeed = true;
      options->seed = static_cast<unsigned>(seed);
    } else if (valueOf("--screenshot", &value)) {
      options->screenshot = value;
    } else if (valueOf("--record", &value)) {
      options->recordDir = value;
    } else if (!message.empty()) {
      break;
    } else {
      rest->push_back(arg);
    }
    if (!message.empty()) break;
  }
  if (!message.empty()) {
    if (error) *error = message;
    return false;
  }
  return true;
}

uint64_t CreatePlainWindow(int width, int height, const std::string& title) {
  return plat::HasBackend() ? plat::CurrentBackend().CreatePlainWindow(width, height, title) : 0;
}

}  // namespace host
