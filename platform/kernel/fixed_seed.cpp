// --seed N: every seeding of the C library's generator takes N instead of
// what the program passes (a program seeds from the clock), so runs repeat
// exactly. Without the option srand behaves as always.
#include <dlfcn.h>

#include "orvanel/host.h"

extern "C" void srand(unsigned seed) {
  using SeedFunction = void (*)(unsigned);
  static SeedFunction real = reinterpret_cast<SeedFunction>(dlsym(RTLD_NEXT, "srand"));
  if (host::IsInitialised() && host::CurrentOptions().hasSeed) seed = host::CurrentOptions().seed;
  if (real) real(seed);
}
