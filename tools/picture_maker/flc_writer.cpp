#include "flc_writer.h"

#include "byte_sink.h"

namespace picture_maker {
namespace {

constexpr uint16_t kFlcMagic = 0xAF12;
constexpr uint16_t kFrameMagic = 0xF1FA;
constexpr uint16_t kColour256 = 4;
constexpr uint16_t kByteRun = 15;
constexpr size_t kHeaderSize = 128;
constexpr size_t kFrameHeaderSize = 16;
constexpr size_t kChunkHeaderSize = 6;
constexpr int kMaxRun = 127;

// Length of the run of equal bytes that starts at x.
int RunLength(const uint8_t* row, int x, int width) {
  int length = 1;
  while (x + length < width && length < kMaxRun && row[x + length] == row[x]) ++length;
  return length;
}

void AppendChunk(ByteSink& frame, uint16_t type, const std::vector<uint8_t>& data) {
  // Chunks keep even sizes so that the next header starts on a word.
  size_t padded = (data.size() + 1) & ~size_t{1};
  frame.U32(static_cast<uint32_t>(kChunkHeaderSize + padded));
  frame.U16(type);
  frame.Bytes(data);
  frame.Zeros(padded - data.size());
}

std::vector<uint8_t> ColourChunk(const ColourTable& colours) {
  ByteSink data;
  data.U16(1);  // one packet
  data.U8(0);   // skip nothing
  data.U8(0);   // 0 means all 256 colours
  for (const Rgb& colour : colours) {
    data.U8(colour.red);
    data.U8(colour.green);
    data.U8(colour.blue);
  }
  return data.Take();
}

std::vector<uint8_t> Frame(const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& chunks) {
  ByteSink body;
  for (const auto& [type, data] : chunks) AppendChunk(body, type, data);
  ByteSink frame;
  frame.U32(static_cast<uint32_t>(kFrameHeaderSize + body.Size()));
  frame.U16(kFrameMagic);
  frame.U16(static_cast<uint16_t>(chunks.size()));
  frame.Zeros(8);
  frame.Bytes(body.Take());
  return frame.Take();
}

}  // namespace

std::vector<uint8_t> EncodeByteRunRow(const uint8_t* row, int width) {
  ByteSink packets;
  int packetCount = 0;
  int x = 0;
  while (x < width) {
    int run = RunLength(row, x, width);
    if (run >= 3 || (run == 2 && x + run == width)) {
      packets.U8(static_cast<uint8_t>(run));
      packets.U8(row[x]);
      x += run;
    } else {
      // Gather single bytes until a run worth coding on its own begins.
      int start = x;
      while (x < width && x - start < kMaxRun && RunLength(row, x, width) < 3) ++x;
      int count = x - start;
      packets.U8(static_cast<uint8_t>(-count));
      packets.Bytes(row + start, static_cast<size_t>(count));
    }
    ++packetCount;
  }
  ByteSink out;
  out.U8(packetCount < 256 ? static_cast<uint8_t>(packetCount) : 0);
  out.Bytes(packets.Take());
  return out.Take();
}

std::vector<uint8_t> WriteStillFlc(const IndexedPicture& picture, const ColourTable& colours,
                                   uint32_t frameTime) {
  ByteSink pixels;
  for (int y = 0; y < picture.height; ++y) {
    pixels.Bytes(EncodeByteRunRow(&picture.pixels[static_cast<size_t>(y) * picture.width],
                                  picture.width));
  }
  std::vector<uint8_t> first = Frame({{kColour256, ColourChunk(colours)}, {kByteRun, pixels.Take()}});
  std::vector<uint8_t> ring = Frame({});

  ByteSink file;
  file.U32(static_cast<uint32_t>(kHeaderSize + first.size() + ring.size()));
  file.U16(kFlcMagic);
  file.U16(1);  // frames, not counting the ring frame
  file.U16(static_cast<uint16_t>(picture.width));
  file.U16(static_cast<uint16_t>(picture.height));
  file.U16(8);  // bits per pixel
  file.U16(3);  // flags: finished and closed properly
  file.U32(frameTime);
  file.Zeros(2);   // reserved
  file.Zeros(16);  // creation and update dates and programs
  file.U16(1);     // aspect x
  file.U16(1);     // aspect y
  file.Zeros(38);  // reserved
  file.U32(static_cast<uint32_t>(kHeaderSize));                 // frame 0
  file.U32(static_cast<uint32_t>(kHeaderSize + first.size()));  // frame 1: here the ring frame
  file.Zeros(40);
  file.Bytes(first);
  file.Bytes(ring);
  return file.Take();
}

}  // namespace picture_maker
