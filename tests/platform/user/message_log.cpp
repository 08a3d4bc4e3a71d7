#include "message_log.h"

#include <map>

namespace usertest {
namespace {

Hook g_hook;

LRESULT CALLBACK LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Logged{hwnd, message, wParam, lParam});
  LRESULT result = 0;
  if (g_hook && g_hook(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

std::vector<Logged>& Log() {
  static std::vector<Logged> log;
  return log;
}

std::string Name(UINT message) {
  static const std::map<UINT, std::string> names = {
      {WM_CREATE, "WM_CREATE"},
      {WM_DESTROY, "WM_DESTROY"},
      {WM_MOVE, "WM_MOVE"},
      {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"},
      {WM_SETFOCUS, "WM_SETFOCUS"},
      {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_PAINT, "WM_PAINT"},
      {WM_CLOSE, "WM_CLOSE"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
      {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_NCCREATE, "WM_NCCREATE"},
      {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"},
      {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
      {WM_TIMER, "WM_TIMER"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
      {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
      {WM_SETTEXT, "WM_SETTEXT"},
      {WM_GETTEXT, "WM_GETTEXT"},
      {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
      {WM_ENABLE, "WM_ENABLE"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
  };
  auto it = names.find(message);
  return it != names.end() ? it->second : "0x" + std::to_string(message);
}

std::vector<std::string> Names(HWND hwnd) {
  std::vector<std::string> out;
  for (const Logged& l : Log())
    if (!hwnd || l.hwnd == hwnd) out.push_back(Name(l.message));
  return out;
}

void SetHook(Hook hook) { g_hook = std::move(hook); }

void RegisterLoggingClass(HBRUSH background) {
  Log().clear();
  g_hook = nullptr;
  WNDCLASSA wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.cbWndExtra = 16;
  wc.hbrBackground = background;
  wc.lpszClassName = "UserTestWindow";
  UnregisterClassA("UserTestWindow", nullptr);
  RegisterClassA(&wc);
}

HWND Create(DWORD style, int x, int y, int w, int h, HWND parent, const char* title, DWORD exStyle) {
  return CreateWindowExA(exStyle, "UserTestWindow", title, style, x, y, w, h, parent, nullptr, nullptr,
                         nullptr);
}

}  // namespace usertest
