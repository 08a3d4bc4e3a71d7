// The sdl2 backend is the one to use whenever a display is named; a named
// display that cannot be used is an error that names it, never a silent
// run on the headless screen. No X server is needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/backend.h"

namespace plat {
bool SdlBackendAvailable(const host::Options& options);
std::unique_ptr<Backend> CreateSdlBackend(const host::Options& options, std::string* error);
}  // namespace plat

namespace {

class SdlAvailability : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 2; ++i)
      if (const char* value = std::getenv(kVariables[i])) saved_[i] = value;
    unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) {
      if (saved_[i]) {
        setenv(kVariables[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
  }
  static constexpr const char* kVariables[2] = {"DISPLAY", "WAYLAND_DISPLAY"};
  std::optional<std::string> saved_[2];
};

TEST_F(SdlAvailability, OnlyANamedDisplayMakesItTheBackendToUse) {
  host::Options options;
  unsetenv("DISPLAY");
  EXPECT_FALSE(plat::SdlBackendAvailable(options));
  setenv("DISPLAY", "", 1);
  EXPECT_FALSE(plat::SdlBackendAvailable(options));
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  EXPECT_TRUE(plat::SdlBackendAvailable(options));
  setenv("DISPLAY", ":4711", 1);
  EXPECT_TRUE(plat::SdlBackendAvailable(options));
}

TEST_F(SdlAvailability, ANamedDisplayThatCannotBeUsedIsAnErrorNamingIt) {
  host::Options options;
  setenv("DISPLAY", ":4711", 1);  // no server there
  std::string error;
  EXPECT_EQ(plat::CreateSdlBackend(options, &error), nullptr);
  EXPECT_NE(error.find("\":4711\""), std::string::npos) << error;

  // The program starts no other backend in its place.
  error.clear();
  EXPECT_FALSE(host::Init(options, &error));
  EXPECT_FALSE(host::IsInitialised());
  EXPECT_NE(error.find("\":4711\""), std::string::npos) << error;

  // Wayland alone: said so, too.
  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  error.clear();
  EXPECT_FALSE(host::Init(options, &error));
  EXPECT_NE(error.find("DISPLAY is not set"), std::string::npos) << error;
}

}  // namespace
