// Modal dialogs from templates: creation in dialog units, the default
// dialog procedure, the modal loop and the dialog keyboard.
#include <algorithm>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/trace.h"
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_menu.h"
#include "user/dialogs_paint.h"
#include "user/dialogs_template.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::dlg;

namespace {

constexpr const char* kDialogClass = "#32770";
constexpr int kDialogExtra = 3 * static_cast<int>(sizeof(LONG_PTR));  // DWLP_MSGRESULT, DLGPROC, USER

struct DialogData {
  DLGPROC proc = nullptr;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  HFONT font = nullptr;
  int baseX = 6, baseY = 13;
  HWND savedFocus = nullptr;
  WORD defId = IDOK;
};

using Dialogs = ControlStates<DialogData>;

DialogData* DataOf(HWND hwnd) { return Dialogs::Find(hwnd); }

bool IsTabStop(HWND hwnd) {
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> ChildrenOf(HWND dlg) {
  user::Window* w = user::Find(dlg);
  return w ? w->children : std::vector<HWND>{};
}

// The control of dlg that holds hwnd (hwnd itself or an ancestor).
HWND DirectChild(HWND dlg, HWND hwnd) {
  for (user::Window* w = user::Find(hwnd); w; w = w->parent ? user::Find(w->parent) : nullptr)
    if (w->parent == dlg) return w->handle;
  return nullptr;
}

HWND FirstTabStop(HWND dlg) { return GetNextDlgTabItem(dlg, nullptr, FALSE); }

bool IsPushButton(HWND hwnd, LONG* type) {
  char name[16];
  if (!GetClassNameA(hwnd, name, sizeof name) || strcasecmp(name, "BUTTON") != 0) return false;
  *type = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return *type == BS_PUSHBUTTON || *type == BS_DEFPUSHBUTTON;
}

// Group navigation with the arrow keys: controls between WS_GROUP marks.
HWND NextInGroup(HWND dlg, HWND from, bool previous) {
  std::vector<HWND> kids = ChildrenOf(dlg);
  auto it = std::find(kids.begin(), kids.end(), from);
  if (it == kids.end()) return nullptr;
  size_t index = static_cast<size_t>(it - kids.begin());
  size_t start = index, end = index;
  auto groupStart = [&](size_t i) { return (GetWindowLongA(kids[i], GWL_STYLE) & WS_GROUP) != 0; };
  while (start > 0 && !groupStart(start)) --start;
  while (end + 1 < kids.size() && !groupStart(end + 1)) ++end;
  size_t n = end - start + 1;
  for (size_t step = 1; step < n; ++step) {
    size_t i = previous ? start + (index - start + n - step) % n : start + (index - start + step) % n;
    LONG style = GetWindowLongA(kids[i], GWL_STYLE);
    if ((style & WS_VISIBLE) && !(style & WS_DISABLED)) return kids[i];
  }
  return nullptr;
}

void FocusControl(HWND dlg, HWND control) {
  if (!control) return;
  // Selected before it takes the focus, as on Windows: what the control that
  // loses the focus does on leaving can still change the selection.
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
  if (DialogData* d = DataOf(dlg)) d->savedFocus = control;
}

void Command(HWND dlg, int id) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

int DefaultId(HWND dlg) {
  for (HWND child : ChildrenOf(dlg)) {
    LONG type;
    if (IsPushButton(child, &type) && type == BS_DEFPUSHBUTTON) return GetDlgCtrlID(child);
  }
  if (DialogData* d = DataOf(dlg)) return d->defId;
  return IDOK;
}

LRESULT DefDialog(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogData* d = DataOf(dlg);
  HFONT font = d ? d->font : DefaultDialogFont();
  if (MenuMessage(dlg, message, wParam, lParam, font)) return 0;
  switch (message) {
    case WM_CLOSE:
      Command(dlg, IDCANCEL);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(dlg, WM_CLOSE, 0, 0);
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(dlg, &r);
      Fill(reinterpret_cast<HDC>(wParam), r, COLOR_BTNFACE);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(dlg, &ps);
      DrawWindowFrame(dlg, font, GetActiveWindow() == dlg || (d && d->modal && !GetActiveWindow()));
      EndPaint(dlg, &ps);
      return 0;
    }
    case WM_NCACTIVATE:
      DrawWindowFrame(dlg, font, wParam != FALSE);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (d && focus && IsChild(dlg, focus)) d->savedFocus = focus;
      } else if (d) {
        HWND target = d->savedFocus && IsWindow(d->savedFocus) ? d->savedFocus : FirstTabStop(dlg);
        if (target) SetFocus(target);
      }
      return 0;
    case WM_LBUTTONDOWN: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT close = CloseButtonRect(dlg);
      if (PtInRect(&close, pt)) PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font);
    case DM_GETDEFID:
      return MAKELONG(DefaultId(dlg), 0x534B /* DC_HASDEFID */);
    case DM_SETDEFID:
      if (d) d->defId = static_cast<WORD>(wParam);
      return TRUE;
    case WM_NEXTDLGCTL:
      FocusControl(dlg, lParam ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(dlg, GetFocus(), wParam ? TRUE : FALSE));
      return 0;
    case WM_NCDESTROY:
      CloseMenus(dlg);
      Dialogs::Drop(dlg);
      return DefWindowProcA(dlg, message, wParam, lParam);
  }
  return DefWindowProcA(dlg, message, wParam, lParam);
}

