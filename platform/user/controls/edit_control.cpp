// "EDIT", single line: caret and selection by mouse and keys, digits-only
// fields, alignment, horizontal scrolling, the clipboard, and EN_SETFOCUS,
// EN_KILLFOCUS and EN_CHANGE to the parent.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/trace.h"
#include "gdi/dc_access.h"
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_paint.h"

namespace plat::dlg {
namespace {

struct EditState {
  std::string text;
  size_t anchor = 0, caret = 0;  // the selection runs between them
  size_t limit = 0x7FFFFFFE;
  int scroll = 0;                // pixels of text scrolled out on the left
  bool focused = false;
  bool selecting = false;
};
using States = ControlStates<EditState>;

constexpr int kMargin = 2;

LONG StyleOf(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }

size_t SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
size_t SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

int TextX(HWND hwnd, const EditState& s) {
  RECT r;
  GetClientRect(hwnd, &r);
  int width = TextWidth(ControlFont(hwnd), s.text);
  int room = r.right - 2 * kMargin;
  LONG align = StyleOf(hwnd) & (ES_CENTER | ES_RIGHT);
  if (width <= room && align == ES_RIGHT) return r.right - kMargin - width;
  if (width <= room && align == ES_CENTER) return kMargin + (room - width) / 2;
  return kMargin - s.scroll;
}

// Keeps the caret in view (ES_AUTOHSCROLL).
void ScrollToCaret(HWND hwnd, EditState& s) {
  RECT r;
  GetClientRect(hwnd, &r);
  HFONT font = ControlFont(hwnd);
  int room = r.right - 2 * kMargin;
  int width = TextWidth(font, s.text);
  if (width <= room) {
    s.scroll = 0;
    return;
  }
  int caretX = TextWidth(font, std::string_view(s.text).substr(0, s.caret));
  if (caretX - s.scroll > room) s.scroll = caretX - room;
  if (caretX < s.scroll) s.scroll = std::max(0, caretX - room / 3);
  s.scroll = std::min(s.scroll, std::max(0, width - room + 1));
}

void Redraw(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) return;
  EditState& s = States::Of(hwnd);
  RECT r;
  GetClientRect(hwnd, &r);
  if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
    HDC whole = GetDcForWindow(hwnd, true);
    RECT w;
    GetWindowRect(hwnd, &w);
    OffsetRect(&w, -w.left, -w.top);
    DrawEdge3D(whole, w, Edge::kSunken);
    ReleaseDC(hwnd, whole);
  }
  bool readOnly = (StyleOf(hwnd) & ES_READONLY) != 0, disabled = (StyleOf(hwnd) & WS_DISABLED) != 0;
  Fill(hdc, r, readOnly || disabled ? COLOR_BTNFACE : COLOR_WINDOW);
  HFONT font = ControlFont(hwnd);
  FontMetrics m = MetricsOf(font);
  int x = TextX(hwnd, s);
  int y = (r.bottom - m.height) / 2;
  RECT clip{kMargin - 1, 0, r.right - kMargin + 1, r.bottom};
  std::string_view text = s.text;
  COLORREF colour = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  DrawTextAt(hdc, font, x, y, text, colour, clip);
  if (s.focused && SelStart(s) != SelEnd(s)) {
    int x0 = x + TextWidth(font, text.substr(0, SelStart(s)));
    int x1 = x + TextWidth(font, text.substr(0, SelEnd(s)));
    RECT sel{std::max<int>(x0, clip.left), y, std::min<int>(x1, clip.right), y + m.height};
    Fill(hdc, sel, COLOR_HIGHLIGHT);
    DrawTextAt(hdc, font, x0, y, text.substr(SelStart(s), SelEnd(s) - SelStart(s)),
               GetSysColor(COLOR_HIGHLIGHTTEXT), sel);
  }
  if (s.focused) {
    int cx = x + TextWidth(font, text.substr(0, s.caret));
    if (cx >= clip.left && cx < clip.right) Fill(hdc, RECT{cx, y, cx + 1, y + m.height}, RGB(0, 0, 0));
  }
  EndPaint(hwnd, &ps);
}

