// Menus: LoadMenuA from RT_MENU resources, the bar under the caption, and
// its pop-ups, opened by a click on a title or by Alt/F10 and Enter.
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/lifecycle.h"
#include "gdi/dc_access.h"
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_menu.h"
#include "user/dialogs_paint.h"
#include "user/dialogs_template.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::dlg;

namespace {

constexpr uintptr_t kMenuHandleBase = 0x6D000000;
constexpr int kItemHeight = 18;

struct MenuTable {
  std::map<uintptr_t, std::vector<MenuEntry>> menus;
  uintptr_t next = kMenuHandleBase;
};
MenuTable* g_menus = nullptr;

MenuTable& Menus() {
  if (!g_menus) {
    g_menus = new MenuTable;
    RegisterReset([] {
      delete g_menus;
      g_menus = nullptr;
    });
  }
  return *g_menus;
}

std::vector<MenuEntry>* EntriesOf(HMENU menu) {
  auto& menus = Menus().menus;
  auto it = menus.find(reinterpret_cast<uintptr_t>(menu));
  return it == menus.end() ? nullptr : &it->second;
}

// What a window's menu is doing.
struct Tracking {
  int selected = -1;     // highlighted title on the bar
  bool open = false;     // its pop-up shown
  int hot = -1;          // highlighted item of the pop-up
  HWND popup = nullptr;
  HWND savedFocus = nullptr;
  HFONT font = nullptr;
  HWND owner = nullptr;
};
using Trackings = ControlStates<Tracking>;

std::vector<RECT> TitleRects(HWND hwnd, HFONT font, const RECT& bar) {
  std::vector<RECT> rects;
  std::vector<MenuEntry>* entries = EntriesOf(GetMenu(hwnd));
  if (!entries) return rects;
  int x = bar.left + 1;
  for (const MenuEntry& e : *entries) {
    int w = TextWidth(font, StripMnemonic(e.text)) + 12;
    rects.push_back(RECT{x, bar.top + 1, x + w, bar.bottom - 1});
    x += w;
  }
  return rects;
}

void RedrawBar(HWND hwnd) {
  Tracking* t = Trackings::Find(hwnd);
  user::Window* w = user::Find(hwnd);
  if (!w) return;
  DrawWindowFrame(hwnd, t && t->font ? t->font : DefaultDialogFont(), GetActiveWindow() == hwnd);
}

const MenuEntry* SelectedEntry(HWND hwnd, const Tracking& t) {
  std::vector<MenuEntry>* entries = EntriesOf(GetMenu(hwnd));
  if (!entries || t.selected < 0 || t.selected >= static_cast<int>(entries->size())) return nullptr;
  return &(*entries)[t.selected];
}

void ClosePopup(Tracking& t) {
  if (t.popup) {
    HWND popup = t.popup;
    t.popup = nullptr;
    DestroyWindow(popup);
  }
  t.open = false;
  t.hot = -1;
}

void EndTracking(HWND hwnd) {
  Tracking* t = Trackings::Find(hwnd);
  if (!t) return;
  ClosePopup(*t);
  t->selected = -1;
  if (GetCapture() == hwnd) ReleaseCapture();
  HWND focus = t->savedFocus;
  t->savedFocus = nullptr;
  if (focus && IsWindow(focus)) SetFocus(focus);
  RedrawBar(hwnd);
}

void OpenPopup(HWND hwnd, Tracking& t) {
  const MenuEntry* entry = SelectedEntry(hwnd, t);
  if (!entry || !(entry->flags & MF_POPUP)) return;
  ClosePopup(t);
  RECT bar = MenuBarRect(hwnd);
  std::vector<RECT> titles = TitleRects(hwnd, t.font, bar);
  POINT at{titles[t.selected].left, bar.bottom};
  ClientToScreen(hwnd, &at);
  int width = 0;
  for (const MenuEntry& item : entry->popup) width = std::max(width, TextWidth(t.font, StripMnemonic(item.text)));
  width += 40;
  int height = static_cast<int>(entry->popup.size()) * kItemHeight + 6;
  t.open = true;
  t.hot = entry->popup.empty() ? -1 : 0;
  t.popup = CreateWindowExA(WS_EX_TOPMOST, "#32768", "", WS_POPUP, at.x, at.y, width, height, hwnd, nullptr,
                            nullptr, nullptr);
  if (t.popup) {
    SetWindowLongPtrA(t.popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hwnd));
    ShowWindow(t.popup, SW_SHOWNA);
    UpdateWindow(t.popup);
  }
  RedrawBar(hwnd);
}

