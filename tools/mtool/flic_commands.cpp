// mtool's FLIC commands.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "byte_order/little_endian.h"
#include "media/image_flic.h"
#include "mtool/mtool.h"

namespace mtool {
namespace {

// The animation with its header read; none, with the reason given, when it cannot be.
std::unique_ptr<mImageFlic> OpenFlic(const std::string& path) {
  auto image = std::make_unique<mImageFlic>();
  if (!image->Open(path.c_str(), 0)) {
    Fail(OpenFailure(path));
    return nullptr;
  }
  if (!image->ReadHeader()) {
    Fail("not an FLI or FLC animation");
    return nullptr;
  }
  return image;
}

const char* ChunkName(unsigned type) {
  switch (type) {
    case 4: return "COLOR_256";
    case 7: return "DELTA_FLC";
    case 11: return "COLOR_64";
    case 12: return "DELTA_FLI";
    case 13: return "BLACK";
    case 15: return "BYTE_RUN";
    case 16: return "LITERAL";
    case 18: return "PSTAMP";
    default: return "?";
  }
}

// Frame i as mtool frames writes it: rows top first, then the colours.
void AppendFrame(const mImageFlic& image, std::vector<uint8_t>& out) {
  const BitmapDesc& d = *image.FrameBitmap()->desc;
  int width = image.GetFrameRecord()->frameWidth, height = image.GetFrameRecord()->frameHeight;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = d.row0 + static_cast<intptr_t>(y) * d.pitch;
    out.insert(out.end(), row, row + width);
  }
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& c = d.colours[i];
    out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  }
}

// Calls fn(frame) for every frame in order, ring frame excluded. False when a frame fails.
template <typename Fn>
bool EachFrame(mImageFlic& image, Fn fn) {
  int count = image.GetFileRecord()->frameCount;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (image.SeekFrame(i, 0) != i || image.decodedFrame != i))
      return Fail("frame " + std::to_string(i) + " cannot be read") == 0;
    if (!fn(i)) return false;
  }
  return true;
}

}  // namespace

int FlicInfo(const std::string& path) {
  auto image = OpenFlic(path);
  if (!image) return 1;
  const auto* file = image->GetFileRecord();
  const auto* frame = image->GetFrameRecord();
  char tag[5] = {};
  for (int i = 0; i < 4; ++i) tag[i] = static_cast<char>(file->formatTag >> (8 * i));
  std::printf("format %s\nframes %d\nwidth %d\nheight %d\ndepth %d\nframe time %d ms\n", tag, file->frameCount,
              file->width, file->height, frame->depth, frame->frameTime);
  std::printf("file size %d (header), %d (on disk)\nfirst frame at %d\nsecond frame at %d\n", file->fileSize,
              image->GetFileState()->size, image->firstFrameOffset, image->secondFrameOffset);
  image->Close();
  return ErrorReported() ? 1 : 0;
}

int FlicChunks(const std::string& path) {
  auto image = OpenFlic(path);
  if (!image) return 1;
  mFile& file = *image;
  int frames = image->GetFileRecord()->frameCount;
  int32_t size = file.GetFileState()->size;
  int32_t position = image->firstFrameOffset;
  // Frames and the ring frame, as far as the file holds well-formed headers.
  for (int i = 0; i <= frames; ++i) {
    uint8_t head[16];
    if (position < 0 || file.Seek(position, 0) < 0 || file.Read(head, 16) != 16) break;
    uint32_t frameSize = ReadLe32(head);
    std::printf("%s %d at %d: size %u, magic %04X, %u chunks\n", i == frames ? "ring" : "frame", i, position, frameSize,
                ReadLe16(head + 4), ReadLe16(head + 6));
    if (ReadLe16(head + 4) != 0xF1FA || frameSize < 16) break;
    int64_t chunk = position + 16;
    for (unsigned k = 0; k < ReadLe16(head + 6) && chunk + 6 <= int64_t{position} + frameSize; ++k) {
      uint8_t ch[6];
      if (file.Seek(static_cast<int32_t>(chunk), 0) < 0 || file.Read(ch, 6) != 6) break;
      uint32_t chunkSize = ReadLe32(ch);
      std::printf("  chunk at %lld: size %u, type %u %s\n", static_cast<long long>(chunk), chunkSize, ReadLe16(ch + 4),
                  ChunkName(ReadLe16(ch + 4)));
      if (chunkSize < 6) break;
      chunk += chunkSize;
    }
    position = static_cast<int32_t>(std::min<int64_t>(int64_t{position} + frameSize, size));
  }
  image->Close();
  return ErrorReported() ? 1 : 0;
}

int FlicFrames(const std::string& path, const std::string& outPath) {
  auto image = OpenFlic(path);
  if (!image) return 1;
  FILE* out = std::fopen(outPath.c_str(), "wb");
  if (!out) return FailFile(outPath, WriteFailure());
  std::vector<uint8_t> bytes;
  bool ok = EachFrame(*image, [&](int) {
    bytes.clear();
    AppendFrame(*image, bytes);
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() || FailFile(outPath, WriteFailure()) == 0;
  });
  if (std::fclose(out) != 0 && ok) ok = FailFile(outPath, WriteFailure()) == 0;
  image->Close();
  return ok && !ErrorReported() ? 0 : 1;
}

int FlicPng(const std::string& path, const std::string& dir) {
  auto image = OpenFlic(path);
  if (!image) return 1;
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  std::vector<uint8_t> bytes;
  int width = image->GetFrameRecord()->frameWidth, height = image->GetFrameRecord()->frameHeight;
  bool ok = EachFrame(*image, [&](int i) {
    bytes.clear();
    AppendFrame(*image, bytes);
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.png", i);
    return WritePalettePng(dir + name, width, height, bytes.data(), bytes.data() + static_cast<size_t>(width) * height) ||
           FailFile(dir + name, WriteFailure()) == 0;
  });
  image->Close();
  return ok && !ErrorReported() ? 0 : 1;
}

int FlicDecode(const std::string& path, int loops) {
  auto image = OpenFlic(path);
  if (!image) return 1;
  const auto* frame = image->GetFrameRecord();
  // Drawn into a bitmap like the stage's, so the timing includes the copy.
  auto* stage = new mBitmap(frame->frameWidth, frame->frameHeight, 8);
  if (frame->depth == 8) image->SetTarget(stage);
  int count = image->GetFileRecord()->frameCount;
  auto start = std::chrono::steady_clock::now();
  long decoded = 0;
  bool ok = true;
  for (int loop = 0; loop < loops && ok; ++loop) {
    for (int i = 0; i < count && ok; ++i) {
      image->SeekFrame(i, 0);
      ok = image->ReadFrame(0, 0, nullptr) == i || Fail("frame " + std::to_string(i) + " cannot be read") == 0;
      ++decoded;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%ld frames in %.3f s: %.1f frames per second\n", decoded, seconds, seconds > 0 ? decoded / seconds : 0.0);
  // The image only counts itself among the stage's users; the stage is ours.
  image->SetTarget(nullptr);
  delete stage;
  image->Close();
  return ok && !ErrorReported() ? 0 : 1;
}

}  // namespace mtool
