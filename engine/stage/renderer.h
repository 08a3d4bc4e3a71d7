// mRenderer: everything drawn on the stage. It has a place in the stage's
// depth-ordered list, covers a rectangle, may be advanced in time and may
// collide with others; it draws nothing itself.
#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/object.h"

class mDirector;

// No "build the shared base" flag: C++ constructs the virtual mObject once,
// from the complete object.
class mRenderer : public virtual mObject {
 public:
  mRenderer();
  ~mRenderer() override;

  virtual void Attached() {}
  virtual void Detached() {}
  // Draws the part inside each rectangle into the stage bitmap.
  virtual void Draw(const RECT* rects, int count) {}
  virtual void Advance(uint32_t lateness) {}
  virtual void Hit(mRenderer* other) {}
  virtual void PaletteChanged() {}
  virtual void SetDepth(int32_t newDepth);
  virtual void SetHitDepth(int32_t span);

  mDirector* stage = nullptr;
  mRenderer* next = nullptr;
  mRenderer* previous = nullptr;
  uint32_t lastTime = 0;
  uint32_t interval = 0;  // 0: never advanced
  int32_t depth = 0;      // higher is in front
  RECT bounds = {0, 0, 0, 0};
  uint32_t hitId = 0;
  uint32_t hitMask = 0xFFFFFFFF;
  RECT hitRect = {0, 0, 0, 0};
  int32_t hitDepth = 32767;
  int32_t depthHigh = 16383;
  int32_t depthLow = -16383;
};

// The collision rule: does b hit a (a learns of b through a's own mask)?
bool HitsRenderer(const mRenderer& a, const mRenderer& b);
