// A growing buffer of little-endian fields: how the tools and the tests write
// files and resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "byte_order/little_endian.h"

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
  // A four-character code ("RIFF", "fmt ").
  void Code(const char* code) { Bytes(reinterpret_cast<const uint8_t*>(code), 4); }
  void Bytes(const uint8_t* data, size_t count) { bytes_.insert(bytes_.end(), data, data + count); }
  void Bytes(const std::vector<uint8_t>& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  // Fields written before their value was known (counts, sizes).
  void Patch8(size_t at, uint8_t value) { bytes_.at(at) = value; }
  void Patch16(size_t at, uint16_t value) { WriteLe16(&bytes_.at(at + 1) - 1, value); }
  void Patch32(size_t at, uint32_t value) { WriteLe32(&bytes_.at(at + 3) - 3, value); }

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Contents() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};
