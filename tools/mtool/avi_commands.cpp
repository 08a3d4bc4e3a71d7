// mtool's AVI commands: header facts, and every frame through the decompressor.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "media/image_avi.h"
#include "mtool/mtool.h"

namespace mtool {
namespace {

struct OpenMovie {
  std::unique_ptr<mImageAVI> image;
  std::unique_ptr<mBitmap> target;
};

OpenMovie OpenAvi(const std::string& path) {
  OpenMovie movie;
  auto image = std::make_unique<mImageAVI>();
  if (!image->Open(path.c_str(), 0)) {
    Fail(OpenFailure(path));
    return movie;
  }
  if (!image->ReadHeader()) {
    Fail("not an AVI movie of 8-bit pictures this engine can show");
    image->Close();
    return movie;
  }
  const auto* frame = image->GetFrameRecord();
  movie.target = std::make_unique<mBitmap>(frame->frameWidth, -frame->frameHeight, 8);
  image->SetTarget(movie.target.get());
  movie.image = std::move(image);
  return movie;
}

void CloseAvi(OpenMovie& movie) {
  movie.image->SetTarget(nullptr);
  movie.image->Close();
}

std::string CodeText(uint32_t code) {
  if (code == BI_RGB) return "uncompressed";
  if (code == BI_RLE8) return "RLE8";
  std::string text;
  for (int i = 0; i < 4; ++i) {
    char c = static_cast<char>((code >> (8 * i)) & 0xFF);
    text += std::isprint(static_cast<unsigned char>(c)) ? c : '.';
  }
  return text;
}

// The frame in the frame bitmap as mtool frames writes it: rows top first, then the colours.
void AppendFrame(const mImageAVI& image, std::vector<uint8_t>& out) {
  const BitmapDesc& d = *image.FrameBitmap()->desc;
  for (int y = 0; y < d.height; ++y) {
    const uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    out.insert(out.end(), row, row + d.width);
  }
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& c = d.colours[i];
    out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  }
}

// Calls fn(frame) for every frame in order. False when a frame fails.
template <typename Fn>
bool EachFrame(mImageAVI& image, Fn fn) {
  int count = image.GetFileRecord()->frameCount;
  for (int i = 0; i < count; ++i) {
    if (image.SeekFrame(i, 0) != i || image.ReadFrame(0, 0, nullptr) != i)
      return Fail("frame " + std::to_string(i) + " cannot be read") == 0;
    if (!fn(i)) return false;
  }
  return true;
}

}  // namespace

bool IsAvi(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char head[12] = {};
  size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && std::string(head, 4) == "RIFF" && std::string(head + 8, 4) == "AVI ";
}

int AviInfo(const std::string& path) {
  OpenMovie movie = OpenAvi(path);
  if (!movie.image) return 1;
  const mImageAVI& image = *movie.image;
  const auto* file = image.GetFileRecord();
  const auto* frame = image.GetFrameRecord();
  const auto* stream = image.GetStreamRecord();
  std::printf("format AVI\nframes %d\nwidth %d\nheight %d\ndepth %d\nframe time %d ms\n", file->frameCount,
              file->width, file->height, frame->depth, frame->frameTime);
  std::printf("streams %u\nvideo stream %d, compression %s, %d colours\n", static_cast<unsigned>(image.mainHeader.dwStreams),
              image.videoStream, CodeText(image.videoFormat->biCompression).c_str(),
              image.videoFormat->biClrUsed ? static_cast<int>(image.videoFormat->biClrUsed) : 256);
  if (stream->length > 0)
    std::printf("audio streams %d, chosen %d (%s): %d Hz, %d bits, %d channels, %u ms\n", stream->length,
                image.audioStream, CodeText(image.audioChunkId).c_str(), image.GetFormatRecord()->rate,
                image.GetFormatRecord()->bitsPerSample, image.GetFormatRecord()->channels, image.LengthMs());
  else
    std::printf("audio streams 0\n");
  std::printf("movie data at %d\nindex %s\n", image.moviStart, image.indexStart ? "yes" : "no");
  CloseAvi(movie);
  return ErrorReported() ? 1 : 0;
}

int AviFrames(const std::string& path, const std::string& outPath) {
  OpenMovie movie = OpenAvi(path);
  if (!movie.image) return 1;
  FILE* out = std::fopen(outPath.c_str(), "wb");
  if (!out) {
    CloseAvi(movie);
    return FailFile(outPath, WriteFailure());
  }
  std::vector<uint8_t> bytes;
  bool ok = EachFrame(*movie.image, [&](int) {
    bytes.clear();
    AppendFrame(*movie.image, bytes);
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() || FailFile(outPath, WriteFailure()) == 0;
  });
  if (std::fclose(out) != 0 && ok) ok = FailFile(outPath, WriteFailure()) == 0;
  CloseAvi(movie);
  return ok && !ErrorReported() ? 0 : 1;
}

int AviPng(const std::string& path, const std::string& dir) {
  OpenMovie movie = OpenAvi(path);
  if (!movie.image) return 1;
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  std::vector<uint8_t> bytes;
  int width = movie.image->GetFrameRecord()->frameWidth, height = movie.image->GetFrameRecord()->frameHeight;
  bool ok = EachFrame(*movie.image, [&](int i) {
    bytes.clear();
    AppendFrame(*movie.image, bytes);
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.png", i);
    return WritePalettePng(dir + name, width, height, bytes.data(), bytes.data() + static_cast<size_t>(width) * height) ||
           FailFile(dir + name, WriteFailure()) == 0;
  });
  CloseAvi(movie);
  return ok && !ErrorReported() ? 0 : 1;
}

}  // namespace mtool
