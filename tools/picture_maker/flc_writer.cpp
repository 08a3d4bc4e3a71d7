#include "flc_writer.h"

#include "flic/flic_writer.h"

namespace picture_maker {

std::vector<uint8_t> WriteStillFlc(const IndexedPicture& picture, const ColourTable& colours,
                                   uint32_t frameTime) {
  flic::Palette palette{};
  for (size_t i = 0; i < colours.size(); ++i) {
    palette[3 * i] = colours[i].red;
    palette[3 * i + 1] = colours[i].green;
    palette[3 * i + 2] = colours[i].blue;
  }
  // The frame is laid out by hand so that it always has exactly these two chunks, the colour
  // chunk as one packet of all 256 colours, whatever the picture holds.
  flic::Writer writer(flic::Kind::kFlc, picture.width, picture.height, static_cast<int>(frameTime));
  writer.AddRawFrame({{flic::kColour256, flic::EncodeColours(palette, nullptr, 0)},
                      {flic::kByteRun, flic::EncodeByteRun(picture.pixels.data(), picture.width, picture.height)}});
  writer.AddRawRing({});
  return writer.Finish();
}

}  // namespace picture_maker
