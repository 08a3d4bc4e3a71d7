#include "user/dialogs_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "core/lifecycle.h"
#include "gdi/dc_access.h"

namespace plat::dlg {
namespace {

// Tried in order; the first that opens is used. Dialogs are laid out in
// units of the font's average width and height, so a face stands in for
// Windows' dialog font only at the size that gives Windows' metrics (6 x 13
// pixels for 8 points at 96 DPI): Liberation Sans, with Arial's widths, at
// its nominal size; DejaVu Sans, larger for its size, at ten elevenths of it.
struct FontFile {
  const char* path;
  int emPerCent;  // pixel size as a percentage of the nominal one
};
constexpr FontFile kRegularFiles[] = {
    {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", 100},
    {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", 100},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 91},
};
constexpr FontFile kBoldFiles[] = {
    {"/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", 100},
    {"/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf", 100},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 91},
};
constexpr uintptr_t kFontHandleBase = 0x7E000000;

// Windows-1252 characters 0x80 to 0x9F as Unicode.
constexpr uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct Glyph {
  bool loaded = false;
  int left = 0, top = 0, width = 0, height = 0, advance = 0;
  std::vector<uint8_t> coverage;
};

struct Font {
  int pointSize = 8;
  bool bold = false;
  FT_Face face = nullptr;
  FontMetrics metrics;
  std::array<Glyph, 256> glyphs;
};

struct Fonts {
  FT_Library library = nullptr;
  bool triedLibrary = false;
  std::vector<std::unique_ptr<Font>> fonts;
};

Fonts* g_fonts = nullptr;

void ResetFonts() {
  if (!g_fonts) return;
  for (auto& font : g_fonts->fonts)
    if (font->face) FT_Done_Face(font->face);
  if (g_fonts->library) FT_Done_FreeType(g_fonts->library);
  delete g_fonts;
  g_fonts = nullptr;
}

Fonts& F() {
  if (!g_fonts) {
    g_fonts = new Fonts;
    RegisterReset(ResetFonts);
  }
  return *g_fonts;
}

const Glyph& GlyphOf(Font& font, uint8_t ch) {
  Glyph& g = font.glyphs[ch];
  if (g.loaded) return g;
  g.loaded = true;
  if (!font.face) {
    g.advance = font.metrics.avgWidth;
    return g;
  }
  FT_ULong code = ch >= 0x80 && ch < 0xA0 ? kCp1252High[ch - 0x80] : ch;
  FT_UInt index = FT_Get_Char_Index(font.face, code ? code : '?');
  if (FT_Load_Glyph(font.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return g;
  FT_GlyphSlot slot = font.face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bm.width);
  g.height = static_cast<int>(bm.rows);
  g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
  for (int y = 0; y < g.height; ++y) {
    const uint8_t* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    for (int x = 0; x < g.width; ++x) {
      uint8_t value = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0)
                                                          : row[x];
      g.coverage[static_cast<size_t>(y) * g.width + x] = value;
    }
  }
  return g;
}

Font* Open(int pointSize, bool bold) {
  Fonts& f = F();
  for (auto& font : f.fonts)
    if (font->pointSize == pointSize && font->bold == bold) return font.get();
  auto font = std::make_unique<Font>();
  font->pointSize = pointSize;
  font->bold = bold;
  if (!f.triedLibrary) {
    f.triedLibrary = true;
    if (FT_Init_FreeType(&f.library) != 0) f.library = nullptr;
  }
  int emPerCent = 100;
  if (f.library) {
    for (const FontFile& file : bold ? kBoldFiles : kRegularFiles) {
      emPerCent = file.emPerCent;
      if (FT_New_Face(f.library, file.path, 0, &font->face) == 0) break;
      font->face = nullptr;
    }
  }
  // Whole pixels, as a hinted screen font has: 8 points at 96 DPI are 11.
  const FT_UInt pixels = static_cast<FT_UInt>((pointSize * 96 * emPerCent + 36 * 100) / (72 * 100));
  if (font->face && FT_Set_Pixel_Sizes(font->face, 0, std::max<FT_UInt>(pixels, 1)) != 0) {
    FT_Done_Face(font->face);
    font->face = nullptr;
  }
  if (font->face) {
    const FT_Size_Metrics& m = font->face->size->metrics;
    font->metrics.ascent = static_cast<int>((m.ascender + 63) >> 6);
    font->metrics.height = font->metrics.ascent + static_cast<int>((-m.descender + 63) >> 6);
    // Windows averages the widths of the 52 letters.
    int width = 0;
    for (char c = 'A'; c <= 'Z'; ++c) width += GlyphOf(*font, static_cast<uint8_t>(c)).advance;
    for (char c = 'a'; c <= 'z'; ++c) width += GlyphOf(*font, static_cast<uint8_t>(c)).advance;
    font->metrics.avgWidth = (width / 26 + 1) / 2;
  } else {
    int px = (pointSize * 96 + 36) / 72;
    font->metrics = FontMetrics{px * 10 / 11, px + 2, std::max(1, px * 6 / 11)};
  }
  f.fonts.push_back(std::move(font));
  return f.fonts.back().get();
}

Font* FromHandle(HFONT handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  Fonts& f = F();
  if (value >= kFontHandleBase && value < kFontHandleBase + f.fonts.size())
    return f.fonts[value - kFontHandleBase].get();
  return Open(8, false);
}

HFONT HandleOf(const Font* font) {
  Fonts& f = F();
  for (size_t i = 0; i < f.fonts.size(); ++i)
    if (f.fonts[i].get() == font) return reinterpret_cast<HFONT>(kFontHandleBase + i);
  return nullptr;
}

}  // namespace

HFONT GetDialogFont(int pointSize, bool bold) {
  return HandleOf(Open(std::clamp(pointSize, 4, 72), bold));
}

HFONT DefaultDialogFont() { return GetDialogFont(8, false); }

HFONT BoldVariant(HFONT font) { return GetDialogFont(FromHandle(font)->pointSize, true); }

FontMetrics MetricsOf(HFONT font) { return FromHandle(font)->metrics; }

int TextWidth(HFONT handle, std::string_view text) {
  Font* font = FromHandle(handle);
  int width = 0;
  for (char c : text) width += GlyphOf(*font, static_cast<uint8_t>(c)).advance;
  return width;
}

void DrawTextAt(HDC hdc, HFONT handle, int x, int y, std::string_view text, COLORREF colour,
                const RECT& clip) {
  Font* font = FromHandle(handle);
  if (!font->face) return;
  int baseline = y + font->metrics.ascent;
  std::vector<uint8_t> part;
  for (char c : text) {
    const Glyph& g = GlyphOf(*font, static_cast<uint8_t>(c));
    int gx = x + g.left, gy = baseline - g.top;
    int x0 = std::max<int>(gx, clip.left), y0 = std::max<int>(gy, clip.top);
    int x1 = std::min<int>(gx + g.width, clip.right), y1 = std::min<int>(gy + g.height, clip.bottom);
    if (x0 < x1 && y0 < y1 && !g.coverage.empty()) {
      const uint8_t* start = g.coverage.data() + static_cast<size_t>(y0 - gy) * g.width + (x0 - gx);
      DcDrawCoverage(hdc, x0, y0, start, x1 - x0, y1 - y0, g.width, colour);
    }
    x += g.advance;
  }
}

}  // namespace plat::dlg
