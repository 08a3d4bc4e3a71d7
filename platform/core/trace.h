// Trace channels: what the layer says about its own work on standard error
// when $ORVANEL_DEBUG names the channel ("fixme", a list such as
// "fixme,other", or "all").
#pragma once

#include <atomic>

namespace plat {

// True when $ORVANEL_DEBUG names the channel, or "all".
bool TraceChannelOn(const char* channel);

// "<program>: <channel>: <message>" on standard error.
void TracePrint(const char* channel, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace plat

// A Win32 request the layer refuses or carries out only in part where
// Windows would do it: said once per call site on the "fixme" channel.
#define PLAT_FIXME(...)                                                                        \
  do {                                                                                         \
    static std::atomic<bool> platFixmeSaid{false};                                             \
    if (!platFixmeSaid.load(std::memory_order_relaxed) && ::plat::TraceChannelOn("fixme") &&   \
        !platFixmeSaid.exchange(true))                                                         \
      ::plat::TracePrint("fixme", __VA_ARGS__);                                                \
  } while (0)
