// The system's stock icons (IDI_*), drawn in code at 32 x 32.
#include "kernel/icons.h"

namespace plat {
namespace {

constexpr int kSide = 32;
constexpr uint32_t kClear = 0x00000000;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFD01010;
constexpr uint32_t kBlue = 0xFF1060D0;
constexpr uint32_t kYellow = 0xFFFFD800;
constexpr uint32_t kNavy = 0xFF000080;

// 5 x 7 glyphs, drawn 3 times as large in the middle of the icon.
const char* const kQuestion[7] = {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."};
const char* const kExclamation[7] = {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."};
const char* const kInformation[7] = {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."};

void Put(IconImage* image, int x, int y, uint32_t colour) {
  if (x >= 0 && y >= 0 && x < image->width && y < image->height) image->argb[y * image->width + x] = colour;
}

void Disc(IconImage* image, uint32_t fill) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      int dx = 2 * x - 31, dy = 2 * y - 31;
      int distance = dx * dx + dy * dy;
      if (distance <= 30 * 30) Put(image, x, y, distance >= 28 * 28 ? kBlack : fill);
    }
}

void Glyph(IconImage* image, const char* const rows[7], int top, uint32_t colour) {
  for (int row = 0; row < 7; ++row)
    for (int column = 0; column < 5; ++column)
      if (rows[row][column] == '#')
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 3; ++x) Put(image, 8 + column * 3 + x, top + row * 3 + y, colour);
}

}  // namespace

bool DrawStockIcon(uint16_t id, IconImage* out) {
  IconImage image;
  image.width = image.height = kSide;
  image.argb.assign(kSide * kSide, kClear);
  switch (id) {
    case 32512:  // IDI_APPLICATION: a window with a title bar
    case 32517:  // IDI_WINLOGO
      for (int y = 3; y < 29; ++y)
        for (int x = 2; x < 30; ++x) {
          bool frame = y == 3 || y == 28 || x == 2 || x == 29;
          Put(&image, x, y, frame ? kBlack : y < 9 ? kNavy : kWhite);
        }
      break;
    case 32513:  // IDI_HAND: a red disc with a white cross
      Disc(&image, kRed);
      for (int i = 9; i < 23; ++i)
        for (int t = -1; t <= 1; ++t) {
          Put(&image, i + t, i, kWhite);
          Put(&image, i + t, 31 - i, kWhite);
        }
      break;
    case 32514:  // IDI_QUESTION
      Disc(&image, kBlue);
      Glyph(&image, kQuestion, 5, kWhite);
      break;
    case 32515:  // IDI_EXCLAMATION: a yellow triangle
      for (int y = 2; y < 30; ++y) {
        int half = (y - 2) / 2 + 1;
        for (int x = 16 - half; x < 16 + half; ++x)
          Put(&image, x, y, (x == 16 - half || x == 15 + half || y == 29) ? kBlack : kYellow);
      }
      Glyph(&image, kExclamation, 8, kBlack);
      break;
    case 32516:  // IDI_ASTERISK: information
      Disc(&image, kBlue);
      Glyph(&image, kInformation, 5, kWhite);
      break;
    default:
      return false;
  }
  *out = std::move(image);
  return true;
}

}  // namespace plat
