// mtool: the engine's media inspector. A file that cannot be read as asked
// gives a non-zero exit code and one line on standard error naming the file
// and the reason; where it runs and where the engine's reports go is the
// host's (host_*.cpp).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mtool/mtool.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: mtool info FILE          header facts\n"
               "       mtool chunks FILE        frames and chunks\n"
               "       mtool frames FILE OUT    every frame: indices, then 256 x B,G,R,0\n"
               "       mtool png FILE DIR       every frame as DIR/frame-NNNN.png\n"
               "       mtool decode FILE [N]    decode every frame (page) N times (timing)\n"
               "       mtool play FILE          play a sound (silent without a sound device)\n"
               "       mtool script FILE        compile a sprite script and list its instructions\n"
               "FILE: an FLI or FLC animation, an AVI movie (info, frames, png), a BMP, PCX\n"
               "      or DCX picture (pages are frames);\n"
               "      for info and play also a WAV sound.\n");
  return 2;
}

struct Failure {
  std::string path;
  std::string reason;
};
Failure g_failure;

}  // namespace

namespace mtool {

int Fail(const std::string& reason) {
  if (g_failure.reason.empty()) g_failure.reason = reason;
  return 1;
}

int FailFile(const std::string& path, const std::string& reason) {
  if (g_failure.reason.empty()) g_failure = Failure{path, reason};
  return 1;
}

std::string OpenFailure(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::string("cannot be opened: ") + std::strerror(errno);
  std::fclose(f);
  return "cannot be opened";
}

std::string WriteFailure() {
  return std::string("cannot be written: ") + (errno ? std::strerror(errno) : "short write");
}

}  // namespace mtool

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1], path = argv[2];
  g_failure.path = path;
  std::string error;
  if (!mtool::StartHost(command, &error)) {
    std::fprintf(stderr, "mtool: %s\n", error.c_str());
    return 1;
  }
  int result;
  const bool still = mtool::IsStill(path);
  const bool avi = mtool::IsAvi(path);
  if (avi && command == "info" && argc == 3) result = mtool::AviInfo(path);
  else if (avi && command == "frames" && argc == 4) result = mtool::AviFrames(path, argv[3]);
  else if (avi && command == "png" && argc == 4) result = mtool::AviPng(path, argv[3]);
  else if (avi) result = Usage();
  else if (command == "info" && argc == 3)
    result = mtool::IsWav(path) ? mtool::WavInfo(path) : still ? mtool::StillInfo(path) : mtool::FlicInfo(path);
  else if (command == "play" && argc == 3) result = mtool::WavPlay(path);
  else if (command == "script" && argc == 3) result = mtool::ScriptList(path);
  else if (command == "chunks" && argc == 3) result = still ? mtool::StillChunks(path) : mtool::FlicChunks(path);
  else if (command == "frames" && argc == 4)
    result = still ? mtool::StillFrames(path, argv[3]) : mtool::FlicFrames(path, argv[3]);
  else if (command == "png" && argc == 4) result = still ? mtool::StillPng(path, argv[3]) : mtool::FlicPng(path, argv[3]);
  else if (command == "decode" && (argc == 3 || argc == 4)) {
    const int loops = argc == 4 ? std::atoi(argv[3]) : 1;
    result = still ? mtool::StillDecode(path, loops) : mtool::FlicDecode(path, loops);
  }
  else result = Usage();

  const std::string reported = mtool::TakeReports(path);
  if (result != 2 && (result != 0 || !reported.empty())) {
    // One line: mtool's reason, with the engine's own words when they add to it.
    std::string reason = g_failure.reason;
    if (reason.empty()) reason = reported.empty() ? "cannot be read" : reported;
    else if (!reported.empty() && g_failure.path == path) reason += " (" + reported + ")";
    std::fprintf(stderr, "mtool: %s: %s\n", g_failure.path.c_str(), reason.c_str());
    result = 1;
  }
  mtool::StopHost();
  return result;
}
