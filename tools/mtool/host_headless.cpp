// mtool on hosts without Win32: the headless screen of platform/, with
// reports printed to standard error and remembered for the exit code.
#include <string>

#include "mtool/mtool.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"

namespace mtool {

bool StartHost(const std::string& command, std::string* error) {
  host::Options options;
  if (command == "play") {
    // Sound needs the real host; without a display the virtual one plays nothing.
    options.backend = "sdl2";
    options.reportsToStderr = true;
    options.programName = "mtool";
    if (host::Init(options, error)) return true;
  }
  options = host::Options();
  options.backend = "headless";
  options.width = 64;
  options.height = 64;
  options.reportsToStderr = true;
  options.programName = "mtool";
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

}  // namespace mtool
