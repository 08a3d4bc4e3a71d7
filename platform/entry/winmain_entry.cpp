// The process entry for Win32 programs on hosts without Win32: takes the
// host options off the command line, starts the layer and calls WinMain.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

const char kUsage[] =
    "Usage: orvanel-saver [options] [mode]\n"
    "\n"
    "Modes (Windows screen-saver conventions; only the first letter counts):\n"
    "  /s               run full screen until a key, a click or a mouse move\n"
    "  /p ID, /l ID     run as a preview inside the window with id ID (decimal)\n"
    "  /c, /c:ID, none  open the settings dialog\n"
    "  /a ID            change the screen-saver password (Windows 95 family only)\n"
    "\n"
    "xscreensaver conventions:\n"
    "  -root, --root              draw into the window named by $XSCREENSAVER_WINDOW\n"
    "  -window-id, --window-id ID draw into the window ID (decimal or 0x hex)\n"
    "  -window, --window          draw into a window of its own\n"
    "  --settings                 open the settings dialog (as /c)\n"
    "\n"
    "Settings for this run only (the stored ones stay as they are; the\n"
    "settings dialog ignores these):\n"
    "  --speed N    10 (slow) to 100 (fast); stored default 60\n"
    "  --count1 N   balloons, 0 to 2; stored default 1\n"
    "  --count2 N   airships, 0 to 10; stored default 5\n"
    "  Values out of range are clamped; more than 10 pictures in all fall back\n"
    "  to 1 and 5.\n"
    "\n"
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
    "  --help              show this text\n"
    "\n"
    "Exit codes: 0 done, 255 (-1) unknown mode or option, or bad window id.\n";

// A window id as xscreensaver gives it: 0x-prefixed hex or decimal.
bool ParseNativeId(const std::string& text, unsigned long long* id) {
  if (text.empty()) return false;
  char* end = nullptr;
  *id = std::strtoull(text.c_str(), &end, 0);
  return *end == '\0' && *id != 0;
}

// Stands for the id of a window of the program's own, made once the layer runs:
// the saver then runs inside it as inside any other program's window.
const char kOwnWindow[] = "--own-window";

// Turns the xscreensaver options into the preview mode of the same window:
// there input does not end the saver (xscreensaver does that), and the scene
// is the full one when the window covers the screen.
bool TranslateHackOptions(std::vector<std::string>* args, std::string* error) {
  // xscreensaver-settings gives its preview as "--root --window-id ID": the
  // window named wins, as in xscreensaver's own hacks.
  bool windowNamed = false;
  for (const std::string& arg : *args)
    windowNamed = windowNamed || arg == "-window-id" || arg == "--window-id" || arg.rfind("--window-id=", 0) == 0;
  std::vector<std::string> out;
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    unsigned long long id = 0;
    if (windowNamed && (arg == "-root" || arg == "--root")) continue;
    if (arg == "-window" || arg == "--window") {
      out.push_back("/p");
      out.push_back(kOwnWindow);
      continue;
    }
    if (arg == "-root" || arg == "--root") {
      const char* env = std::getenv("XSCREENSAVER_WINDOW");
      if (!env || !ParseNativeId(env, &id)) {
        *error = "--root needs XSCREENSAVER_WINDOW set to a window id";
        return false;
      }
    } else if (arg == "-window-id" || arg == "--window-id" || arg.rfind("--window-id=", 0) == 0) {
      std::string value;
      if (arg.rfind("--window-id=", 0) == 0) {
        value = arg.substr(12);
      } else if (i + 1 < args->size()) {
        value = (*args)[++i];
      }
      if (!ParseNativeId(value, &id)) {
        *error = "--window-id needs a window id (decimal or 0x hex)";
        return false;
      }
    } else {
      out.push_back(arg);
      continue;
    }
    out.push_back("/p");
    out.push_back(std::to_string(id));
  }
  *args = out;
  return true;
}

// The saver's own options (settings for one run, and --settings) are read by
// the saver from its command line; here they are checked and set aside so
// that they reach it whole, after the mode.
bool TakeSaverOptions(std::vector<std::string>* args, std::vector<std::string>* saverArgs, std::string* error) {
  auto isWholeNumber = [](const std::string& text) {
    size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
  };
  std::vector<std::string> out;
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    std::string name = arg.substr(arg.compare(0, 2, "--") == 0 ? 2 : arg.compare(0, 1, "-") == 0 ? 1 : arg.size());
    if (name == "settings") {
      saverArgs->push_back(arg);
      continue;
    }
    std::string value;
    const size_t equals = name.find('=');
    const bool inlineValue = equals != std::string::npos;
    if (inlineValue) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (name != "speed" && name != "count1" && name != "count2") {
      out.push_back(arg);
      continue;
    }
    saverArgs->push_back(arg);
    if (!inlineValue && i + 1 < args->size()) {
      value = (*args)[++i];
      saverArgs->push_back(value);
    }
    if (!isWholeNumber(value)) {
      *error = "--" + name + " needs a whole number";
      return false;
    }
  }
  *args = out;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  host::Options options;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<std::string> rest;
  std::string error;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "-help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  std::vector<std::string> saverArgs;
  if (!TakeSaverOptions(&args, &saverArgs, &error)) {
    std::fprintf(stderr, "%s: %s (try --help)\n", options.programName.c_str(), error.c_str());
    return 2;
  }
  if (!TranslateHackOptions(&args, &error)) {
    std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), error.c_str());
    return 2;
  }
  if (!host::ParseHostOptions(args, &options, &rest, &error)) {
    std::fprintf(stderr, "%s: %s (try --help)\n", options.programName.c_str(), error.c_str());
    return 2;
  }
  for (const std::string& arg : rest) {
    // Modes are letters after "/" or "-"; a double-dash word left over is an
    // option of ours misspelt (only its first letter would count as a mode).
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0 && arg != kOwnWindow) {
      std::fprintf(stderr, "%s: unknown option %s (try --help)\n", options.programName.c_str(), arg.c_str());
      return 255;
    }
  }
  if (!host::Init(options, &error)) {
    std::fprintf(stderr, "%s: %s\n", options.programName.c_str(), error.c_str());
    return 1;
  }
  std::string arguments;
  rest.insert(rest.end(), saverArgs.begin(), saverArgs.end());
  for (std::string& arg : rest) {
    if (arg == kOwnWindow) {
      // As xscreensaver's hacks do by default, about a quarter of a common screen.
      uint64_t window = host::CreatePlainWindow(640, 480, options.programTitle);
      if (!window) {
        std::fprintf(stderr, "%s: cannot open a window of its own\n", options.programName.c_str());
        host::Shutdown();
        return 1;
      }
      arg = std::to_string(window);
    }
    if (!arguments.empty()) arguments += ' ';
    arguments += QuoteArgument(arg);
  }
  std::string program = QuoteArgument(argc > 0 ? argv[0] : options.programName);
  host::SetCommandLine(arguments.empty() ? program : program + " " + arguments);
  int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(arguments.c_str()), SW_SHOWDEFAULT);
  ExitProcess(static_cast<UINT>(result));
}
