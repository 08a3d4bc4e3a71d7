// Making the image object that reads a file, by the file name's extension.
#pragma once

#include <string>

class mImageFile;

// Up to three characters after the first '.' of name (not past another
// '.'), upper-cased; empty without a '.'.
std::string ImageExtension(const char* name);

// A new, unopened image for BMP, AVI, FLI, FLC, PCX and DCX names; none (and
// "File type error" reported with the extension) for others.
mImageFile* MakeImageForFile(const char* name);
