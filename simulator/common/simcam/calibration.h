// The calibration file the camera hands to the stereo library.  A small text
// format of our own:
//
//   simcam-stereo-calibration 1
//   sensors <2 or 3>
//   sensor <index> <k1> <offsetX> <offsetY> <disparity>     (one line per sensor, index 0, 1, ...)
//
// Fields are separated by single spaces, lines end with '\n', numbers are
// finite decimals.  Anything else is rejected.
#ifndef SIMCAM_CALIBRATION_H
#define SIMCAM_CALIBRATION_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "simcam/lens.h"

namespace simcam {

inline constexpr std::string_view kCalibrationMagic = "simcam-stereo-calibration 1";
inline constexpr size_t kMaxCalibrationBytes = 4096;

struct Calibration {
  int sensors = 0;
  std::array<LensModel, 3> lens{};
};

enum class CalibrationProblem { None, BadMagic, Malformed, OutOfRange };

Calibration builtinCalibration(int32_t model, int sensors);
std::string formatCalibration(const Calibration& calibration);
// `out` is only written on success.
CalibrationProblem parseCalibration(std::string_view text, Calibration& out);

// Where a camera of this model and sensor count keeps its calibration: one
// fixed file per camera kind, so repeated runs rewrite it instead of piling up.
std::string calibrationPath(const std::string& folder, int32_t model, int sensors);

}  // namespace simcam

#endif
