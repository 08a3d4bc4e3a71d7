// A clipboard of the process's own (CF_TEXT only matters to us). Its text
// is also the desktop's clipboard text when the backend has a desktop.
#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "core/backend.h"
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

// The text of a CF_TEXT block, at most its size.
std::string TextOf(HANDLE handle) {
  std::string text;
  if (const char* p = handle ? static_cast<const char*>(GlobalLock(handle)) : nullptr) {
    text.assign(p, strnlen(p, GlobalSize(handle)));
    GlobalUnlock(handle);
  }
  return text;
}

HANDLE BlockOf(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (char* p = block ? static_cast<char*>(GlobalLock(block)) : nullptr) {
    std::memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
  }
  return block;
}

// Text another program put on the desktop's clipboard replaces ours.
void TakeDesktopText(Clipboard& c) {
  std::string desktop;
  if (!plat::HasBackend() || !plat::CurrentBackend().GetClipboardText(&desktop)) return;
  auto it = c.data.find(CF_TEXT);
  if (it != c.data.end() && TextOf(it->second) == desktop) return;
  HANDLE block = BlockOf(desktop);
  if (!block) return;
  if (it != c.data.end()) GlobalFree(it->second);
  c.data[CF_TEXT] = block;
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
  if (uFormat == CF_TEXT && plat::HasBackend()) plat::CurrentBackend().SetClipboardText(TextOf(hMem));
  return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
  if (!C().open) return nullptr;
  if (uFormat == CF_TEXT) TakeDesktopText(C());
  auto it = C().data.find(uFormat);
  return it == C().data.end() ? nullptr : it->second;
}

}  // extern "C"
