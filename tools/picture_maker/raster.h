// Renders an SVG drawing of a known pixel size with librsvg.
#pragma once

#include <optional>
#include <string>

#include "rgba_image.h"

namespace picture_maker {

// Antialiased edges are composed over black, the colour of the stage; pixels that cover less
// than kBackgroundCover of their area count as background.
inline constexpr int kBackgroundCover = 40;

std::optional<RgbaImage> RasteriseOverBlack(const std::string& svgPath, int width, int height,
                                            std::string& error);

}  // namespace picture_maker
