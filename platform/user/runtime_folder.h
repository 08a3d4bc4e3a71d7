// The folder where programs of the same user meet: $XDG_RUNTIME_DIR/orvanel,
// or, without a runtime directory, ${TMPDIR:-/tmp}/orvanel-UID. In a shared
// /tmp another user can make a folder of that name first, so a folder is used
// only when it is a real directory (never a symbolic link), owned by this user
// and closed to everyone else.
#pragma once

#include <string>

namespace plat::user {

std::string RuntimeFolderPath();

// False, with a message naming the folder and the fault, when the folder
// exists and must not be used. A missing folder is fine: it is made when needed.
bool CheckRuntimeFolder(std::string* error);

// The folder opened as a directory descriptor (close it), made with mode 0700
// when missing and `make` is set; -1 when it is missing (*error left empty),
// refused or cannot be made (*error says why).
int OpenRuntimeFolder(bool make, std::string* error);

}  // namespace plat::user
