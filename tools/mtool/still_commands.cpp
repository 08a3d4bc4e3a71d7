// mtool's commands for still pictures: BMP, PCX and DCX (one frame per page).
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "media/image_bmp.h"
#include "media/image_dcx.h"
#include "media/image_pcx.h"
#include "mtool/mtool.h"

namespace mtool {
namespace {

std::string Extension(const std::string& path) {
  size_t dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The picture with its header read; none, with the reason given, when it cannot be.
std::unique_ptr<mImageFile> OpenStill(const std::string& path) {
  std::string ext = Extension(path);
  std::unique_ptr<mImageFile> image;
  const char* kind;
  if (ext == "bmp" || ext == "dib") {
    image = std::make_unique<mImageBMP>();
    kind = "not a BMP picture";
  } else if (ext == "dcx") {
    image = std::make_unique<mImageDCX>();
    kind = "not a DCX file";
  } else {
    image = std::make_unique<mImagePCX>();
    kind = "not a PCX picture";
  }
  if (!image->Open(path.c_str(), 0)) {
    Fail(OpenFailure(path));
    return nullptr;
  }
  if (!image->ReadHeader()) {
    Fail(kind);
    return nullptr;
  }
  return image;
}

const char* TagText(uint32_t tag, char out[5]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((tag >> (8 * i)) & 0xFF);
  out[4] = '\0';
  return out;
}

// Page `page` drawn into an 8-bit bitmap of its size: indices top row first,
// then the colours the indices mean (the picture's, or the bitmap's own
// table for true-colour pictures, which are matched to it).
bool DecodePage(mImageFile& image, int page, std::vector<uint8_t>* out, int* width, int* height) {
  const std::string failure = "page " + std::to_string(page) + " cannot be read";
  if (page > 0 && image.SeekFrame(page, 0) != page) return Fail(failure) == 0;
  const mImageFile::FrameRecord* frame = image.GetFrameRecord();
  *width = frame->frameWidth;
  *height = frame->frameHeight;
  mBitmap target(*width, -*height, 8);
  if (frame->palette) target.SetColours(frame->palette, 0, 256);
  image.SetTarget(&target);
  int shown = image.ReadFrame(0, 0, nullptr);
  image.SetTarget(nullptr);
  if (shown < 0) return Fail(failure) == 0;
  const BitmapDesc& d = *target.desc;
  for (int y = 0; y < *height; ++y) {
    const uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    out->insert(out->end(), row, row + *width);
  }
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& c = d.colours[i];
    out->insert(out->end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  }
  return true;
}

}  // namespace

bool IsStill(const std::string& path) {
  std::string ext = Extension(path);
  return ext == "bmp" || ext == "dib" || ext == "pcx" || ext == "dcx";
}

int StillInfo(const std::string& path) {
  auto image = OpenStill(path);
  if (!image) return 1;
  const mImageFile::FileRecord* file = image->GetFileRecord();
  const mImageFile::FrameRecord* frame = image->GetFrameRecord();
  char tag[5];
  std::printf("format      %s\n", TagText(file->formatTag, tag));
  std::printf("size        %d x %d\n", file->width, file->height);
  std::printf("frames      %d\n", file->frameCount);
  std::printf("depth       %d bits x %d planes\n", frame->depth, frame->planes);
  std::printf("palette     %s\n", frame->palette ? "yes" : "none (true colour)");
  std::printf("data size   %d\n", file->fileSize);
  image->Close();
  return ErrorReported() ? 1 : 0;
}

int StillChunks(const std::string& path) {
  auto image = OpenStill(path);
  if (!image) return 1;
  int pages = std::max(1, static_cast<int>(image->GetFileRecord()->frameCount));
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && image->SeekFrame(page, 0) != page) return Fail("page " + std::to_string(page) + " cannot be read");
    const mImageFile::FrameRecord* frame = image->GetFrameRecord();
    std::printf("page %d: %d x %d, %d bits x %d planes, %s\n", page, frame->frameWidth, frame->frameHeight,
                frame->depth, frame->planes, frame->palette ? "palette" : "true colour");
  }
  image->Close();
  return ErrorReported() ? 1 : 0;
}

int StillFrames(const std::string& path, const std::string& outPath) {
  auto image = OpenStill(path);
  if (!image) return 1;
  std::vector<uint8_t> out;
  int pages = std::max(1, static_cast<int>(image->GetFileRecord()->frameCount));
  for (int page = 0; page < pages; ++page) {
    int width, height;
    if (!DecodePage(*image, page, &out, &width, &height)) return 1;
  }
  image->Close();
  FILE* file = std::fopen(outPath.c_str(), "wb");
  if (!file) return FailFile(outPath, WriteFailure());
  bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  written &= std::fclose(file) == 0;
  if (!written) return FailFile(outPath, WriteFailure());
  return ErrorReported() ? 1 : 0;
}

int StillPng(const std::string& path, const std::string& dir) {
  auto image = OpenStill(path);
  if (!image) return 1;
  std::error_code ignored;  // a folder that cannot be made fails at its first file
  std::filesystem::create_directories(dir, ignored);
  int pages = std::max(1, static_cast<int>(image->GetFileRecord()->frameCount));
  for (int page = 0; page < pages; ++page) {
    std::vector<uint8_t> out;
    int width, height;
    if (!DecodePage(*image, page, &out, &width, &height)) return 1;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.png", page);
    const size_t pixels = static_cast<size_t>(width) * height;
    if (!WritePalettePng(dir + name, width, height, out.data(), out.data() + pixels))
      return FailFile(dir + name, WriteFailure());
  }
  image->Close();
  return ErrorReported() ? 1 : 0;
}

int StillDecode(const std::string& path, int loops) {
  auto image = OpenStill(path);
  if (!image) return 1;
  const mImageFile::FrameRecord* frame = image->GetFrameRecord();
  // Drawn into a bitmap like the stage's, so the timing includes the copy;
  // every page is the size of the first one in a DCX, larger ones are clipped.
  mBitmap target(frame->frameWidth, frame->frameHeight, 8);
  if (frame->palette) target.SetColours(frame->palette, 0, 256);
  image->SetTarget(&target);
  int pages = std::max(1, static_cast<int>(image->GetFileRecord()->frameCount));
  auto start = std::chrono::steady_clock::now();
  long decoded = 0;
  bool ok = true;
  for (int loop = 0; loop < loops && ok; ++loop) {
    for (int page = 0; page < pages && ok; ++page) {
      ok = (image->SeekFrame(page, 0) == page && image->ReadFrame(0, 0, nullptr) >= 0) ||
           Fail("page " + std::to_string(page) + " cannot be read") == 0;
      ++decoded;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%ld pictures in %.3f s: %.1f pictures per second\n", decoded, seconds,
              seconds > 0 ? decoded / seconds : 0.0);
  image->SetTarget(nullptr);
  image->Close();
  return ok && !ErrorReported() ? 0 : 1;
}

}  // namespace mtool
