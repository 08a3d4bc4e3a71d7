// A window procedure that writes down what it is sent, for tests of order.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace usertest {

struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages of all logging windows, in the order they arrived.
std::vector<Logged>& Log();
// Names of the logged messages of one window (or all), e.g. "WM_CREATE".
std::vector<std::string> Names(HWND hwnd = nullptr);
std::string Name(UINT message);

// Optional handler run before the default one; return true to skip it.
using Hook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
void SetHook(Hook hook);

// Registers the logging class "UserTestWindow" (idempotent per start).
void RegisterLoggingClass(HBRUSH background = nullptr);
HWND Create(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, const char* title = "test",
            DWORD exStyle = 0);

}  // namespace usertest
