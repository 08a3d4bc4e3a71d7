// The listing of windows that other programs of the same user on the same
// desktop can find (window_directory.cpp).
#pragma once

#include <string>

namespace plat::user {

// False, with a message, when this desktop has a listing and the runtime
// folder that holds it must not be used.
bool CheckWindowDirectory(std::string* error);

}  // namespace plat::user
