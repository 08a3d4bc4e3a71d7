// Test view of the global memory blocks (GlobalAlloc). Blocks still
// allocated at host::Shutdown are freed then; tests that want to catch a
// block their code forgot ask here before shutting down.
#pragma once

#include <cstddef>

namespace host {

// Global memory blocks allocated and not yet freed.
size_t LiveGlobalBlocks();

}  // namespace host
