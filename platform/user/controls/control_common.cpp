// What the controls share: their font and how they talk to the dialog.
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"

namespace plat::dlg {

namespace {
struct FontOf {
  HFONT font = nullptr;
};
}  // namespace

HFONT ControlFont(HWND control) {
  FontOf* f = ControlStates<FontOf>::Find(control);
  return f && f->font ? f->font : DefaultDialogFont();
}

LRESULT ControlDefault(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      ControlStates<FontOf>::Of(hwnd).font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(ControlFont(hwnd));
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      // Alt and F10 belong to the dialog's menu.
      if (HWND parent = GetParent(hwnd)) return SendMessageA(parent, message, wParam, lParam);
      return 0;
    case WM_NCDESTROY:
      ControlStates<FontOf>::Drop(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent)
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

}  // namespace plat::dlg
