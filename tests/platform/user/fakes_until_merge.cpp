// Stand-ins for the few gdi and kernel functions the window tests reach,
// until those areas are merged in. Weak, so the real ones win; delete this
// file once gdi and kernel are on the branch.
#include <windows.h>

#include "../../../platform/core/draw_target.h"

extern "C" {

namespace {
thread_local DWORD g_lastError = 0;
}

__attribute__((weak)) void WINAPI SetLastError(DWORD dwErrCode) { g_lastError = dwErrCode; }
__attribute__((weak)) DWORD WINAPI GetLastError(void) { return g_lastError; }

// A DC is the window handle plus one; a brush carries its colour.
__attribute__((weak)) HDC WINAPI GetDC(HWND hWnd) {
  return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(hWnd) + 1);
}
__attribute__((weak)) int WINAPI ReleaseDC(HWND, HDC) { return 1; }
__attribute__((weak)) HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x10000000u | (color & 0xFFFFFF)));
}

__attribute__((weak)) int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  plat::DrawTarget target;
  HWND hwnd = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hDC) - 1);
  if (!lprc || !plat::GetDrawTarget(hwnd, false, &target) || target.surface->depth != 32) return 0;
  uint32_t colour = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hbr));
  uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (int y = lprc->top + target.originY; y < lprc->bottom + target.originY; ++y)
    for (int x = lprc->left + target.originX; x < lprc->right + target.originX; ++x)
      if (x >= target.clip.left && x < target.clip.right && y >= target.clip.top && y < target.clip.bottom)
        reinterpret_cast<uint32_t*>(target.surface->pixels + y * target.surface->pitch)[x] = pixel;
  return 1;
}

}  // extern "C"
