// The last word on memory: an allocation failure that no caller turned into
// a failure value ends the program with a message and exit code 1, instead of
// an abort with a core dump.
#pragma once

namespace plat {

// Once per process; later calls do nothing.
void InstallOutOfMemoryEnd();

}  // namespace plat
