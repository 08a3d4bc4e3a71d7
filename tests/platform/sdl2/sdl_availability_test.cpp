// Without an X server the sdl2 backend steps aside (headless runs instead).
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/backend.h"

namespace plat {
bool SdlBackendAvailable(const host::Options& options);
}  // namespace plat

namespace {

class SdlAvailability : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* display = std::getenv("DISPLAY")) saved_ = display;
  }
  void TearDown() override {
    if (saved_) {
      setenv("DISPLAY", saved_->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
  std::optional<std::string> saved_;
};

TEST_F(SdlAvailability, NoDisplayOrNoServerMeansNotAvailable) {
  host::Options options;
  unsetenv("DISPLAY");
  EXPECT_FALSE(plat::SdlBackendAvailable(options));
  setenv("DISPLAY", "", 1);
  EXPECT_FALSE(plat::SdlBackendAvailable(options));
  setenv("DISPLAY", ":4711", 1);  // no server there
  EXPECT_FALSE(plat::SdlBackendAvailable(options));
}

}  // namespace
