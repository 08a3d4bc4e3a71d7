// A FLIC writer of our own: FLC and FLI files from indexed frames and
// palettes, with the ring frame that turns the last picture back into the first.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace flic {

enum class Kind { kFlc, kFli };

// Chunk types.
enum ChunkType : uint16_t {
  kColour256 = 4,
  kDeltaFlc = 7,
  kColour64 = 11,
  kDeltaFli = 12,
  kBlack = 13,
  kByteRun = 15,
  kLiteral = 16,
  kPostageStamp = 18,
};

struct Chunk {
  uint16_t type;
  std::vector<uint8_t> data;  // without the 6-byte chunk header
};

// Palette: 256 entries of red, green, blue, 0..255 each.
using Palette = std::array<uint8_t, 768>;

// Chunk encoders, usable on their own to build unusual files.
std::vector<uint8_t> EncodeColours(const Palette& palette, const Palette* previous, int shift);
std::vector<uint8_t> EncodeByteRun(const uint8_t* pixels, int width, int height);
// Deltas from prev to next; empty when nothing changed. DELTA_FLI may come
// back empty also when a line needs more packets than it can hold.
std::vector<uint8_t> EncodeDeltaFlc(const uint8_t* prev, const uint8_t* next, int width, int height);
std::vector<uint8_t> EncodeDeltaFli(const uint8_t* prev, const uint8_t* next, int width, int height, bool* fits);

class Writer {
 public:
  Writer(Kind kind, int width, int height, int speed);

  // Adds a frame, choosing the smallest coding (BLACK, BYTE_RUN or a delta)
  // and writing only the colours that changed.
  void AddFrame(const uint8_t* pixels, const Palette& palette);
  // Adds a frame made of the given chunks as they are (the pictures the
  // writer tracks are not updated; the ring frame stays the caller's job
  // through AddRawRing).
  void AddRawFrame(const std::vector<Chunk>& chunks);
  void AddRawRing(const std::vector<Chunk>& chunks);

  // The whole file: header, frames and the ring frame.
  std::vector<uint8_t> Finish();
  bool WriteFile(const std::string& path);

  // With this set, frames after the first use a delta even where BYTE_RUN is smaller.
  void SetPreferDelta(bool prefer) { preferDelta_ = prefer; }

  // Chunks that AddFrame would write to turn (prev, prevPalette) into (next, palette).
  std::vector<Chunk> DeltaChunks(const uint8_t* prev, const Palette* prevPalette, const uint8_t* next,
                                 const Palette& palette) const;

 private:
  std::vector<uint8_t> FrameBytes(const std::vector<Chunk>& chunks) const;

  Kind kind_;
  int width_;
  int height_;
  int speed_;
  std::vector<std::vector<uint8_t>> frames_;  // encoded frames
  std::vector<uint8_t> ring_;
  bool rawRing_ = false;
  bool preferDelta_ = false;
  std::vector<uint8_t> first_, last_;
  Palette firstPalette_{}, lastPalette_{};
};

}  // namespace flic
