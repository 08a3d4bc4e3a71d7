// "BUTTON": push buttons, the default push button and group boxes. A click
// is a press and a release inside, or Space or Enter while focused.
#include "core/trace.h"
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_paint.h"

namespace plat::dlg {
namespace {

struct ButtonState {
  bool pressed = false;   // drawn pushed in
  bool tracking = false;  // the mouse button went down on it
  bool focused = false;
};
using States = ControlStates<ButtonState>;

LONG TypeOf(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK; }

void PaintGroupBox(HWND hwnd, HDC hdc, const RECT& r) {
  HFONT font = ControlFont(hwnd);
  FontMetrics m = MetricsOf(font);
  char text[256];
  GetWindowTextA(hwnd, text, sizeof text);
  RECT frame{r.left, r.top + m.height / 2, r.right, r.bottom};
  DrawEdge3D(hdc, frame, Edge::kEtched);
  if (*text) {
    int width = TextWidth(font, StripMnemonic(text));
    RECT label{r.left + 6, r.top, r.left + 6 + width + 4, r.top + m.height};
    Fill(hdc, label, COLOR_BTNFACE);
    InflateRect(&label, -2, 0);
    DrawTextIn(hdc, font, label, text, kLeft, GetSysColor(COLOR_BTNTEXT));
  }
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) return;
  RECT r;
  GetClientRect(hwnd, &r);
  ButtonState& s = States::Of(hwnd);
  if (TypeOf(hwnd) == BS_GROUPBOX) {
    PaintGroupBox(hwnd, hdc, r);
    EndPaint(hwnd, &ps);
    return;
  }
  if (TypeOf(hwnd) != BS_PUSHBUTTON && TypeOf(hwnd) != BS_DEFPUSHBUTTON)
    PLAT_FIXME("button: style %ld drawn as a push button", static_cast<long>(TypeOf(hwnd)));
  bool isDefault = TypeOf(hwnd) == BS_DEFPUSHBUTTON;
  RECT in = DrawEdge3D(hdc, r, s.pressed ? (isDefault ? Edge::kPushed : Edge::kPushed)
                                         : (isDefault ? Edge::kDefaultButton : Edge::kRaised));
  if (s.pressed && isDefault) InflateRect(&in, -1, -1);
  Fill(hdc, in, COLOR_BTNFACE);
  char text[256];
  GetWindowTextA(hwnd, text, sizeof text);
  RECT label = in;
  if (s.pressed) OffsetRect(&label, 1, 1);
  bool disabled = (GetWindowLongA(hwnd, GWL_STYLE) & WS_DISABLED) != 0;
  if (disabled) {
    RECT shadow = label;
    OffsetRect(&shadow, 1, 1);
    DrawTextIn(hdc, ControlFont(hwnd), shadow, text, kCenter | kVCenter, GetSysColor(COLOR_BTNHIGHLIGHT));
  }
  DrawTextIn(hdc, ControlFont(hwnd), label, text, kCenter | kVCenter,
             GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  if (s.focused) {
    RECT focus = r;
    InflateRect(&focus, -4, -4);
    DrawFocusRect3D(hdc, focus);
  }
  EndPaint(hwnd, &ps);
}

void SetPressed(HWND hwnd, bool pressed) {
  ButtonState& s = States::Of(hwnd);
  if (s.pressed == pressed) return;
  s.pressed = pressed;
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&r, pt) != FALSE;
}

void Click(HWND hwnd) { NotifyParent(hwnd, BN_CLICKED); }

}  // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool group = TypeOf(hwnd) == BS_GROUPBOX;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_NCHITTEST:
      return group ? -1 : 1;
    case WM_GETDLGCODE:
      if (group) return DLGC_STATIC;
      return DLGC_BUTTON | (TypeOf(hwnd) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case WM_SETTEXT:
    case WM_ENABLE: {
      LRESULT r = ControlDefault(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      States::Of(hwnd).focused = message == WM_SETFOCUS;
      if (message == WM_KILLFOCUS) {
        States::Of(hwnd).tracking = false;
        SetPressed(hwnd, false);
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (group) return 0;
      SetFocus(hwnd);
      SetCapture(hwnd);
      States::Of(hwnd).tracking = true;
      SetPressed(hwnd, true);
      return 0;
    case WM_MOUSEMOVE:
      if (States::Of(hwnd).tracking) SetPressed(hwnd, Inside(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      ButtonState& s = States::Of(hwnd);
      if (!s.tracking) return 0;
      s.tracking = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      SetPressed(hwnd, false);
      if (Inside(hwnd, lParam)) Click(hwnd);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) SetPressed(hwnd, true);
      if (wParam == VK_RETURN) Click(hwnd);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && States::Of(hwnd).pressed) {
        SetPressed(hwnd, false);
        Click(hwnd);
      }
      return 0;
    case BM_CLICK:
      Click(hwnd);
      return 0;
    case BM_SETSTYLE:
      SetWindowLongA(hwnd, GWL_STYLE,
                     (GetWindowLongA(hwnd, GWL_STYLE) & ~BS_TYPEMASK) | static_cast<LONG>(wParam & BS_TYPEMASK));
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_GETSTATE:
      return States::Of(hwnd).pressed ? 0x0004 : 0;
    case WM_NCDESTROY:
      States::Drop(hwnd);
      break;
  }
  return ControlDefault(hwnd, message, wParam, lParam);
}

}  // namespace plat::dlg