// Messages whose answer the dialog procedure returns itself rather than
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  return message == WM_INITDIALOG || message == WM_CTLCOLORBTN || message == WM_CTLCOLORDLG ||
         message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLORSCROLLBAR ||
         message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORMSGBOX;
}

LRESULT CALLBACK DialogWindowProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogData* d = DataOf(dlg);
  if (d && d->proc) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
    INT_PTR handled = d->proc(dlg, message, wParam, lParam);
    if (handled) {
      if (ReturnsDirectly(message)) return handled;
      return IsWindow(dlg) ? GetWindowLongPtrA(dlg, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(dlg)) return 0;
  }
  return DefDialog(dlg, message, wParam, lParam);
}

int ToPixelsX(const DialogData& d, int units) { return MulDiv(units, d.baseX, 4); }
int ToPixelsY(const DialogData& d, int units) { return MulDiv(units, d.baseY, 8); }

HWND TopLevelOf(HWND hwnd) {
  user::Window* w = user::Find(hwnd);
  while (w && w->parent) w = user::Find(w->parent);
  return w ? w->handle : nullptr;
}

// Creates the dialog and its controls; null on failure.
HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  RegisterSystemClasses();
  HFONT font = t.hasFont ? GetDialogFont(t.pointSize, t.weight >= 700) : DefaultDialogFont();
  FontMetrics m = MetricsOf(font);
  DialogData setup;
  setup.proc = proc;
  setup.font = font;
  setup.baseX = std::max(1, m.avgWidth);
  setup.baseY = std::max(1, m.height);

  DWORD style = t.style & ~(WS_VISIBLE | WS_CHILD);
  DWORD exStyle = t.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (!(style & WS_POPUP)) style |= WS_POPUP;
  HMENU menu = nullptr;
  if (!t.menu.Empty())
    menu = LoadMenuA(instance, t.menu.isOrdinal ? MAKEINTRESOURCEA(t.menu.ordinal) : t.menu.text.c_str());
  RECT r{0, 0, ToPixelsX(setup, t.cx), ToPixelsY(setup, t.cy)};
  AdjustWindowRectEx(&r, style, menu != nullptr, exStyle);
  int width = r.right - r.left, height = r.bottom - r.top;
  int x = ToPixelsX(setup, t.x), y = ToPixelsY(setup, t.y);
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (style & DS_CENTER) {
    RECT ownerRect;
    if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect)) area = ownerRect;
    x = area.left + (area.right - area.left - width) / 2;
    y = area.top + (area.bottom - area.top - height) / 2;
  } else if (owner) {
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    x += origin.x;
    y += origin.y;
  }
  // Keep the dialog on the screen.
  x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - width));
  y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - height));

  HWND dlg = CreateWindowExA(exStyle, kDialogClass, t.title.c_str(), style, x, y, width, height, owner, nullptr,
                             instance, nullptr);
  if (!dlg) {
    if (menu) DestroyMenu(menu);
    return nullptr;
  }
  Dialogs::Of(dlg) = setup;
  if (menu) SetMenu(dlg, menu);

  for (const DialogItem& item : t.items) {
    std::string cls = item.windowClass.isOrdinal ? ItemClassName(item.windowClass.ordinal) : item.windowClass.text;
    std::string title = item.title.isOrdinal ? std::string() : item.title.text;
    const void* data = item.creationData.empty() ? nullptr : item.creationData.data();
    DWORD itemStyle = item.style | WS_CHILD, itemExStyle = item.exStyle;
    // Dialogs show bordered edit fields sunken, as the 3D look has them.
    if (strcasecmp(cls.c_str(), "EDIT") == 0 && (itemStyle & WS_BORDER)) {
      itemStyle &= ~WS_BORDER;
      itemExStyle |= WS_EX_CLIENTEDGE;
    }
    HWND control = CreateWindowExA(itemExStyle, cls.c_str(), title.c_str(), itemStyle,
                                   ToPixelsX(setup, item.x), ToPixelsY(setup, item.y), ToPixelsX(setup, item.cx),
                                   ToPixelsY(setup, item.cy), dlg, reinterpret_cast<HMENU>(uintptr_t{item.id}),
                                   instance, const_cast<void*>(data));
    if (!control) {
      if (GetLastError() == ERROR_CLASS_DOES_NOT_EXIST) PLAT_FIXME("dialog: no control class \"%s\"", cls.c_str());
      if (t.style & DS_NOFAILCREATE) continue;
      DestroyWindow(dlg);
      return nullptr;
    }
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (item.title.isOrdinal) {
      HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(item.title.ordinal));
      if (icon) SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
  }
  if (t.hasFont && proc) proc(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (!IsWindow(dlg)) return nullptr;
  HWND first = FirstTabStop(dlg);
  LRESULT focus = SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg)) return nullptr;
  if (focus && first) FocusControl(dlg, first);
  return dlg;
}

