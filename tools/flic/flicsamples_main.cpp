// flicsamples: writes the FLIC files that tests and benchmarks are made from,
// the same bytes on every run.
//   flicsamples tests DIR   small files of every coding the writer has
//   flicsamples bench DIR   640 x 480, 200 frames: full-frame and sprite-sized deltas
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "flic/flic_writer.h"

namespace {

struct Picture {
  int width, height;
  std::vector<uint8_t> pixels;
  flic::Palette palette{};
};

flic::Palette Ramp(int phase) {
  flic::Palette p{};
  for (int i = 0; i < 256; ++i) {
    p[3 * i] = static_cast<uint8_t>((i * 4 + phase) & 0xFC);
    p[3 * i + 1] = static_cast<uint8_t>((255 - i + phase * 3) & 0xFC);
    p[3 * i + 2] = static_cast<uint8_t>((i * 7) & 0xFC);
  }
  return p;
}

// A picture with a background of bands, a moving box and a diagonal of noise.
void Draw(Picture& pic, int frame, int boxSize) {
  uint32_t seed = 12345u + static_cast<uint32_t>(frame) * 7919u;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x) pic.pixels[static_cast<size_t>(y) * pic.width + x] = static_cast<uint8_t>(1 + (x / 8 + y / 6) % 5);
  int bx = (frame * 5) % std::max(1, pic.width - boxSize), by = (frame * 3) % std::max(1, pic.height - boxSize);
  for (int y = by; y < by + boxSize && y < pic.height; ++y)
    for (int x = bx; x < bx + boxSize && x < pic.width; ++x) {
      seed = seed * 1103515245u + 12345u;
      pic.pixels[static_cast<size_t>(y) * pic.width + x] = static_cast<uint8_t>(16 + ((x + y) & 7) + ((seed >> 16) % 3) * 40);
    }
}

bool Animation(const std::string& path, flic::Kind kind, int width, int height, int frames, int boxSize,
               bool paletteCycles, bool blackFrame) {
  Picture pic{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height), {}};
  flic::Writer writer(kind, width, height, kind == flic::Kind::kFli ? 5 : 40);
  for (int f = 0; f < frames; ++f) {
    Draw(pic, f, boxSize);
    pic.palette = Ramp(paletteCycles ? f * 8 : 0);
    if (blackFrame && f == frames / 2) std::fill(pic.pixels.begin(), pic.pixels.end(), 0);
    writer.AddFrame(pic.pixels.data(), pic.palette);
  }
  return writer.WriteFile(path);
}

// Full-frame deltas: every pixel moves each frame.
bool FullMotion(const std::string& path, int width, int height, int frames) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  flic::Writer writer(flic::Kind::kFlc, width, height, 40);
  writer.SetPreferDelta(true);
  flic::Palette palette = Ramp(0);
  for (int f = 0; f < frames; ++f) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        int v = static_cast<int>(64 + 60 * std::sin((x + 3 * f) * 0.05) + 60 * std::cos((y - 2 * f) * 0.07));
        // Short runs and literals, as in a photographic scene.
        pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((v + ((x * 7 + y * 3 + f) % 5)) & 0xFF);
      }
    writer.AddFrame(pixels.data(), palette);
  }
  return writer.WriteFile(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: flicsamples tests|bench DIR\n");
    return 2;
  }
  std::string what = argv[1], dir = argv[2];
  bool ok = true;
  if (what == "tests") {
    ok = ok && Animation(dir + "/boxes.flc", flic::Kind::kFlc, 64, 48, 12, 20, true, false);
    ok = ok && Animation(dir + "/boxes.fli", flic::Kind::kFli, 64, 48, 12, 20, true, true);
    ok = ok && Animation(dir + "/odd.flc", flic::Kind::kFlc, 33, 21, 6, 9, false, true);
    ok = ok && Animation(dir + "/still.flc", flic::Kind::kFlc, 40, 30, 1, 12, false, false);
  } else if (what == "bench") {
    ok = ok && FullMotion(dir + "/full.flc", 640, 480, 200);
    ok = ok && Animation(dir + "/sprite.flc", flic::Kind::kFlc, 640, 480, 200, 64, false, false);
  } else {
    std::fprintf(stderr, "flicsamples: unknown set %s\n", what.c_str());
    return 2;
  }
  if (!ok) std::fprintf(stderr, "flicsamples: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
