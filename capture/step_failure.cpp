#include "capture/step_failure.h"

#include <cstdio>
#include <cstdlib>

namespace brimlet {

void reportStepFailure(const char* label, const char* errorText) noexcept {
  std::printf("ERROR: %s reported %s.\n", label, errorText);
  // Inside a JVM the Java side may be writing to the same stdout; make the
  // line complete before the process goes.
  std::fflush(stdout);
  std::exit(1);
}

}  // namespace brimlet
