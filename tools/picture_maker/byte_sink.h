// A growing little-endian byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace picture_maker {

class ByteSink {
 public:
  void U8(uint8_t value) { bytes_.push_back(value); }
  void U16(uint16_t value) {
    U8(static_cast<uint8_t>(value));
    U8(static_cast<uint8_t>(value >> 8));
  }
  void U32(uint32_t value) {
    U16(static_cast<uint16_t>(value));
    U16(static_cast<uint16_t>(value >> 16));
  }
  void Bytes(const uint8_t* data, size_t count) { bytes_.insert(bytes_.end(), data, data + count); }
  void Bytes(const std::vector<uint8_t>& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace picture_maker
