// Result codes of the stereo stand-in.  Private: callers only see numbers
// and the texts triclopsErrorToString gives them.
#ifndef SIMCAM_TRICLOPS_ERRORS_H
#define SIMCAM_TRICLOPS_ERRORS_H

#include "triclops.h"

namespace simcam::tc {

enum Error : TriclopsError {
  kOk = TriclopsErrorOk,
  kNullPointer = 1,
  kNullContext = 2,
  kCalibrationUnreadable = 3,
  kInvalidCamera = TriclopsErrorInvalidCamera,
  kCalibrationBadMagic = 5,
  kCalibrationMalformed,
  kCalibrationOutOfRange,
  kBadResolution,
  kBadInput,
  kBadImage,
  kSaveFailed,
  kOutOfMemory,
  kInternal,
  kInjectedFailure,
  kFailUnknown,
};

}  // namespace simcam::tc

#endif
