#include "palette_layout.h"

namespace picture_maker {
namespace {

constexpr Rgb kLowStatics[10] = {{0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                                 {0, 0, 128},   {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                                 {192, 220, 192}, {166, 202, 240}};
constexpr Rgb kHighStatics[10] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                  {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                  {0, 255, 255},   {255, 255, 255}};

}  // namespace

ColourTable StageColourTable(const std::vector<Rgb>& subjectColours) {
  ColourTable table{};
  for (int i = 0; i < 10; ++i) {
    table[i] = kLowStatics[i];
    table[246 + i] = kHighStatics[i];
  }
  for (size_t i = 0; i < subjectColours.size() && i < static_cast<size_t>(kSubjectColourCount); ++i) {
    table[kFirstSubjectIndex + i] = subjectColours[i];
  }
  return table;
}

IndexedPicture PlaceIndices(const QuantisedPicture& picture) {
  IndexedPicture placed{picture.width, picture.height, {}};
  placed.pixels.reserve(picture.colourOf.size());
  for (int16_t colour : picture.colourOf) {
    placed.pixels.push_back(colour < 0 || colour >= kSubjectColourCount
                                ? static_cast<uint8_t>(kBackgroundIndex)
                                : static_cast<uint8_t>(kFirstSubjectIndex + colour));
  }
  return placed;
}

}  // namespace picture_maker
