// The engine's tests that need no host of ours, run on Windows (or Wine). A
// report the engine shows would be a modal message box that nobody answers:
// every one is refused before it appears and counted instead.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

namespace {

int g_refusedBoxes = 0;

LRESULT CALLBACK RefuseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    char name[16] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0) {
      ++g_refusedBoxes;
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseMessageBoxes, nullptr, GetCurrentThreadId());
  int result = RUN_ALL_TESTS();
  if (hook) UnhookWindowsHookEx(hook);
  if (g_refusedBoxes) std::printf("%d report box(es) refused\n", g_refusedBoxes);
  return result;
}