INT_PTR RunModal(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc, LPARAM param) {
  HWND owner = parent ? TopLevelOf(parent) : nullptr;
  if (parent && !owner && IsWindow(parent)) owner = parent;
  HWND dlg = CreateFromTemplate(instance, t, owner, proc, param);
  if (!dlg) {
    SetLastError(ERROR_INVALID_DATA);
    return -1;
  }
  DialogData* d = DataOf(dlg);
  d->modal = true;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  if (!d->ended) {
    ShowWindow(dlg, SW_SHOW);
    UpdateWindow(dlg);
  }
  bool quit = false;
  WPARAM quitCode = 0;
  while ((d = DataOf(dlg)) && !d->ended) {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageA(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  INT_PTR result = (d = DataOf(dlg)) ? d->result : 0;
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (IsWindow(dlg)) DestroyWindow(dlg);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return result;
}

}  // namespace

namespace plat::dlg {

void RegisterSystemClasses() {
  if (user::S().systemClasses) return;
  user::S().systemClasses = true;
  struct Entry {
    const char* name;
    WNDPROC proc;
    int sysBrush;
    int extra;
  };
  const Entry entries[] = {
      {kDialogClass, DialogWindowProc, COLOR_BTNFACE, kDialogExtra},
      {"BUTTON", ButtonProc, COLOR_BTNFACE, 0},
      {"STATIC", StaticProc, COLOR_BTNFACE, 0},
      {"EDIT", EditProc, COLOR_WINDOW, 0},
      {"SCROLLBAR", ScrollBarProc, COLOR_SCROLLBAR, 0},
      {"#32768", MenuPopupProc, COLOR_MENU, 0},
  };
  for (const Entry& e : entries) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = e.proc;
    wc.lpszClassName = e.name;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(e.sysBrush + 1));
    wc.cbWndExtra = e.extra;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
  }
  RegisterUpDownClass();
}

}  // namespace plat::dlg

