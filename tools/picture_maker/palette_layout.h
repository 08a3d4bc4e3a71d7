// Where the subject colours go in the 256-entry table. On a 256-colour palette display the
// system keeps its static colours at 0-9 and 246-255, and the About box takes 245 for its face
// colour, so the pictures' own colours live at 10-244 and the background is index 0 (black).
#pragma once

#include <cstdint>
#include <vector>

#include "indexed_picture.h"

namespace picture_maker {

inline constexpr int kBackgroundIndex = 0;
inline constexpr int kFirstSubjectIndex = 10;
inline constexpr int kLastSubjectIndex = 244;
inline constexpr int kSubjectColourCount = kLastSubjectIndex - kFirstSubjectIndex + 1;

// A quantised picture: per pixel the number of its subject colour, or -1 for background.
struct QuantisedPicture {
  int width = 0;
  int height = 0;
  std::vector<int16_t> colourOf;
};

// The static colours at 0-9 and 246-255, the subject colours from 10 on, black elsewhere.
ColourTable StageColourTable(const std::vector<Rgb>& subjectColours);

IndexedPicture PlaceIndices(const QuantisedPicture& picture);

}  // namespace picture_maker
