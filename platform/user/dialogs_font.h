// The dialog font: an installed sans face drawn with FreeType at a point
// size at 96 DPI, hinted so that 8-point text is crisp. Fonts are named by
// small HFONT values that only dialogs and controls understand.
#pragma once

#include <windows.h>

#include <string_view>

namespace plat::dlg {

struct FontMetrics {
  int ascent = 0;
  int height = 0;     // ascent + descent
  int avgWidth = 0;   // as Windows takes it for dialog base units
};

// A font of pointSize points (bold or not); never null, even when no font
// file is installed (then it measures as a 6 x 13 font and draws nothing).
HFONT GetDialogFont(int pointSize, bool bold);
// The default dialog font (8 points) for null or unknown handles.
HFONT DefaultDialogFont();
HFONT BoldVariant(HFONT font);

FontMetrics MetricsOf(HFONT font);
int TextWidth(HFONT font, std::string_view text);

// Draws text with its top-left cell corner at (x, y), clipped to clip (DC
// coordinates).
void DrawTextAt(HDC hdc, HFONT font, int x, int y, std::string_view text, COLORREF colour, const RECT& clip);

}  // namespace plat::dlg
