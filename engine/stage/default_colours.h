// The built-in colour table: what every new bitmap starts with when no
// "default" palette resource replaces it.
#pragma once

#include <cstdint>

struct ColourRow {
  uint8_t red, green, blue;
};

// 256 rows: the twenty static colours of a palette display at 0-9 and
// 246-255, a spread over the colour cube with a grey ramp at 10-230, and
// the near-blacks (0, 0, 1) to (0, 0, 15) at 231-245. No two rows are equal.
const ColourRow* BuiltInColourTable();
