// Drawing in the classic look: 3D edges in the system colours, text with
// mnemonics and word wrap, focus rectangles, the caption and menu bar.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plat::dlg {

void Fill(HDC hdc, const RECT& r, COLORREF colour);
void Fill(HDC hdc, const RECT& r, int sysColour);
// A rectangle outline one pixel wide: top and left in one colour, bottom
// and right in another.
void Frame(HDC hdc, const RECT& r, COLORREF topLeft, COLORREF bottomRight);

enum class Edge { kRaised, kPushed, kSunken, kStatic, kEtched, kWindow, kDefaultButton };
// Draws the edge and returns the rectangle inside it.
RECT DrawEdge3D(HDC hdc, const RECT& r, Edge edge);
void DrawFocusRect3D(HDC hdc, const RECT& r);

enum TextFlags : unsigned {
  kLeft = 0,
  kCenter = 1,
  kRight = 2,
  kWrap = 4,
  kNoPrefix = 8,   // '&' is shown as it is
  kVCenter = 16,
};
// Draws text inside r; returns the height it took.
int DrawTextIn(HDC hdc, HFONT font, const RECT& r, std::string_view text, unsigned flags, COLORREF colour);
// The text without its mnemonic markers.
std::string StripMnemonic(std::string_view text);

// The dialog frame, caption bar (title, close button) and menu bar of a
// top-level window, drawn on its whole-window DC.
void DrawWindowFrame(HWND hwnd, HFONT font, bool active);
// Where the caption's close button and the menu bar's titles lie, in the
// window's client coordinates (negative y: above the client area).
RECT CloseButtonRect(HWND hwnd);
RECT MenuBarRect(HWND hwnd);

}  // namespace plat::dlg
