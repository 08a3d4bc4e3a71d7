// What a program tells the Win32 layer about itself. Each program fills one
// in, in its own host entry; the layer knows no program by name.
#pragma once

#include <string>
#include <vector>

#include "orvanel/host.h"

namespace host {

struct ProgramInfo {
  const char* name = "";   // in messages, the settings folder, the class of its own window
  const char* title = "";  // the title of a window of its own
  // --help: usage is printed before the host options, usageEnd after them.
  const char* usage = "";
  const char* usageEnd = "";
  // Before the host options are read, takes the program's own options and
  // conventions off *args. Words for the program to read as they are go to
  // *programArgs, which follow the rest of its command line. May leave
  // kOwnWindow in *args. False with the whole message for standard error
  // (the process then ends with 2).
  bool (*takeOptions)(std::vector<std::string>* args, std::vector<std::string>* programArgs,
                      std::string* error) = nullptr;
  // The size of a window of its own.
  int ownWindowWidth = 0;
  int ownWindowHeight = 0;
};

// A word of the program's command line that the process entry replaces with
// the native id of a window of the program's own, made once the layer runs.
extern const char kOwnWindow[];

// The host options with the program's name and title.
Options OptionsOf(const ProgramInfo& program);

// Defined by each program linked with the process entry (orvanel_winmain).
const ProgramInfo& ThisProgram();

}  // namespace host
