// The saver on hosts without Win32: its name, usage, and the xscreensaver
// conventions and run settings taken off the command line before the
// Win32 layer's process entry starts it. On Windows the system starts the
// saver; this file is not built there.
#include <cstdlib>
#include <string>
#include <vector>

#include "orvanel/program.h"

namespace {

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
    "\n";

const char kUsageEnd[] =
    "\n"
    "Exit codes: 0 done, 255 (-1) unknown mode or option, or bad window id.\n";

// A window id as xscreensaver gives it: 0x-prefixed hex or decimal.
bool ParseNativeId(const std::string& text, unsigned long long* id) {
  if (text.empty()) return false;
  char* end = nullptr;
  *id = std::strtoull(text.c_str(), &end, 0);
  return *end == '\0' && *id != 0;
}

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
      out.push_back(host::kOwnWindow);
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
      *error = "--" + name + " needs a whole number (try --help)";
      return false;
    }
  }
  *args = out;
  return true;
}

bool TakeOptions(std::vector<std::string>* args, std::vector<std::string>* saverArgs, std::string* error) {
  return TakeSaverOptions(args, saverArgs, error) && TranslateHackOptions(args, error);
}

host::ProgramInfo MakeProgramInfo() {
  host::ProgramInfo info;
  info.name = "orvanel-saver";
  info.title = "Orvanel Saver IV";
  info.usage = kUsage;
  info.usageEnd = kUsageEnd;
  info.takeOptions = TakeOptions;
  // As xscreensaver's hacks do by default, about a quarter of a common screen.
  info.ownWindowWidth = 640;
  info.ownWindowHeight = 480;
  return info;
}

}  // namespace

const host::ProgramInfo& host::ThisProgram() {
  static const ProgramInfo info = MakeProgramInfo();
  return info;
}
