// mtool on Windows: the system itself. The engine's reports are message
// boxes the user has seen and answered; the exit code follows the
// operations' own results.
#include <string>

#include "mtool/mtool.h"

namespace mtool {

bool StartHost(const std::string&, std::string*) { return true; }

void StopHost() {}

bool ErrorReported() { return false; }

std::string TakeReports(const std::string&) { return {}; }

}  // namespace mtool
