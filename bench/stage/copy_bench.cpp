// Copy throughput on sprite rows: the keyed and opaque copies against
// memcpy of the same rows between the same bitmaps.
#include <benchmark/benchmark.h>

#include <cstring>

#include "sprite_picture.h"

namespace {

using benchstage::kSpriteHeight;
using benchstage::kSpriteWidth;

struct CopyScene {
  mBitmap sprite{kSpriteWidth, kSpriteHeight, 8};
  mBitmap stage{1920, 1080, 8};
  RECT area = {101, 100, 101 + kSpriteWidth, 100 + kSpriteHeight};
  CopyScene() { benchstage::PaintSprite(&sprite, 7); }
};

void Account(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSpriteWidth * kSpriteHeight);
}

void BM_MemcpyRows(benchmark::State& state) {
  CopyScene scene;
  const BitmapDesc& s = *scene.sprite.desc;
  const BitmapDesc& t = *scene.stage.desc;
  // A width the compiler cannot see, so that this is the library's memcpy
  // and not an expansion for one fixed size.
  size_t width = kSpriteWidth;
  benchmark::DoNotOptimize(width);
  for (auto _ : state) {
    const uint8_t* src = s.Pixel(0, 0);
    uint8_t* dst = t.Pixel(scene.area.left, scene.area.top);
    for (int y = 0; y < kSpriteHeight; ++y, src += s.pitch, dst += t.pitch) std::memcpy(dst, src, width);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_CopyKeyed(benchmark::State& state) {
  CopyScene scene;
  for (auto _ : state) {
    scene.sprite.CopyKeyed(&scene.stage, &scene.area, 0, 0);
    benchmark::ClobberMemory();
  }
  Account(state);
}

void BM_CopyOpaque(benchmark::State& state) {
  CopyScene scene;
  for (auto _ : state) {
    scene.sprite.CopyOpaque(&scene.stage, &scene.area, 0, 0);
    benchmark::ClobberMemory();
  }
  Account(state);
}

}  // namespace

BENCHMARK(BM_MemcpyRows);
BENCHMARK(BM_CopyKeyed);
BENCHMARK(BM_CopyOpaque);
