#include "flic/flic_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "byte_order/byte_sink.h"

namespace flic {
namespace {

// Length of the run of equal bytes starting at i (at most limit).
int RunLength(const uint8_t* p, int i, int end, int limit) {
  int n = 1;
  while (i + n < end && n < limit && p[i + n] == p[i]) ++n;
  return n;
}

// Byte packets of one row: runs (count > 0 in BYTE_RUN) and literals.
void ByteRunRow(ByteSink& out, const uint8_t* row, int width) {
  out.U8(0);  // old packet count, unused by readers
  int x = 0;
  while (x < width) {
    int run = RunLength(row, x, width, 127);
    if (run >= 3) {
      out.U8(static_cast<uint8_t>(run));
      out.U8(row[x]);
      x += run;
      continue;
    }
    int start = x;
    while (x < width && x - start < 128 && RunLength(row, x, width, 3) < 3) ++x;
    if (x == start) x = std::min(width, start + 1);
    int n = x - start;
    out.U8(static_cast<uint8_t>(-n));
    out.Bytes(row + start, static_cast<size_t>(n));
  }
}

}  // namespace

std::vector<uint8_t> EncodeColours(const Palette& palette, const Palette* previous, int shift) {
  ByteSink out;
  out.U16(0);
  int packets = 0;
  int entry = 0;  // next entry the reader's pointer is at
  int i = 0;
  while (i < 256) {
    auto changed = [&](int k) { return !previous || std::memcmp(&palette[3 * k], &(*previous)[3 * k], 3) != 0; };
    if (!changed(i)) {
      ++i;
      continue;
    }
    int end = i;
    while (end < 256 && changed(end)) ++end;
    // The skip is one byte: bridge longer gaps with unchanged colours.
    while (i - entry > 255) {
      out.U8(255);
      out.U8(1);
      int k = entry + 255;
      for (int c = 0; c < 3; ++c) out.U8(static_cast<uint8_t>(palette[3 * k + c] >> shift));
      entry = k + 1;
      ++packets;
    }
    out.U8(static_cast<uint8_t>(i - entry));
    int count = end - i;
    out.U8(static_cast<uint8_t>(count == 256 ? 0 : count));
    for (int k = i; k < end; ++k)
      for (int c = 0; c < 3; ++c) out.U8(static_cast<uint8_t>(palette[3 * k + c] >> shift));
    ++packets;
    entry = end;
    i = end;
  }
  if (packets == 0) return {};
  out.Patch16(0, static_cast<uint16_t>(packets));
  return out.Take();
}

std::vector<uint8_t> EncodeByteRun(const uint8_t* pixels, int width, int height) {
  ByteSink out;
  for (int y = 0; y < height; ++y) ByteRunRow(out, pixels + static_cast<size_t>(y) * width, width);
  return out.Take();
}

std::vector<uint8_t> EncodeDeltaFlc(const uint8_t* prev, const uint8_t* next, int width, int height) {
  ByteSink out;
  out.U16(0);
  int lines = 0;
  int skipped = 0;
  const int words = width / 2;
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = prev + static_cast<size_t>(y) * width;
    const uint8_t* b = next + static_cast<size_t>(y) * width;
    if (std::memcmp(a, b, static_cast<size_t>(width)) == 0) {
      ++skipped;
      continue;
    }
    while (skipped > 0) {
      int n = std::min(skipped, 16384);
      out.U16(static_cast<uint16_t>(-n));
      skipped -= n;
    }
    if ((width & 1) && a[width - 1] != b[width - 1]) out.U16(static_cast<uint16_t>(0x8000 | b[width - 1]));
    size_t countAt = out.Size();
    out.U16(0);
    int packets = 0;
    int w = 0;
    int cursor = 0;  // word the reader's pixel pointer is at
    auto same = [&](int k) { return std::memcmp(a + 2 * k, b + 2 * k, 2) == 0; };
    auto word = [&](int k) { return ReadLe16(b + 2 * k); };
    while (w < words) {
      if (same(w)) {
        ++w;
        continue;
      }
      while ((w - cursor) * 2 > 255) {  // bridge long gaps with empty packets
        out.U8(254);
        out.U8(0);
        cursor += 127;
        ++packets;
      }
      out.U8(static_cast<uint8_t>((w - cursor) * 2));
      int run = 1;
      while (w + run < words && run < 128 && word(w + run) == word(w)) ++run;
      if (run >= 2) {
        out.U8(static_cast<uint8_t>(-run));
        out.U16(static_cast<uint16_t>(word(w)));
        w += run;
      } else {
        int start = w;
        while (w < words && w - start < 127 && !same(w) &&
               !(w + 1 < words && word(w + 1) == word(w) && w > start))
          ++w;
        out.U8(static_cast<uint8_t>(w - start));
        out.Bytes(b + 2 * start, 2 * static_cast<size_t>(w - start));
      }
      cursor = w;
      ++packets;
    }
    out.Patch16(countAt, static_cast<uint16_t>(packets));
    ++lines;
  }
  if (lines == 0) return {};
  out.Patch16(0, static_cast<uint16_t>(lines));
  return out.Take();
}

