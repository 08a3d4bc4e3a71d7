// PNG previews of the generated pictures, to look at; they are not part of the program.
#pragma once

#include <string>
#include <vector>

#include "indexed_picture.h"

namespace picture_maker {

bool WriteIndexedPng(const std::string& path, const IndexedPicture& picture, const ColourTable& colours);

// All pictures side by side at 1:1 on a backdrop colour, as the stage or a dialog shows them.
bool WriteSheetPng(const std::string& path, const std::vector<IndexedPicture>& pictures,
                   const ColourTable& colours, Rgb backdrop);

}  // namespace picture_maker
