// The process entry for Win32 programs on hosts without Win32: takes the
// program's own options (through its ProgramInfo) and the host options off
// the command line, starts the layer and calls WinMain.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "orvanel/host.h"
#include "orvanel/program.h"

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace {

// Windows command lines quote arguments that hold blanks.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

const char kHostOptionsUsage[] =
    "Options:\n"
    "  --headless[=WxHxD]  use the virtual screen (default 1920x1080x24; D 8 is a\n"
    "                      256-colour palette screen)\n"
    "  --scale N           show each pixel as N x N screen pixels, 1 to 4 (default:\n"
    "                      screen height / 1080, rounded; also for --headless)\n"
    "  --seconds S         end the mode after S seconds, as its user would\n"
    "                      (a key press for the saver, Cancel for a dialog)\n"
    "  --seed N            fixed random seed\n"
    "  --screenshot F.png  write a picture of the whole screen at the end\n"
    "  --record DIR        write every presented frame as a numbered PNG\n"
    "  --realtime          headless screen on the real clock instead of virtual time\n"
    "  --windows95         behave as on the Windows 95 family (password handling)\n"
    "  --help              show this text\n";

}  // namespace

int main(int argc, char** argv) {
  const host::ProgramInfo& program = host::ThisProgram();
  host::Options options = host::OptionsOf(program);
  const char* name = program.name;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<std::string> rest;
  std::string error;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "-help") {
      std::fputs(program.usage, stdout);
      std::fputs(kHostOptionsUsage, stdout);
      std::fputs(program.usageEnd, stdout);
      return 0;
    }
  }
  std::vector<std::string> programArgs;
  if (program.takeOptions && !program.takeOptions(&args, &programArgs, &error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 2;
  }
  if (!host::ParseHostOptions(args, &options, &rest, &error)) {
    std::fprintf(stderr, "%s: %s (try --help)\n", name, error.c_str());
    return 2;
  }
  for (const std::string& arg : rest) {
    // Double-dash words are options of the host or of the program's own; one
    // left over is misspelt (as a mode only its first letter would count).
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0 && arg != host::kOwnWindow) {
      std::fprintf(stderr, "%s: unknown option %s (try --help)\n", name, arg.c_str());
      return 255;
    }
  }
  if (!host::Init(options, &error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  std::string arguments;
  rest.insert(rest.end(), programArgs.begin(), programArgs.end());
  for (std::string& arg : rest) {
    if (arg == host::kOwnWindow) {
      uint64_t window = host::CreatePlainWindow(program.ownWindowWidth, program.ownWindowHeight, options.programTitle);
      if (!window) {
        std::fprintf(stderr, "%s: cannot open a window of its own\n", name);
        host::Shutdown();
        return 1;
      }
      arg = std::to_string(window);
    }
    if (!arguments.empty()) arguments += ' ';
    arguments += QuoteArgument(arg);
  }
  std::string self = QuoteArgument(argc > 0 ? argv[0] : options.programName);
  host::SetCommandLine(arguments.empty() ? self : self + " " + arguments);
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(arguments.c_str()), SW_SHOWDEFAULT);
  ExitProcess(static_cast<UINT>(result));
}
