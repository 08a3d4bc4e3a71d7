#include "engine/stage/stage_test_support.h"

#include <sstream>

namespace stagetest {

HWND MakeWindow(int x, int y, int width, int height) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "StageTestWindow";
  RegisterClassA(&wc);  // a repeat after a restart of the layer fails harmlessly
  return CreateWindowExA(0, "StageTestWindow", "stage", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

std::vector<RECT> DirtyAreas(const mDirector& director) {
  std::vector<RECT> out;
  if (!director.dirtyList) return out;
  for (const DirtyEntry* e = director.dirtyList->next; e != director.dirtyList; e = e->next)
    out.push_back(RECT{e->left, e->top, e->right, e->bottom});
  return out;
}

std::string Describe(const std::vector<RECT>& rects) {
  std::ostringstream out;
  for (const RECT& r : rects)
    out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ") ";
  return out.str();
}

LoggingRenderer::LoggingRenderer(std::vector<std::string>* log, std::string name, RECT area)
    : log(log), name(std::move(name)) {
  bounds = area;
  hitRect = area;
}

void LoggingRenderer::Attached() { log->push_back(name + " attached"); }
void LoggingRenderer::Detached() { log->push_back(name + " detached"); }

void LoggingRenderer::Draw(const RECT* rects, int count) {
  for (int i = 0; i < count; ++i) log->push_back(name + " draws " + Describe({rects[i]}));
}

void LoggingRenderer::Advance(uint32_t lateness) { advances.push_back(lateness); }
void LoggingRenderer::Hit(mRenderer* other) {
  log->push_back(name + " hit by " + static_cast<LoggingRenderer*>(other)->name);
}
void LoggingRenderer::PaletteChanged() { ++paletteChanges; }

KeyedImageRenderer::KeyedImageRenderer(mBitmap* image, int x, int y) : image(image) {
  bounds = RECT{x, y, x + image->desc->width, y + image->desc->height};
  hitRect = bounds;
}

void KeyedImageRenderer::Draw(const RECT* rects, int count) {
  for (int i = 0; i < count; ++i)
    image->CopyKeyed(stage, &rects[i], rects[i].left - bounds.left, rects[i].top - bounds.top);
}

void KeyedImageRenderer::MoveTo(int x, int y) {
  const RECT old = bounds;
  bounds = RECT{x, y, x + image->desc->width, y + image->desc->height};
  hitRect = bounds;
  if (!stage) return;
  const RECT both[2] = {old, bounds};
  stage->MarkDirty(both, 2);
}

}  // namespace stagetest
