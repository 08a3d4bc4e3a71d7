// Shared set-up of the fuzz targets: the headless screen once, and the
// message boxes of reports forgotten after every input.
#pragma once

#include "orvanel/headless.h"
#include "orvanel/host.h"

inline void FuzzHostOnce() {
  static bool started = [] {
    host::Options options;
    options.backend = "headless";
    options.width = 64;
    options.height = 64;
    options.programName = "fuzz";
    options.configDir = "/tmp/orvanel-fuzz-config";
    return host::Init(options);
  }();
  (void)started;
  headless::ClearMessageBoxes();
}
