// flicwrite: makes an FLC or FLI file from frames laid out as mtool frames
// writes them: width x height indices, then 256 colours blue, green, red, 0.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "flic/flic_writer.h"

int main(int argc, char** argv) {
  flic::Kind kind = flic::Kind::kFlc;
  int speed = -1;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fli") == 0) kind = flic::Kind::kFli;
    else if (std::strcmp(argv[i], "--speed") == 0 && i + 1 < argc) speed = std::atoi(argv[++i]);
    else args.push_back(argv[i]);
  }
  if (args.size() != 4) {
    std::fprintf(stderr,
                 "usage: flicwrite [--fli] [--speed N] WIDTH HEIGHT FRAMES.raw OUT\n"
                 "  speed: milliseconds per frame (FLC) or 1/70 s (FLI); default 50 ms / 4\n");
    return 2;
  }
  int width = std::atoi(args[0].c_str()), height = std::atoi(args[1].c_str());
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    std::fprintf(stderr, "flicwrite: bad size\n");
    return 2;
  }
  if (speed < 0) speed = kind == flic::Kind::kFli ? 4 : 50;
  FILE* in = std::fopen(args[2].c_str(), "rb");
  if (!in) {
    std::fprintf(stderr, "flicwrite: cannot read %s\n", args[2].c_str());
    return 1;
  }
  size_t pixels = static_cast<size_t>(width) * height;
  std::vector<uint8_t> frame(pixels + 1024);
  flic::Writer writer(kind, width, height, speed);
  int frames = 0;
  while (std::fread(frame.data(), 1, frame.size(), in) == frame.size()) {
    flic::Palette palette;
    for (int i = 0; i < 256; ++i) {
      palette[3 * i] = frame[pixels + 4 * i + 2];
      palette[3 * i + 1] = frame[pixels + 4 * i + 1];
      palette[3 * i + 2] = frame[pixels + 4 * i];
    }
    writer.AddFrame(frame.data(), palette);
    ++frames;
  }
  std::fclose(in);
  if (frames == 0 || frames > 65535) {
    std::fprintf(stderr, "flicwrite: %d frames in %s\n", frames, args[2].c_str());
    return 1;
  }
  if (!writer.WriteFile(args[3])) {
    std::fprintf(stderr, "flicwrite: cannot write %s\n", args[3].c_str());
    return 1;
  }
  return 0;
}
