// What the dialog manager and the controls share.
#pragma once

#include <windows.h>

#include <map>

#include "core/lifecycle.h"

namespace plat::dlg {

// The classes every program has: "#32770" dialogs, "BUTTON", "STATIC",
// "EDIT", "SCROLLBAR", the menu pop-up, and "msctls_updown32".
void RegisterSystemClasses();

LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MenuPopupProc(HWND, UINT, WPARAM, LPARAM);
void RegisterUpDownClass();

// The font a control was given with WM_SETFONT (the dialog font if none).
HFONT ControlFont(HWND control);
// What every control does with messages it has no use for: system keys go
// to the dialog (its menu), the rest to DefWindowProcA.
LRESULT ControlDefault(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_COMMAND (id, code) from a control to its parent.
void NotifyParent(HWND control, WORD code);

// Per-window state of a control class, dropped at WM_NCDESTROY and at
// shutdown.
template <typename T>
class ControlStates {
 public:
  static T& Of(HWND hwnd) {
    if (!map_) {
      map_ = new std::map<HWND, T>;
      RegisterReset([] {
        delete map_;
        map_ = nullptr;
      });
    }
    return (*map_)[hwnd];
  }
  static T* Find(HWND hwnd) {
    if (!map_) return nullptr;
    auto it = map_->find(hwnd);
    return it == map_->end() ? nullptr : &it->second;
  }
  static void Drop(HWND hwnd) {
    if (map_) map_->erase(hwnd);
  }

 private:
  static inline std::map<HWND, T>* map_ = nullptr;
};

}  // namespace plat::dlg
