// Names of the camera and stereo operations, as SIMCAM_FAIL spells them.
#ifndef SIMCAM_OPERATIONS_H
#define SIMCAM_OPERATIONS_H

#include <array>
#include <string>
#include <string_view>

namespace simcam {

inline constexpr std::array<std::string_view, 16> kOperationNames = {
    "flycaptureCreateContext",
    "flycaptureInitialize",
    "flycaptureGetCalibrationFileFromCamera",
    "flycaptureGetCameraInfo",
    "flycaptureGetCameraRegister",
    "flycaptureStartCustomImage",
    "flycaptureGrabImage2",
    "flycapturePrepareStereoImage",
    "flycaptureStop",
    "flycaptureDestroyContext",
    "triclopsGetDefaultContextFromFile",
    "triclopsSetResolution",
    "triclopsBuildPackedTriclopsInput",
    "triclopsRectifyPackedColorImage",
    "triclopsDestroyContext",
    "triclopsSavePackedColorImage",
};

bool isOperationName(std::string_view name);

// What SIMCAM_FAIL asks for.  An unknown name is kept apart so the caller
// can report it instead of quietly failing nothing.
struct FailInjection {
  bool unknown = false;
  std::string operation;  // empty: no failure injected

  bool fails(std::string_view name) const { return !operation.empty() && operation == name; }
};

FailInjection readFailInjection();

}  // namespace simcam

#endif
