#include "gdi/present.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/draw_target.h"
#include "core/lifecycle.h"

namespace plat {
namespace gdi {
namespace {

// Beyond this many rectangles a native window's damage becomes one box.
constexpr size_t kMaxRects = 256;

struct Pending {
  NativeWindow* native = nullptr;
  HWND hwnd = nullptr;  // a window drawn into, to check the native still exists
  std::vector<RECT> rects;
};

std::vector<Pending>* g_pending = nullptr;

void ResetPending() {
  delete g_pending;
  g_pending = nullptr;
}

std::vector<Pending>& PendingList() {
  if (!g_pending) {
    g_pending = new std::vector<Pending>;
    RegisterReset(ResetPending);
  }
  return *g_pending;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

void Present(Pending& pending) {
  if (pending.rects.empty()) return;
  DrawTarget target;
  bool alive = GetDrawTarget(pending.hwnd, false, &target) && target.native == pending.native;
  if (alive && HasBackend())
    CurrentBackend().Present(pending.native, pending.rects.data(), static_cast<int>(pending.rects.size()));
  pending.rects.clear();
}

void AddPending(NativeWindow* native, HWND hwnd, const RECT& r) {
  std::vector<Pending>& list = PendingList();
  auto it = std::find_if(list.begin(), list.end(), [&](const Pending& p) { return p.native == native; });
  if (it == list.end()) {
    list.push_back(Pending{native, hwnd, {}});
    it = list.end() - 1;
  }
  it->hwnd = hwnd;
  std::vector<RECT>& rects = it->rects;
  for (const RECT& old : rects)
    if (Inside(r, old)) return;
  rects.erase(std::remove_if(rects.begin(), rects.end(), [&](const RECT& old) { return Inside(old, r); }),
              rects.end());
  rects.push_back(r);
  if (rects.size() > kMaxRects) {
    RECT box = rects[0];
    for (const RECT& q : rects) {
      box.left = std::min(box.left, q.left);
      box.top = std::min(box.top, q.top);
      box.right = std::max(box.right, q.right);
      box.bottom = std::max(box.bottom, q.bottom);
    }
    rects.assign(1, box);
  }
}

}  // namespace

void RecordDamage(NativeWindow* native, HWND hwnd, const RECT& r) {
  // Native null stands for the screen itself (a DC of no window).
  if ((!native && hwnd) || r.left >= r.right || r.top >= r.bottom) return;
  try {
    AddPending(native, hwnd, r);
  } catch (const std::bad_alloc&) {
    // No room to keep it for later: shown at once instead.
    if (HasBackend()) CurrentBackend().Present(native, &r, 1);
  }
}

void PresentNative(NativeWindow* native) {
  if (!g_pending) return;
  for (Pending& p : *g_pending)
    if (p.native == native) Present(p);
}

}  // namespace gdi

void FlushPresent() {
  if (!gdi::g_pending) return;
  for (gdi::Pending& p : *gdi::g_pending) gdi::Present(p);
}

}  // namespace plat
