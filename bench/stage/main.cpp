// The stage's benchmarks run on the headless 1920 x 1080 true-colour screen.
#include <cstdio>
#include <string>

#include "orvanel/host.h"
#include "support/ratio_report.h"

int main(int argc, char** argv) {
  host::Options options;
  options.backend = "headless";
  options.width = 1920;
  options.height = 1080;
  options.depth = 24;
  options.programName = "bench_stage";
  std::string error;
  if (!host::Init(options, &error)) {
    std::fprintf(stderr, "bench_stage: %s\n", error.c_str());
    return 1;
  }
  const int result =
      benchsupport::Main(argc, argv,
                         {
                             {"frame_vs_full_redraw", "BM_FrameFullRedraw", "BM_FrameDirtyRectangles", 4.0},
                             {"copy_keyed_vs_memcpy", "BM_MemcpyRows", "BM_CopyKeyed", 0.5},
                             {"copy_opaque_vs_memcpy", "BM_MemcpyRows", "BM_CopyOpaque", 0.9},
                         });
  host::Shutdown();
  return result;
}
