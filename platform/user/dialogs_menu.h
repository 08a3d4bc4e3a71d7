// Menus from RT_MENU resources: the bar under a window's caption and its
// pop-ups, opened by the window's own procedure from any message loop (the
// dialog's, or a program's own PeekMessage loop) and then tracked in a loop
// of their own until they close.
#pragma once

#include <windows.h>

namespace plat::dlg {

// Draws the menu bar of hwnd into bar (whole-window DC coordinates).
void DrawMenuBar(HDC hdc, HWND hwnd, const RECT& bar, HFONT font);

// Menu handling for a window with a menu bar: clicks on the bar, Alt and
// F10, and the mouse and keys while a pop-up is open. True when the message
// was the menu's.
bool MenuMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HFONT font);
bool MenuActive(HWND hwnd);
void CloseMenus(HWND hwnd);

}  // namespace plat::dlg
