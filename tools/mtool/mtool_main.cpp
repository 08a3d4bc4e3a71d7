// mtool: the engine's media inspector. Runs on the headless screen; reports
// go to standard error; a failed read gives a non-zero exit code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mtool/mtool.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: mtool info FILE          header facts\n"
               "       mtool chunks FILE        frames and chunks\n"
               "       mtool frames FILE OUT    every frame: indices, then 256 x B,G,R,0\n"
               "       mtool png FILE DIR       every frame as DIR/frame-NNNN.png\n"
               "       mtool decode FILE [N]    decode every frame N times (timing)\n"
               "FILE: an FLI or FLC animation.\n");
  return 2;
}

}  // namespace

namespace mtool {

bool ErrorReported() {
  for (const auto& box : headless::MessageBoxes())
    if ((box.type & 0xF0) == MB_ICONHAND) return true;
  return false;
}

}  // namespace mtool

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  host::Options options;
  options.backend = "headless";
  options.width = 64;
  options.height = 64;
  options.reportsToStderr = true;
  options.programName = "mtool";
  std::string error;
  if (!host::Init(options, &error)) {
    std::fprintf(stderr, "mtool: %s\n", error.c_str());
    return 1;
  }
  std::string command = argv[1], path = argv[2];
  int result;
  if (command == "info" && argc == 3) result = mtool::FlicInfo(path);
  else if (command == "chunks" && argc == 3) result = mtool::FlicChunks(path);
  else if (command == "frames" && argc == 4) result = mtool::FlicFrames(path, argv[3]);
  else if (command == "png" && argc == 4) result = mtool::FlicPng(path, argv[3]);
  else if (command == "decode" && (argc == 3 || argc == 4)) result = mtool::FlicDecode(path, argc == 4 ? std::atoi(argv[3]) : 1);
  else result = Usage();
  host::Shutdown();
  return result;
}
