// mtool on hosts without Win32: the headless screen of platform/. The
// engine's reports are kept as message boxes and said on standard error when
// the command ends: warnings as they are, the first error in mtool's one line.
#include <cstdio>
#include <string>

#include "mtool/mtool.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "orvanel/program.h"

namespace mtool {
namespace {

// A report's text without a detail that only names the file again.
std::string ReportText(const std::string& text, const std::string& path) {
  const std::string tail = ":" + path;
  if (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
    return text.substr(0, text.size() - tail.size());
  return text;
}

host::ProgramInfo MtoolInfo() {
  host::ProgramInfo info;
  info.name = "mtool";
  info.title = "mtool";
  return info;
}

}  // namespace

bool StartHost(const std::string& command, std::string* error) {
  host::Options options = host::OptionsOf(MtoolInfo());
  if (command == "play") {
    // Sound needs the real host; without a display the virtual one plays nothing.
    options.backend = "sdl2";
    options.reportsToStderr = true;
    if (host::Init(options, error)) return true;
  }
  options = host::OptionsOf(MtoolInfo());
  options.backend = "headless";
  options.width = 64;
  options.height = 64;
  if (!host::Init(options, error)) return false;
  if (command == "play") headless::SetSoundDevices(0);
  return true;
}

void StopHost() { host::Shutdown(); }

bool ErrorReported() {
  if (!headless::Active()) return false;  // the real host's reports went to standard error
  for (const auto& box : headless::MessageBoxes())
    if ((box.type & 0xF0) == MB_ICONHAND) return true;
  return false;
}

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

}  // namespace mtool
