// SIGTERM and SIGINT end the program through its normal close path: the
// handler only raises a flag that the event wait picks up.
#pragma once

namespace plat::sdl {

void InstallTerminateHandlers();
void RestoreTerminateHandlers();
// True once for every time a signal arrived since the last call.
bool TakeTerminateRequest();

}  // namespace plat::sdl
