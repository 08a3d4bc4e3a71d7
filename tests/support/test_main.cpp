// Every test program runs on the headless screen with virtual time and a
// settings directory of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "orvanel/host.h"
#include "support/host_fixture.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testsupport::UseFreshConfigDir();
  int result = RUN_ALL_TESTS();
  host::Shutdown();
  return result;
}
