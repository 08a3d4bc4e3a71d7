#include "orvanel/program.h"

namespace host {

const char kOwnWindow[] = "--own-window";

Options OptionsOf(const ProgramInfo& program) {
  Options options;
  options.programName = program.name;
  options.programTitle = program.title;
  return options;
}

}  // namespace host
