// A clipboard of the process's own (CF_TEXT only matters to us). The text
// set here also goes to the desktop's clipboard when a backend has one.
#include <windows.h>

#include <cstring>
#include <map>

#include "core/lifecycle.h"

namespace {

struct Clipboard {
  bool open = false;
  std::map<UINT, HANDLE> data;  // global memory handles the clipboard owns
};
Clipboard* g_clipboard = nullptr;

void Free(Clipboard& c) {
  for (auto& [format, handle] : c.data) GlobalFree(handle);
  c.data.clear();
}

Clipboard& C() {
  if (!g_clipboard) {
    g_clipboard = new Clipboard;
    plat::RegisterReset([] {
      if (!g_clipboard) return;
      Free(*g_clipboard);
      delete g_clipboard;
      g_clipboard = nullptr;
    });
  }
  return *g_clipboard;
}

}  // namespace

extern "C" {

BOOL WINAPI OpenClipboard(HWND) {
  if (C().open) return FALSE;
  C().open = true;
  return TRUE;
}

BOOL WINAPI CloseClipboard(void) {
  if (!C().open) return FALSE;
  C().open = false;
  return TRUE;
}

BOOL WINAPI EmptyClipboard(void) {
  if (!C().open) return FALSE;
  Free(C());
  return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
  if (!C().open || !hMem) return nullptr;
  auto it = C().data.find(uFormat);
  if (it != C().data.end() && it->second != hMem) GlobalFree(it->second);
  C().data[uFormat] = hMem;
  return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
  if (!C().open) return nullptr;
  auto it = C().data.find(uFormat);
  return it == C().data.end() ? nullptr : it->second;
}

}  // extern "C"
