#include "core/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "orvanel/host.h"

namespace plat {

bool TraceChannelOn(const char* channel) {
  const char* list = std::getenv("ORVANEL_DEBUG");
  if (!list) return false;
  const size_t length = std::strlen(channel);
  // Names are separated by commas or blanks.
  for (const char* at = list; *at;) {
    size_t word = std::strcspn(at, ", \t");
    if ((word == length && std::strncmp(at, channel, length) == 0) || (word == 3 && std::strncmp(at, "all", 3) == 0))
      return true;
    at += word;
    if (*at) ++at;
  }
  return false;
}

void TracePrint(const char* channel, const char* format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  std::fprintf(stderr, "%s: %s: %s\n", host::CurrentOptions().programName.c_str(), channel, message);
}

}  // namespace plat