extern "C" {

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  // An in-memory template carries no size: read at most what a template can
  // hold (its count of items bounds it), the parser stops at its end.
  if (!hDialogTemplate) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  DialogTemplate t;
  if (!ParseDialogTemplate(reinterpret_cast<const uint8_t*>(hDialogTemplate), 0x10000, &t)) {
    SetLastError(ERROR_INVALID_DATA);
    return -1;
  }
  return RunModal(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  HRSRC info = FindResourceA(hInstance, lpTemplateName, RT_DIALOG);
  HGLOBAL loaded = info ? LoadResource(hInstance, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  DialogTemplate t;
  if (!ParseDialogTemplate(static_cast<const uint8_t*>(data), SizeofResource(hInstance, info), &t)) {
    SetLastError(ERROR_INVALID_DATA);
    return -1;
  }
  return RunModal(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  DialogData* d = DataOf(hDlg);
  if (!d) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  d->ended = true;
  d->result = nResult;
  // The dialog disappears at once; it is destroyed when its loop ends.
  ShowWindow(hDlg, SW_HIDE);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  for (HWND child : ChildrenOf(hDlg))
    if (GetDlgCtrlID(child) == nIDDlgItem) return child;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  user::Window* w = user::Find(hWnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  return item ? SetWindowTextA(item, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item) {
    if (lpString && cchMax > 0) *lpString = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
  char text[16];
  if (bSigned)
    std::snprintf(text, sizeof text, "%d", static_cast<int>(uValue));
  else
    std::snprintf(text, sizeof text, "%u", uValue);
  return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
  if (lpTranslated) *lpTranslated = FALSE;
  char text[64];
  if (!GetDlgItemTextA(hDlg, nIDDlgItem, text, sizeof text)) return 0;
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (bSigned && *p == '-') {
    negative = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  unsigned long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + static_cast<unsigned>(*p - '0');
    if (value > (bSigned ? 0x80000000ull : 0xFFFFFFFFull)) return 0;
  }
  while (*p == ' ') ++p;
  if (*p) return 0;
  if (bSigned && !negative && value > 0x7FFFFFFF) return 0;
  if (lpTranslated) *lpTranslated = TRUE;
  return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  std::vector<HWND> kids = ChildrenOf(hDlg);
  if (kids.empty()) return nullptr;
  size_t n = kids.size();
  HWND from = hCtl ? DirectChild(hDlg, hCtl) : nullptr;
  auto it = std::find(kids.begin(), kids.end(), from);
  size_t index = it == kids.end() ? (bPrevious ? 0 : n - 1) : static_cast<size_t>(it - kids.begin());
  for (size_t step = 1; step <= n; ++step) {
    size_t i = bPrevious ? (index + n - step) % n : (index + step) % n;
    if (IsTabStop(kids[i])) return kids[i];
  }
  return hCtl;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  DialogData* d = DataOf(hDlg);
  if (!d || !lpRect) return FALSE;
  lpRect->left = ToPixelsX(*d, lpRect->left);
  lpRect->right = ToPixelsX(*d, lpRect->right);
  lpRect->top = ToPixelsY(*d, lpRect->top);
  lpRect->bottom = ToPixelsY(*d, lpRect->bottom);
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) {
  FontMetrics m = MetricsOf(DefaultDialogFont());
  return MAKELONG(m.avgWidth, m.height);
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !hDlg || !DataOf(hDlg)) return FALSE;
  if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
  UINT message = lpMsg->message;
  if (MenuActive(hDlg) && message >= WM_KEYFIRST && message <= WM_KEYLAST) {
    DefDialog(hDlg, message, lpMsg->wParam, lpMsg->lParam);
    return TRUE;
  }
  if (message == WM_KEYDOWN) {
    LRESULT code = SendMessageA(lpMsg->hwnd, WM_GETDLGCODE, lpMsg->wParam, reinterpret_cast<LPARAM>(lpMsg));
    HWND focus = GetFocus();
    switch (lpMsg->wParam) {
      case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) break;
        FocusControl(hDlg, GetNextDlgTabItem(hDlg, focus, (GetKeyState(VK_SHIFT) & 0x8000) ? TRUE : FALSE));
        return TRUE;
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN:
        if (code & (DLGC_WANTARROWS | DLGC_WANTMESSAGE)) break;
        if (HWND next = NextInGroup(hDlg, DirectChild(hDlg, focus),
                                    lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP))
          FocusControl(hDlg, next);
        return TRUE;
      case VK_RETURN: {
        if (code & DLGC_WANTMESSAGE) break;
        LONG type;
        HWND control = DirectChild(hDlg, focus);
        int id = control && IsPushButton(control, &type) ? GetDlgCtrlID(control) : LOWORD(SendMessageA(hDlg, DM_GETDEFID, 0, 0));
        Command(hDlg, id);
        return TRUE;
      }
      case VK_ESCAPE:
        if (code & DLGC_WANTMESSAGE) break;
        Command(hDlg, IDCANCEL);
        return TRUE;
    }
  } else if (message == WM_CHAR && (lpMsg->wParam == '\r' || lpMsg->wParam == 27 || lpMsg->wParam == '\t')) {
    return TRUE;
  }
  TranslateMessage(lpMsg);
  DispatchMessageA(lpMsg);
  return TRUE;
}

}  // extern "C"
