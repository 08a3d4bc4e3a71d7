#include "media/image_factory.h"

#include <cctype>
#include <cstring>
#include <new>

#include "media/image_avi.h"
#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_flic.h"
#include "media/image_pcx.h"

std::string ImageExtension(const char* name) {
  std::string extension;
  const char* dot = name ? std::strchr(name, '.') : nullptr;
  if (!dot) return extension;
  for (const char* c = dot + 1; *c != '\0' && *c != '.' && extension.size() < 3; ++c)
    extension += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
  return extension;
}

mImageFile* MakeImageForFile(const char* name) {
  const std::string extension = ImageExtension(name);
  if (extension == "BMP") return new (std::nothrow) mImageBMP;
  if (extension == "AVI") return new (std::nothrow) mImageAVI;
  if (extension == "FLI" || extension == "FLC") return new (std::nothrow) mImageFlic;
  if (extension == "PCX") return new (std::nothrow) mImagePCX;
  if (extension == "DCX") return new (std::nothrow) mImageDCX;
  // The report needs an object; a passing one is enough.
  mObject reporter;
  reporter.ReportError(kClassImageBitmap, kErrFileType, extension.c_str());
  return nullptr;
}
