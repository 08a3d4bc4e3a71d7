#include "support/host_fixture.h"

#include <unistd.h>

#include <filesystem>

namespace testsupport {

namespace {
std::string g_configDir;
}

std::string UseFreshConfigDir() {
  if (g_configDir.empty()) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("orvanel-test-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    g_configDir = dir.string();
  }
  return g_configDir;
}

void StartHeadless(int width, int height, int depth, bool windows95) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = width;
  options.height = height;
  options.depth = depth;
  options.windows95Family = windows95;
  options.configDir = UseFreshConfigDir();
  options.programName = "test";
  options.keepPresentLog = true;
  std::string error;
  ASSERT_TRUE(host::Init(options, &error)) << error;
}

}  // namespace testsupport
