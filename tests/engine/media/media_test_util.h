// Shared helpers of the media tests: temporary files and the message boxes shown.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "orvanel/headless.h"

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

inline std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 251);
  return bytes;
}

}  // namespace mediatest
