// Shared helpers of the media tests: temporary files and the message boxes shown.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "orvanel/headless.h"
#include "stage/bitmap_desc.h"

namespace mediatest {

// A file in the temporary directory, removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes, const char* suffix = ".bin") {
    static int counter = 0;
    path_ = "/tmp/orvanel-media-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix;
    FILE* f = std::fopen(path_.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  explicit TempFile(const std::string& text, const char* suffix = ".txt")
      : TempFile(std::vector<uint8_t>(text.begin(), text.end()), suffix) {}
  ~TempFile() { unlink(path_.c_str()); }
  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// "caption|text" of every message box shown since the last call.
inline std::vector<std::string> TakeReports() {
  std::vector<std::string> out;
  for (const auto& box : headless::MessageBoxes()) out.push_back(box.caption + "|" + box.text);
  headless::ClearMessageBoxes();
  return out;
}

// FNV-1a 64 of a frame as `mtool frames` writes it: indices top row first,
// then 256 x blue, green, red, 0; as 16 hex digits, as the expected files hold it.
inline std::string FrameHash(const BitmapDesc& d) {
  uint64_t hash = 0xcbf29ce484222325ull;
  auto add = [&hash](uint8_t b) { hash = (hash ^ b) * 0x100000001b3ull; };
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x) add(*d.Pixel(x, y));
  for (int i = 0; i < 256; ++i) {
    add(d.colours[i].rgbBlue);
    add(d.colours[i].rgbGreen);
    add(d.colours[i].rgbRed);
    add(0);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

inline std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 251);
  return bytes;
}

}  // namespace mediatest
