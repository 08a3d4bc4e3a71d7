// A small AVI writer for the AVI tests: streams, movie chunks (optionally in
// "rec " lists) and an index, with every header field a test may want to bend.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "byte_order/byte_sink.h"

namespace avitest {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

inline Bytes Chunk(const char* code, const Bytes& data) {
  ByteSink b;
  b.Code(code);
  b.U32(static_cast<uint32_t>(data.size()));
  b.Bytes(data);
  if (data.size() & 1) b.U8(0);
  return b.Take();
}
inline Bytes List(const char* type, const Bytes& body) {
  ByteSink data;
  data.Code(type);
  data.Bytes(body);
  return Chunk("LIST", data.Take());
}

inline Bytes operator+(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  Append(out, b);
  return out;
}

// Colour i of the test palette: blue i, green 255 - i, red i / 2.
inline Bytes Palette(int count) {
  Bytes b;
  for (int i = 0; i < count; ++i) b.insert(b.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
  return b;
}

inline Bytes VideoFormat(int32_t width, int32_t height, uint32_t compression = 0, int colours = 256,
                         uint16_t bits = 8, uint32_t clrUsed = 256) {
  ByteSink b;
  b.U32(40);
  b.U32(static_cast<uint32_t>(width));
  b.U32(static_cast<uint32_t>(height));
  b.U16(1);
  b.U16(bits);
  b.U32(compression);
  b.Zeros(12);
  b.U32(clrUsed);
  b.U32(0);
  b.Bytes(Palette(colours));
  return b.Take();
}

// PCM at `rate` blocks per second (8-bit mono unless told).
inline Bytes AudioFormat(uint32_t rate, uint16_t channels = 1, uint16_t bits = 8, uint16_t blockAlign = 1) {
  ByteSink b;
  b.U16(1);
  b.U16(channels);
  b.U32(rate);
  b.U32(rate * blockAlign);
  b.U16(blockAlign);
  b.U16(bits);
  return b.Take();
}

struct Stream {
  const char* type = "vids";
  const char* handler = "DIB ";
  uint16_t priority = 0;
  uint32_t initialFrames = 0;
  uint32_t length = 0;
  uint32_t suggestedBuffer = 0;
  Bytes format;
};

struct MovieChunk {
  std::string code;
  Bytes data;
  bool key = true;
  int record = -1;  // chunks with the same record number >= 0 share a "rec " list
};

struct Movie {
  uint32_t microSecPerFrame = 100000;
  uint32_t flags = 0x10;  // AVIF_HASINDEX
  uint32_t totalFrames = 0;
  int32_t streamCount = -1;  // -1: the streams given
  uint32_t width = 0, height = 0;
  std::vector<Stream> streams;
  std::vector<MovieChunk> chunks;
  bool index = true;
  int32_t indexOffsetShift = 0;  // added to every index offset

  Bytes Build() const {
    ByteSink avih;
    for (uint32_t v : {microSecPerFrame, 0u, 0u, flags, totalFrames, 0u,
                       static_cast<uint32_t>(streamCount < 0 ? streams.size() : streamCount), 0u, width, height})
      avih.U32(v);
    avih.Zeros(56 - avih.Size());
    Bytes hdrl = Chunk("avih", avih.Take());
    for (const Stream& s : streams) {
      ByteSink strh;
      strh.Code(s.type);
      strh.Code(s.handler);
      strh.U32(0);
      strh.U16(s.priority);
      strh.U16(0);
      strh.U32(s.initialFrames);
      strh.U32(1);
      strh.U32(10);
      strh.U32(0);
      strh.U32(s.length);
      strh.U32(s.suggestedBuffer);
      strh.Zeros(56 - strh.Size());
      Append(hdrl, List("strl", Chunk("strh", strh.Take()) + Chunk("strf", s.format)));
    }
    Bytes movi;
    ByteSink idx;
    for (size_t i = 0; i < chunks.size();) {
      const MovieChunk& c = chunks[i];
      if (c.record >= 0) {
        Bytes rec;
        size_t recStart = movi.size() + 4 + 12;  // list header and type come first
        size_t j = i;
        for (; j < chunks.size() && chunks[j].record == c.record; ++j) {
          AddIndex(idx, chunks[j], recStart + rec.size());
          Append(rec, Chunk(chunks[j].code.c_str(), chunks[j].data));
        }
        Append(movi, List("rec ", rec));
        i = j;
      } else {
        AddIndex(idx, c, movi.size() + 4);
        Append(movi, Chunk(c.code.c_str(), c.data));
        ++i;
      }
    }
    ByteSink body;
    body.Code("AVI ");
    body.Bytes(List("hdrl", hdrl));
    body.Bytes(List("movi", movi));
    if (index) body.Bytes(Chunk("idx1", idx.Take()));
    return Chunk("RIFF", body.Take());
  }

 private:
  void AddIndex(ByteSink& idx, const MovieChunk& c, size_t offset) const {
    idx.Code(c.code.c_str());
    idx.U32(c.key ? 0x10 : 0);
    idx.U32(static_cast<uint32_t>(static_cast<int64_t>(offset) + indexOffsetShift));
    idx.U32(static_cast<uint32_t>(c.data.size()));
  }
};

// Pixel (x, y) of test frame n, counted from the top-left.
inline uint8_t FramePixel(int n, int x, int y) { return static_cast<uint8_t>(n * 7 + x + y * 16 + 1); }

// Test frame n as raw 8-bit rows padded to 4 bytes, bottom row first unless topDown.
inline Bytes RawFrame(int n, int width, int height, bool topDown = false) {
  int stride = (width + 3) & ~3;
  Bytes b(static_cast<size_t>(stride) * height, 0);
  for (int row = 0; row < height; ++row) {
    int y = topDown ? row : height - 1 - row;
    for (int x = 0; x < width; ++x) b[static_cast<size_t>(row) * stride + x] = FramePixel(n, x, y);
  }
  return b;
}

// A raw movie of `frames` frames, one video stream, no sound.
inline Movie RawMovie(int frames, int width = 8, int height = 4, bool topDown = false) {
  Movie m;
  m.width = static_cast<uint32_t>(width);
  m.height = static_cast<uint32_t>(height);
  m.totalFrames = static_cast<uint32_t>(frames);
  Stream v;
  v.length = static_cast<uint32_t>(frames);
  v.suggestedBuffer = static_cast<uint32_t>(((width + 3) & ~3) * height);
  v.format = VideoFormat(width, topDown ? -height : height);
  m.streams.push_back(v);
  for (int i = 0; i < frames; ++i) m.chunks.push_back({"00db", RawFrame(i, width, height, topDown)});
  return m;
}

}  // namespace avitest
