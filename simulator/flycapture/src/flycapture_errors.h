// Result codes of the simulated camera.  Private: callers only see numbers
// and the texts flycaptureErrorToString gives them.
#ifndef SIMCAM_FLYCAPTURE_ERRORS_H
#define SIMCAM_FLYCAPTURE_ERRORS_H

#include "pgrflycapture.h"

namespace simcam::fc {

enum Error : FlyCaptureError {
  kOk = FLYCAPTURE_OK,
  kNullPointer = 1,
  kNullContext,
  kNotInitialized,
  kAlreadyInitialized,
  kNoCameraOnBus,
  kNotStreaming,
  kAlreadyStreaming,
  kUnsupportedMode,
  kUnsupportedPixelFormat,
  kUnsupportedGeometry,
  kBadBandwidth,
  kUnknownRegister,
  kFrameMismatch,
  kMonoOutputUnsupported,
  kNoOutputBuffer,
  kCalibrationNotWritten,
  kOutOfMemory,
  kInternal,
  kInjectedFailure,
  kFailUnknown,
  kModelInvalid,
  kTypeInvalid,
  kRegisterInvalid,
  kImagesInvalid,
  kSceneUnreadable,
  kSceneMalformed,
  kSceneTruncated,
  kSceneOversized,
};

}  // namespace simcam::fc

#endif