size_t IndexAt(HWND hwnd, const EditState& s, int x) {
  HFONT font = ControlFont(hwnd);
  int left = TextX(hwnd, s);
  for (size_t i = 0; i < s.text.size(); ++i) {
    int mid = left + TextWidth(font, std::string_view(s.text).substr(0, i)) +
              TextWidth(font, std::string_view(s.text).substr(i, 1)) / 2;
    if (x < mid) return i;
  }
  return s.text.size();
}

void Changed(HWND hwnd, EditState& s) {
  ScrollToCaret(hwnd, s);
  Redraw(hwnd);
  NotifyParent(hwnd, EN_CHANGE);
}

void Replace(HWND hwnd, EditState& s, std::string_view with) {
  size_t start = SelStart(s), end = SelEnd(s);
  size_t room = s.limit - std::min(s.limit, s.text.size() - (end - start));
  if (with.size() > room) {
    MessageBeep(0);
    with = with.substr(0, room);
  }
  s.text.replace(start, end - start, with);
  s.anchor = s.caret = start + with.size();
}

void Copy(HWND hwnd, const EditState& s) {
  size_t start = SelStart(s), end = SelEnd(s);
  if (start == end || !OpenClipboard(hwnd)) return;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, end - start + 1);
  if (char* p = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr) {
    std::memcpy(p, s.text.data() + start, end - start);
    p[end - start] = '\0';
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
  }
  CloseClipboard();
}

void Paste(HWND hwnd, EditState& s) {
  if (!OpenClipboard(hwnd)) return;
  std::string text;
  if (HANDLE memory = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(memory))) {
      text.assign(p, strnlen(p, GlobalSize(memory)));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  if (StyleOf(hwnd) & ES_NUMBER) {
    if (text.find_first_not_of("0123456789") != std::string::npos) {
      MessageBeep(0);
      return;
    }
  }
  Replace(hwnd, s, text);
  Changed(hwnd, s);
}

void Key(HWND hwnd, EditState& s, WPARAM vk) {
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0, control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  bool readOnly = (StyleOf(hwnd) & ES_READONLY) != 0;
  size_t caret = s.caret;
  switch (vk) {
    case VK_LEFT:
      if (!shift && SelStart(s) != SelEnd(s)) caret = SelStart(s);
      else if (caret > 0) --caret;
      break;
    case VK_RIGHT:
      if (!shift && SelStart(s) != SelEnd(s)) caret = SelEnd(s);
      else if (caret < s.text.size()) ++caret;
      break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = s.text.size(); break;
    case VK_DELETE:
      if (readOnly) return;
      if (shift) {  // Shift+Delete cuts
        Copy(hwnd, s);
      } else if (SelStart(s) == SelEnd(s)) {
        if (s.caret >= s.text.size()) return;
        s.anchor = s.caret + 1;
      }
      Replace(hwnd, s, "");
      Changed(hwnd, s);
      return;
    case VK_INSERT:
      if (control) Copy(hwnd, s);
      else if (shift && !readOnly) Paste(hwnd, s);
      return;
    default:
      return;
  }
  s.caret = caret;
  if (!shift) s.anchor = caret;
  ScrollToCaret(hwnd, s);
  Redraw(hwnd);
}

