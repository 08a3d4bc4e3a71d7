#include "saver_window.h"

#include <cstdlib>

#include "password.h"
#include "saver_state.h"
#include "scene.h"

const char kSaverClassName[] = "WindowsScreenSaverClass";

namespace {

constexpr int kSaverIconId = 100;

void HideCursor() { SetCursor(nullptr); }

void TakeReferencePosition() { GetCursorPos(&g_saver.reference); }

void DetachInputMethod(HWND window) {
  g_saver.imeLibrary = GetModuleHandleA("IMM32.DLL");
  if (!g_saver.imeLibrary) return;
  g_saver.immAssociateContext = reinterpret_cast<ImmAssociateContextProc>(
      reinterpret_cast<void*>(GetProcAddress(g_saver.imeLibrary, "ImmAssociateContext")));
  if (g_saver.immAssociateContext) g_saver.savedContext = g_saver.immAssociateContext(window, nullptr);
}

void RestoreInputMethod(HWND window) {
  if (g_saver.imeLibrary && g_saver.immAssociateContext && g_saver.savedContext)
    g_saver.immAssociateContext(window, g_saver.savedContext);
}

}  // namespace

BOOL VerifyBeforeClose(HWND window) {
  if (g_saver.verifying || g_saver.closing) return FALSE;
  if (!g_saver.passwordLibrary) {
    g_saver.closing = 1;
    return TRUE;
  }
  DWORD now = GetTickCount();
  if (g_saver.lastVerifyTime != static_cast<DWORD>(-1) && now - g_saver.lastVerifyTime < kVerifyQuietMs)
    return FALSE;

  g_saver.verifying = true;
  // Timer ticks queued while the check runs would start frames behind the dialog.
  MSG pending;
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  g_saver.closing = static_cast<int>(SendMessageA(window, kVerifyRequest, 0, 0));
  g_saver.verifying = false;
  if (!g_saver.closing) HideCursor();
  g_saver.lastVerifyTime = GetTickCount();
  return g_saver.closing;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_saver.preview || g_saver.closing) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_CLOSE:
      if (g_saver.windows95) {
        if (VerifyBeforeClose(window)) return DefWindowProcA(window, message, wParam, lParam);
        TakeReferencePosition();
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case kVerifyRequest:
      if (g_saver.windows95) return g_saver.verifyPassword ? g_saver.verifyPassword(window) : 1;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      break;
  }
  // No input ends the saver while the password dialog is up.
  if (g_saver.verifying) return DefWindowProcA(window, message, wParam, lParam);

  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam) HideCursor();
      break;
    case WM_ACTIVATEAPP:
      if (!wParam) PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_SETCURSOR:
      HideCursor();
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_MOUSEMOVE: {
      POINT now;
      GetCursorPos(&now);
      int distance = std::abs(now.x - g_saver.reference.x) + std::abs(now.y - g_saver.reference.y);
      if (distance > kMouseThreshold) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        g_saver.reference = now;
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      DetachInputMethod(window);
      TakeReferencePosition();
      if (!g_saver.preview) HideCursor();
      break;
    case WM_DESTROY:
      RestoreInputMethod(window);
      PostQuitMessage(0);
      break;
    case WM_SETTEXT:
      return 0;
    case WM_PAINT:
      if (g_saver.closing) return DefWindowProcA(window, message, wParam, lParam);
      if (!g_saver.preview) HideCursor();
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (g_saver.preview) {
        HWND parent = GetParent(window);
        if (parent && IsWindow(parent))
          PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      if (!g_saver.preview && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
        return 0;
      break;
    case WM_TIMER:
      if (g_saver.closing) return 0;
      Sleep(0);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (g_saver.closing) return DefWindowProcA(window, message, wParam, lParam);
      break;
    default:
      break;
  }
  return SceneProc(window, message, wParam, lParam);
}

int RunSaverWindow(HWND parent) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = g_saver.instance;
  windowClass.hIcon = LoadIconA(g_saver.instance, MAKEINTRESOURCEA(kSaverIconId));
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kSaverClassName;

  int width, height;
  LPCSTR title;
  DWORD style, exStyle;
  if (parent) {
    RECT client;
    GetClientRect(parent, &client);
    width = client.right - client.left;
    height = client.bottom - client.top;
    title = "Preview";
    style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    exStyle = 0;
    g_saver.preview = true;
  } else {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    title = "Screen Saver";
    HWND running = FindWindowA(kSaverClassName, title);
    if (running && IsWindow(running)) {
      SetForegroundWindow(running);
      return 0;
    }
    LoadPasswordVerifier();
    style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    exStyle = WS_EX_TOPMOST;
  }

  if (RegisterClassA(&windowClass)) {
    g_saver.saverWindow = CreateWindowExA(exStyle, kSaverClassName, title, style, 0, 0, width, height, parent,
                                          nullptr, g_saver.instance, nullptr);
  }

  MSG message = {};
  int result = -1;  // no window: nothing ran
  if (g_saver.saverWindow) {
    if (!g_saver.preview) SetForegroundWindow(g_saver.saverWindow);
    // GetMessageA returns -1 on failure; only a real WM_QUIT (0) ends the loop.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    result = static_cast<int>(message.wParam);
  }
  UnloadPasswordVerifier();
  return result;
}
