// Host start-up for the Win32 layer on systems without Win32: which backend
// runs, the virtual screen, and the options every program shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct Options {
  std::string backend;         // "" picks sdl2 when a display exists, else headless
  int width = 1920;            // headless screen
  int height = 1080;
  int depth = 24;              // 24, or 8 for a 256-colour palette screen
  int scale = 0;               // the screen shows each of the program's pixels as scale x scale
                               // (the program sees a screen that much smaller); 0: the whole
                               // number nearest to the screen's height / 1080
  bool realTime = false;       // headless: follow the real clock instead of virtual time
  double seconds = -1;         // end the mode after this much (virtual) time; < 0: never
  bool hasSeed = false;
  unsigned seed = 0;
  std::string screenshot;      // PNG of the whole screen written at exit
  std::string recordDir;       // numbered PNG frames
  bool keepPresentLog = false;  // headless: log what is presented (headless::Presented), as
                                // --record does; for tests
  bool reportsToStderr = false;  // message boxes also printed to standard error
  bool windows95Family = false;  // GetVersionExA reports the Windows 95 family
  std::string windowDirectory;  // headless: the screen's name; programs on screens of the same
                               // name find each other's windows ("" = $ORVANEL_HEADLESS_SCREEN,
                               // else a screen of its own that no other program sees)
  std::string configDir;       // settings directory; "" = $XDG_CONFIG_HOME/<programName>
  std::string programName;     // in messages; "" = the name the process was started by
  std::string programTitle;    // title of a window of its own; "" = programName
};

// Starts the Win32 layer with the given options. Later calls replace the
// backend only after Shutdown().
bool Init(const Options& options, std::string* error = nullptr);
void Shutdown();
bool IsInitialised();
const Options& CurrentOptions();

// Takes the host options (--headless[=WxHxD], --scale N, --seconds S,
// --seed N, --screenshot F, --record D, --realtime) out of argv. The rest of the
// arguments, joined as a command line, go to *rest. Returns false with a
// message on a malformed option.
bool ParseHostOptions(const std::vector<std::string>& args, Options* options, std::vector<std::string>* rest,
                      std::string* error);

// A plain top-level window of the running backend outside the Win32 layer,
// named by its native id as a foreign window; 0 when the backend has none.
uint64_t CreatePlainWindow(int width, int height, const std::string& title);

// The command line the program sees through GetCommandLineA.
void SetCommandLine(const std::string& commandLine);

}  // namespace host
