// One frame of six keyed sprites moving on a full-screen stage: through the
// dirty list, against redrawing and presenting the whole stage.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "sprite_picture.h"
#include "stage/render_solid.h"

namespace {

constexpr int kStageWidth = 1920;
constexpr int kStageHeight = 1080;

HWND MakeStageWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "StageBenchWindow";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "StageBenchWindow", "bench", WS_POPUP | WS_VISIBLE, 0, 0, kStageWidth,
                         kStageHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

struct FrameScene {
  HWND window = MakeStageWindow();
  std::unique_ptr<mDirector> director = std::make_unique<mDirector>(window, 100);
  std::vector<std::unique_ptr<mBitmap>> images;
  std::vector<std::unique_ptr<benchstage::KeyedSprite>> sprites;

  FrameScene() {
    RGBQUAD colours[256];
    mBitmap::LoadDefaultColours(colours);
    director->SetPalette(colours, 0, 256);
    director->background->SetColour(RGBQUAD{60, 20, 10, 0});
    for (int i = 0; i < 6; ++i) {
      images.push_back(std::make_unique<mBitmap>(benchstage::kSpriteWidth, benchstage::kSpriteHeight, 8));
      benchstage::PaintSprite(images.back().get(), 100 + i);
      auto sprite =
          std::make_unique<benchstage::KeyedSprite>(images.back().get(), 80 + 290 * i, 60 + 150 * i);
      sprite->depth = 1 + i;
      sprite->dx = i % 2 ? 3 : -2;
      sprite->dy = i % 3 ? 2 : -3;
      director->AddSprite(sprite.get());
      sprites.push_back(std::move(sprite));
    }
    director->Frame();
  }
  ~FrameScene() {
    for (auto& sprite : sprites) director->RemoveSprite(sprite.get());
    director.reset();
    DestroyWindow(window);
  }
};

// Pixels in the dirty list, to read with the times.
double DirtyPixels(const mDirector& director) {
  double pixels = 0;
  for (const DirtyEntry* e = director.dirtyList->next; e != director.dirtyList; e = e->next)
    pixels += double(e->right - e->left) * (e->bottom - e->top);
  return pixels;
}

void BM_FrameDirtyRectangles(benchmark::State& state) {
  FrameScene scene;
  double pixels = 0, areas = 0;
  for (auto _ : state) {
    for (auto& sprite : scene.sprites) sprite->Step(true);
    pixels += DirtyPixels(*scene.director);
    areas += scene.director->used - 1;
    scene.director->Frame();
  }
  state.counters["dirty_px"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
  state.counters["slots"] = benchmark::Counter(areas, benchmark::Counter::kAvgIterations);
}

void BM_FrameFullRedraw(benchmark::State& state) {
  FrameScene scene;
  const RECT whole = {0, 0, kStageWidth, kStageHeight};
  for (auto _ : state) {
    for (auto& sprite : scene.sprites) sprite->Step(false);
    scene.director->MarkDirty(&whole, 1);
    scene.director->Frame();
  }
}

}  // namespace

BENCHMARK(BM_FrameDirtyRectangles)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameFullRedraw)->Unit(benchmark::kMicrosecond);
