#include "simcam/operations.h"

#include <algorithm>

#include "simcam/config.h"

namespace simcam {

bool isOperationName(std::string_view name) {
  return std::find(kOperationNames.begin(), kOperationNames.end(), name) != kOperationNames.end();
}

FailInjection readFailInjection() {
  FailInjection injection;
  const char* value = environmentValue("SIMCAM_FAIL");
  if (value == nullptr) return injection;
  if (isOperationName(value)) {
    injection.operation = value;
  } else {
    injection.unknown = true;
  }
  return injection;
}

}  // namespace simcam
