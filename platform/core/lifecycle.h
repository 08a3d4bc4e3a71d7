// Start and end of the Win32 layer: areas that keep process state register
// a reset here, so that host::Shutdown leaves nothing behind (tests start
// and stop the layer many times in one process).
#pragma once

namespace plat {

using ResetFunction = void (*)();

// Registers fn to run at every host::Shutdown, before the backend goes.
// Registration is idempotent per function.
void RegisterReset(ResetFunction fn);
void RunResets();

}  // namespace plat