std::vector<uint8_t> EncodeDeltaFli(const uint8_t* prev, const uint8_t* next, int width, int height, bool* fits) {
  *fits = true;
  int first = -1, last = -1;
  for (int y = 0; y < height; ++y) {
    if (std::memcmp(prev + static_cast<size_t>(y) * width, next + static_cast<size_t>(y) * width,
                    static_cast<size_t>(width)) != 0) {
      if (first < 0) first = y;
      last = y;
    }
  }
  if (first < 0) return {};
  ByteSink out;
  out.U16(static_cast<uint16_t>(first));
  out.U16(static_cast<uint16_t>(last - first + 1));
  for (int y = first; y <= last; ++y) {
    const uint8_t* a = prev + static_cast<size_t>(y) * width;
    const uint8_t* b = next + static_cast<size_t>(y) * width;
    size_t countAt = out.Size();
    out.U8(0);
    int packets = 0;
    int x = 0, cursor = 0;
    while (x < width) {
      if (a[x] == b[x]) {
        ++x;
        continue;
      }
      while (x - cursor > 255) {  // a packet that writes nothing bridges the gap
        out.U8(255);
        out.U8(0);
        out.U8(0);
        cursor += 255;
        ++packets;
      }
      out.U8(static_cast<uint8_t>(x - cursor));
      int run = RunLength(b, x, width, 128);
      if (run >= 3) {
        out.U8(static_cast<uint8_t>(-run));
        out.U8(b[x]);
        x += run;
      } else {
        int start = x;
        while (x < width && x - start < 127 && a[x] != b[x] && RunLength(b, x, width, 3) < 3) ++x;
        if (x == start) ++x;
        out.U8(static_cast<uint8_t>(x - start));
        out.Bytes(b + start, static_cast<size_t>(x - start));
      }
      cursor = x;
      ++packets;
    }
    if (packets > 255) {
      *fits = false;
      return {};
    }
    out.Patch8(countAt, static_cast<uint8_t>(packets));
  }
  return out.Take();
}

Writer::Writer(Kind kind, int width, int height, int speed)
    : kind_(kind), width_(width), height_(height), speed_(speed) {}

std::vector<Chunk> Writer::DeltaChunks(const uint8_t* prev, const Palette* prevPalette, const uint8_t* next,
                                       const Palette& palette) const {
  std::vector<Chunk> chunks;
  const bool fli = kind_ == Kind::kFli;
  std::vector<uint8_t> colours = EncodeColours(palette, prevPalette, fli ? 2 : 0);
  if (!colours.empty()) chunks.push_back({fli ? kColour64 : kColour256, colours});

  size_t pixels = static_cast<size_t>(width_) * height_;
  bool black = true;
  for (size_t i = 0; i < pixels && black; ++i) black = next[i] == 0;
  if (!prev || std::memcmp(prev, next, pixels) != 0) {
    std::vector<uint8_t> run = EncodeByteRun(next, width_, height_);
    std::vector<uint8_t> delta;
    bool fits = true;
    if (prev) delta = fli ? EncodeDeltaFli(prev, next, width_, height_, &fits) : EncodeDeltaFlc(prev, next, width_, height_);
    if (black) chunks.push_back({kBlack, {}});
    else if (prev && fits && !delta.empty() && (preferDelta_ || delta.size() < run.size()))
      chunks.push_back({fli ? kDeltaFli : kDeltaFlc, delta});
    else
      chunks.push_back({kByteRun, run});
  }
  return chunks;
}

std::vector<uint8_t> Writer::FrameBytes(const std::vector<Chunk>& chunks) const {
  ByteSink out;
  out.Zeros(16);
  for (const Chunk& chunk : chunks) {
    size_t size = 6 + chunk.data.size();
    size += size & 1;  // chunks keep even sizes
    out.U32(static_cast<uint32_t>(size));
    out.U16(chunk.type);
    out.Bytes(chunk.data);
    if (chunk.data.size() & 1) out.U8(0);
  }
  out.Patch32(0, static_cast<uint32_t>(out.Size()));
  out.Patch16(4, 0xF1FA);
  out.Patch16(6, static_cast<uint16_t>(chunks.size()));
  return out.Take();
}

void Writer::AddFrame(const uint8_t* pixels, const Palette& palette) {
  size_t count = static_cast<size_t>(width_) * height_;
  bool firstFrame = frames_.empty();
  frames_.push_back(FrameBytes(DeltaChunks(firstFrame ? nullptr : last_.data(), firstFrame ? nullptr : &lastPalette_,
                                           pixels, palette)));
  last_.assign(pixels, pixels + count);
  lastPalette_ = palette;
  if (firstFrame) {
    first_ = last_;
    firstPalette_ = palette;
  }
}

void Writer::AddRawFrame(const std::vector<Chunk>& chunks) { frames_.push_back(FrameBytes(chunks)); }

void Writer::AddRawRing(const std::vector<Chunk>& chunks) {
  ring_ = FrameBytes(chunks);
  rawRing_ = true;
}

std::vector<uint8_t> Writer::Finish() {
  if (!rawRing_) {
    ring_ = first_.empty() ? FrameBytes({})
                           : FrameBytes(DeltaChunks(last_.data(), &lastPalette_, first_.data(), firstPalette_));
  }
  ByteSink out;
  out.Zeros(128);
  const bool fli = kind_ == Kind::kFli;
  out.Patch16(4, fli ? 0xAF11 : 0xAF12);
  out.Patch16(6, static_cast<uint16_t>(frames_.size()));
  out.Patch16(8, static_cast<uint16_t>(width_));
  out.Patch16(10, static_cast<uint16_t>(height_));
  out.Patch16(12, 8);
  out.Patch16(14, 3);
  out.Patch32(16, static_cast<uint32_t>(speed_));
  if (!fli) {
    out.Patch32(80, 128);
    out.Patch32(84, static_cast<uint32_t>(frames_.empty() ? 128 : 128 + frames_[0].size()));
  }
  for (const auto& frame : frames_) out.Bytes(frame);
  out.Bytes(ring_);
  out.Patch32(0, static_cast<uint32_t>(out.Size()));
  return out.Take();
}

bool Writer::WriteFile(const std::string& path) {
  std::vector<uint8_t> bytes = Finish();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace flic
