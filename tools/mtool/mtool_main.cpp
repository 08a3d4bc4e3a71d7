// mtool: the engine's media inspector. Runs on the headless screen. A file
// that cannot be read as asked gives a non-zero exit code and one line on
// standard error naming the file and the reason; the engine's warnings are
// printed as they come.
#include <cerrno>
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

// A report's text without a detail that only names the file again.
std::string ReportText(const std::string& text, const std::string& path) {
  const std::string tail = ":" + path;
  if (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
    return text.substr(0, text.size() - tail.size());
  return text;
}

// Prints the engine's warnings; returns the text of its first error, if any.
std::string TakeReports(const std::string& path) {
  std::string firstError;
  if (!headless::Active()) return firstError;  // the real host printed them itself
  for (const auto& box : headless::MessageBoxes()) {
    const std::string text = ReportText(box.text, path);
    if ((box.type & 0xF0) == MB_ICONHAND) {
      if (firstError.empty()) firstError = text;
    } else {
      std::fprintf(stderr, "mtool: %s: warning: %s (%s)\n", path.c_str(), text.c_str(), box.caption.c_str());
    }
  }
  headless::ClearMessageBoxes();
  return firstError;
}

}  // namespace

namespace mtool {

bool ErrorReported() {
  if (!headless::Active()) return false;  // the real host's reports went to standard error
  for (const auto& box : headless::MessageBoxes())
    if ((box.type & 0xF0) == MB_ICONHAND) return true;
  return false;
}

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
  host::Options options;
  std::string error;
  bool started = false;
  if (command == "play") {
    // Sound needs the real host; without a display the virtual one plays nothing.
    options.backend = "sdl2";
    options.reportsToStderr = true;
    options.programName = "mtool";
    started = host::Init(options, &error);
  }
  options = host::Options();
  options.backend = "headless";
  options.width = 64;
  options.height = 64;
  options.programName = "mtool";
  if (!started && !host::Init(options, &error)) {
    std::fprintf(stderr, "mtool: %s\n", error.c_str());
    return 1;
  }
  if (!started && command == "play") headless::SetSoundDevices(0);
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

  const std::string reported = TakeReports(path);
  if (result != 2 && (result != 0 || !reported.empty())) {
    // One line: mtool's reason, with the engine's own words when they add to it.
    std::string reason = g_failure.reason;
    if (reason.empty()) reason = reported.empty() ? "cannot be read" : reported;
    else if (!reported.empty() && g_failure.path == path) reason += " (" + reported + ")";
    std::fprintf(stderr, "mtool: %s: %s\n", g_failure.path.c_str(), reason.c_str());
    result = 1;
  }
  host::Shutdown();
  return result;
}