void Choose(HWND hwnd, Tracking& t, int index) {
  const MenuEntry* entry = SelectedEntry(hwnd, t);
  if (!entry || index < 0 || index >= static_cast<int>(entry->popup.size())) return;
  const MenuEntry& item = entry->popup[index];
  if (item.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP)) return;
  WORD id = item.id;
  EndTracking(hwnd);
  SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Begin(HWND hwnd, Tracking& t, int title, HFONT font) {
  t.font = font;
  t.selected = title;
  if (!t.savedFocus) t.savedFocus = GetFocus();
  SetFocus(hwnd);
  SetCapture(hwnd);
}

int PopupItemAt(const Tracking& t, POINT screen) {
  RECT r;
  if (!t.popup || !GetWindowRect(t.popup, &r) || !PtInRect(&r, screen)) return -2;
  int index = (screen.y - r.top - 3) / kItemHeight;
  return index;
}

void RedrawPopup(const Tracking& t) {
  if (t.popup) {
    InvalidateRect(t.popup, nullptr, TRUE);
    UpdateWindow(t.popup);
  }
}

// An open menu has a loop of its own, as the system's menus do: its keys and
// clicks never pass through the program's loop, which may read Enter and
// Escape as its own (the settings dialog's preview loop does). It ends with
// the menu, or when the window goes away or is hidden.
void TrackModally(HWND hwnd) {
  for (;;) {
    Tracking* t = Trackings::Find(hwnd);
    if (!t || t->selected < 0) return;
    if (!IsWindowVisible(hwnd)) {
      EndTracking(hwnd);
      return;
    }
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      if (IsWindow(hwnd)) EndTracking(hwnd);
      return;
    }
    // Keys belong to the menu wherever the focus is; the mouse reaches it
    // through its capture.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      MenuMessage(hwnd, msg.message, msg.wParam, msg.lParam, t->font);
      continue;
    }
    DispatchMessageA(&msg);
  }
}

}  // namespace

