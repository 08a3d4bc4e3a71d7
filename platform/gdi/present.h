// Presentation of what was drawn into windows: drawing records the damaged
// rectangles of each native window; releasing the DC presents them as one
// list, so a frame's blits reach the screen together.
#pragma once

#include <windows.h>

#include "core/backend.h"

namespace plat {

// Presents everything drawn and not yet presented (user/ calls it before it
// waits for events).
void FlushPresent();

namespace gdi {

// r in surface coordinates of native; hwnd is the window drawn into.
void RecordDamage(NativeWindow* native, HWND hwnd, const RECT& r);
// Presents the damage of native, if any, in one call.
void PresentNative(NativeWindow* native);

}  // namespace gdi
}  // namespace plat
