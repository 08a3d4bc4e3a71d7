// Runs a benchmark program's registered benchmarks and prints, after
// them, one "RATIO <name> <value>" line per comparison, where value >= 1
// meets the target.
#pragma once

#include <string>
#include <vector>

namespace benchsupport {

struct Comparison {
  std::string name;      // the RATIO line's name
  std::string baseline;  // benchmark names as registered (with their arguments, e.g. "BM_Copy/326")
  std::string ours;
  // How many times faster than the baseline we must be (0.5: at least half
  // its speed). value = (baseline time / our time) / target.
  double target;
};

// Use as main: int main(int argc, char** argv) { return benchsupport::Main(argc, argv, {...}); }
int Main(int argc, char** argv, const std::vector<Comparison>& comparisons);

}  // namespace benchsupport
