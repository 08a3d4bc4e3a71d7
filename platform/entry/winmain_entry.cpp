// The process entry for Win32 programs on hosts without Win32: takes the
// host options off the command line, starts the layer and calls WinMain.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "orvanel/host.h"

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

}  // namespace

int main(int argc, char** argv) {
  host::Options options;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<std::string> rest;
  std::string error;
  if (!host::ParseHostOptions(args, &options, &rest, &error)) {
    std::fprintf(stderr, "%s: %s (try --help)\n", options.programName.c_str(), error.c_str());
    return 2;
  }
  std::string arguments;
  for (const std::string& arg : rest) {
    if (!arguments.empty()) arguments += ' ';
    arguments += QuoteArgument(arg);
  }
  std::string program = QuoteArgument(argc > 0 ? argv[0] : options.programName);
  host::SetCommandLine(arguments.empty() ? program : program + " " + arguments);
  if (!host::Init(options, &error)) {
    std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), error.c_str());
    return 1;
  }
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(arguments.c_str()), SW_SHOWDEFAULT);
  ExitProcess(static_cast<UINT>(result));
}