namespace plat::dlg {

void DrawMenuBar(HDC hdc, HWND hwnd, const RECT& bar, HFONT font) {
  Fill(hdc, bar, COLOR_MENU);
  std::vector<MenuEntry>* entries = EntriesOf(GetMenu(hwnd));
  if (!entries) return;
  Tracking* t = Trackings::Find(hwnd);
  // bar is in whole-window coordinates here: lay the titles out the same way.
  std::vector<RECT> titles = TitleRects(hwnd, font, bar);
  for (size_t i = 0; i < titles.size(); ++i) {
    bool selected = t && t->selected == static_cast<int>(i);
    if (selected) DrawEdge3D(hdc, titles[i], t->open ? Edge::kStatic : Edge::kStatic);
    RECT text = titles[i];
    if (selected && t->open) OffsetRect(&text, 1, 1);
    DrawTextIn(hdc, font, text, (*entries)[i].text, kCenter | kVCenter, GetSysColor(COLOR_MENUTEXT));
  }
}

bool MenuActive(HWND hwnd) {
  Tracking* t = Trackings::Find(hwnd);
  return t && t->selected >= 0;
}

void CloseMenus(HWND hwnd) {
  if (Trackings::Find(hwnd)) {
    EndTracking(hwnd);
    Trackings::Drop(hwnd);
  }
}

bool MenuMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HFONT font) {
  if (!GetMenu(hwnd)) return false;
  Tracking& t = Trackings::Of(hwnd);
  POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (t.selected < 0) {
    if (message == WM_LBUTTONDOWN) {
      RECT bar = MenuBarRect(hwnd);
      std::vector<RECT> titles = TitleRects(hwnd, font, bar);
      for (size_t i = 0; i < titles.size(); ++i)
        if (PtInRect(&titles[i], pt)) {
          Begin(hwnd, t, static_cast<int>(i), font);
          OpenPopup(hwnd, t);
          TrackModally(hwnd);
          return true;
        }
      return false;
    }
    if ((message == WM_SYSKEYDOWN && wParam == VK_F10) || (message == WM_SYSKEYUP && wParam == VK_MENU)) {
      Begin(hwnd, t, 0, font);
      RedrawBar(hwnd);
      TrackModally(hwnd);
      return true;
    }
    return false;
  }
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
      POINT screen = pt;
      ClientToScreen(hwnd, &screen);
      int item = PopupItemAt(t, screen);
      if (item >= -1) {
        if (message == WM_LBUTTONUP) {
          Choose(hwnd, t, item);
        } else if (item != t.hot) {
          t.hot = item;
          RedrawPopup(t);
        }
        return true;
      }
      RECT bar = MenuBarRect(hwnd);
      std::vector<RECT> titles = TitleRects(hwnd, font, bar);
      bool onTitle = false;
      for (const RECT& r : titles) onTitle = onTitle || PtInRect(&r, pt);
      // A click outside the menus closes them; a click on the open title
      // as well (on the button's release the title stays open).
      if (message == WM_LBUTTONDOWN && (!onTitle || t.open)) EndTracking(hwnd);
      return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const MenuEntry* entry = SelectedEntry(hwnd, t);
      int count = entry ? static_cast<int>(entry->popup.size()) : 0;
      switch (wParam) {
        case VK_ESCAPE:
        case VK_MENU:
        case VK_F10:
          EndTracking(hwnd);
          break;
        case VK_RETURN:
        case VK_DOWN:
          if (!t.open)
            OpenPopup(hwnd, t);
          else if (wParam == VK_RETURN)
            Choose(hwnd, t, t.hot);
          else if (count) {
            t.hot = (t.hot + 1) % count;
            RedrawPopup(t);
          }
          break;
        case VK_UP:
          if (t.open && count) {
            t.hot = (t.hot + count - 1) % count;
            RedrawPopup(t);
          }
          break;
      }
      return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
      return true;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      if (message == WM_CANCELMODE || reinterpret_cast<HWND>(lParam) != hwnd) EndTracking(hwnd);
      return message == WM_CANCELMODE;
  }
  return false;
}

LRESULT CALLBACK MenuPopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  Tracking* t = Trackings::Find(owner);
  const MenuEntry* entry = t ? SelectedEntry(owner, *t) : nullptr;
  RECT r;
  GetClientRect(hwnd, &r);
  if (hdc && entry) {
    RECT in = DrawEdge3D(hdc, r, Edge::kWindow);
    Fill(hdc, in, COLOR_MENU);
    for (size_t i = 0; i < entry->popup.size(); ++i) {
      RECT item{in.left, 3 + static_cast<LONG>(i) * kItemHeight, in.right, 3 + static_cast<LONG>(i + 1) * kItemHeight};
      bool hot = static_cast<int>(i) == t->hot;
      if (hot) Fill(hdc, item, COLOR_HIGHLIGHT);
      RECT text = item;
      text.left += 16;
      DrawTextIn(hdc, t->font, text, entry->popup[i].text, kVCenter,
                 GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
  }
  EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace plat::dlg

extern "C" {

HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
  HRSRC info = FindResourceA(hInstance, lpMenuName, RT_MENU);
  HGLOBAL loaded = info ? LoadResource(hInstance, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::vector<MenuEntry> entries;
  if (!ParseMenuTemplate(static_cast<const uint8_t*>(data), SizeofResource(hInstance, info), &entries)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  MenuTable& table = Menus();
  uintptr_t handle = table.next++;
  table.menus[handle] = std::move(entries);
  return reinterpret_cast<HMENU>(handle);
}

HMENU WINAPI GetMenu(HWND hWnd) {
  user::Window* w = user::Find(hWnd);
  return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
  user::Window* w = user::Find(hWnd);
  if (!w || (w->style & WS_CHILD) || (hMenu && !EntriesOf(hMenu))) return FALSE;
  w->menu = hMenu;
  InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  if (!g_menus) return FALSE;
  return g_menus->menus.erase(reinterpret_cast<uintptr_t>(hMenu)) ? TRUE : FALSE;
}

}  // extern "C"
