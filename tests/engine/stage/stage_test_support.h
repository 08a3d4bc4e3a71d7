// Windows and renderers for the stage tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "stage/bitmap.h"
#include "stage/director.h"
#include "stage/renderer.h"

namespace stagetest {

// A visible pop-up window with a client area of width x height at (x, y).
HWND MakeWindow(int x, int y, int width, int height);

// The dirty list in list order.
std::vector<RECT> DirtyAreas(const mDirector& director);
std::string Describe(const std::vector<RECT>& rects);

// Records what the stage asks of it, with a name, into a shared log.
class LoggingRenderer : public mRenderer {
 public:
  LoggingRenderer(std::vector<std::string>* log, std::string name, RECT area);
  void Attached() override;
  void Detached() override;
  void Draw(const RECT* rects, int count) override;
  void Advance(uint32_t lateness) override;
  void Hit(mRenderer* other) override;
  void PaletteChanged() override;

  std::vector<std::string>* log;
  std::string name;
  std::vector<uint32_t> advances;
  int paletteChanges = 0;
};

// Draws an image through its colour key at bounds.left, bounds.top.
class KeyedImageRenderer : public mRenderer {
 public:
  KeyedImageRenderer(mBitmap* image, int x, int y);
  void Draw(const RECT* rects, int count) override;
  void MoveTo(int x, int y);

  mBitmap* image;
};

}  // namespace stagetest