void Char(HWND hwnd, EditState& s, char c) {
  bool readOnly = (StyleOf(hwnd) & ES_READONLY) != 0;
  switch (c) {
    case 1:  // Ctrl+A
      s.anchor = 0;
      s.caret = s.text.size();
      Redraw(hwnd);
      return;
    case 3:  // Ctrl+C
      Copy(hwnd, s);
      return;
    case 24:  // Ctrl+X
      if (readOnly) return;
      Copy(hwnd, s);
      Replace(hwnd, s, "");
      Changed(hwnd, s);
      return;
    case 22:  // Ctrl+V
      if (!readOnly) Paste(hwnd, s);
      return;
    case '\b':
      if (readOnly) return;
      if (SelStart(s) == SelEnd(s)) {
        if (s.caret == 0) return;
        s.anchor = s.caret - 1;
      }
      Replace(hwnd, s, "");
      Changed(hwnd, s);
      return;
  }
  if (static_cast<unsigned char>(c) < 0x20 || readOnly) return;
  if ((StyleOf(hwnd) & ES_NUMBER) && (c < '0' || c > '9')) {
    MessageBeep(0);
    return;
  }
  Replace(hwnd, s, std::string_view(&c, 1));
  Changed(hwnd, s);
}

}  // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      if (LONG unsupported = StyleOf(hwnd) & (ES_MULTILINE | ES_UPPERCASE | ES_LOWERCASE | ES_PASSWORD))
        PLAT_FIXME("edit: style %#lx (one line, as typed, shown)", static_cast<unsigned long>(unsupported));
      EditState& s = States::Of(hwnd);
      char buffer[1024];
      GetWindowTextA(hwnd, buffer, sizeof buffer);
      s.text = buffer;
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT: {
      EditState& s = States::Of(hwnd);
      s.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      s.anchor = s.caret = 0;
      s.scroll = 0;
      DefWindowProcA(hwnd, message, wParam, lParam);
      Redraw(hwnd);
      NotifyParent(hwnd, EN_CHANGE);
      return TRUE;
    }
    case WM_GETTEXT: {
      EditState& s = States::Of(hwnd);
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t n = std::min(s.text.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(buffer, s.text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(States::Of(hwnd).text.size());
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      EditState& s = States::Of(hwnd);
      s.focused = message == WM_SETFOCUS;
      Redraw(hwnd);
      NotifyParent(hwnd, s.focused ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      EditState& s = States::Of(hwnd);
      SetFocus(hwnd);
      s.caret = IndexAt(hwnd, s, static_cast<short>(LOWORD(lParam)));
      if (!(GetKeyState(VK_SHIFT) & 0x8000)) s.anchor = s.caret;
      s.selecting = true;
      SetCapture(hwnd);
      Redraw(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE: {
      EditState& s = States::Of(hwnd);
      if (!s.selecting) return 0;
      s.caret = IndexAt(hwnd, s, static_cast<short>(LOWORD(lParam)));
      ScrollToCaret(hwnd, s);
      Redraw(hwnd);
      return 0;
    }
    case WM_LBUTTONUP:
      States::Of(hwnd).selecting = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_LBUTTONDBLCLK: {
      EditState& s = States::Of(hwnd);
      s.anchor = 0;
      s.caret = s.text.size();
      Redraw(hwnd);
      return 0;
    }
    case WM_KEYDOWN:
      Key(hwnd, States::Of(hwnd), wParam);
      return 0;
    case WM_CHAR:
      Char(hwnd, States::Of(hwnd), static_cast<char>(wParam));
      return 0;
    case WM_COPY:
      Copy(hwnd, States::Of(hwnd));
      return 0;
    case WM_PASTE:
      Paste(hwnd, States::Of(hwnd));
      return 0;
    case EM_GETSEL: {
      EditState& s = States::Of(hwnd);
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(SelStart(s));
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(SelEnd(s));
      return MAKELONG(SelStart(s), SelEnd(s));
    }
    case EM_SETSEL: {
      EditState& s = States::Of(hwnd);
      long start = static_cast<long>(static_cast<int>(wParam)), end = static_cast<long>(static_cast<int>(lParam));
      size_t n = s.text.size();
      if (start < 0) {
        s.anchor = s.caret = SelEnd(s);
      } else {
        s.anchor = std::min<size_t>(static_cast<size_t>(start), n);
        s.caret = end < 0 ? n : std::min<size_t>(static_cast<size_t>(end), n);
      }
      ScrollToCaret(hwnd, s);
      Redraw(hwnd);
      return 0;
    }
    case EM_LIMITTEXT:
      States::Of(hwnd).limit = wParam ? static_cast<size_t>(wParam) : 0x7FFFFFFE;
      return 0;
    case EM_SETREADONLY:
      SetWindowLongA(hwnd, GWL_STYLE, wParam ? (StyleOf(hwnd) | ES_READONLY) : (StyleOf(hwnd) & ~ES_READONLY));
      Redraw(hwnd);
      return TRUE;
    case WM_NCDESTROY:
      States::Drop(hwnd);
      break;
  }
  return ControlDefault(hwnd, message, wParam, lParam);
}

}  // namespace plat::dlg
