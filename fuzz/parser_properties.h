// What the simulated camera's file readers must do with any input at all,
// checked by the fuzz targets (fuzz/*_fuzzer.cpp) and by the corpus replay in
// the C++ tests: never read or write out of bounds (the sanitizers see
// that), leave the output alone when they refuse, and accept only what reads
// back the same when written out again.
#ifndef BRIMLET_FUZZ_PARSER_PROPERTIES_H
#define BRIMLET_FUZZ_PARSER_PROPERTIES_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "simcam/calibration.h"
#include "simcam/ppm.h"

namespace brimlet_fuzz {

// Each returns null when the reader behaved on this input, else what it got wrong.

inline const char* checkPpm(const uint8_t* data, size_t size) {
  // A marker image: a refusal must leave it untouched.
  simcam::RgbImage image;
  image.width = 7;
  image.height = 5;
  image.pixels = {1, 2, 3};
  const simcam::PpmProblem problem = simcam::parsePpm(data, size, image);
  if (problem != simcam::PpmProblem::None) {
    const bool untouched = image.width == 7 && image.height == 5 && image.pixels.size() == 3 &&
                           image.pixels[0] == 1 && image.pixels[1] == 2 && image.pixels[2] == 3;
    return untouched ? nullptr : "a refused PPM changed the output image";
  }
  if (image.width < 1 || image.height < 1 || image.width > simcam::kMaxPpmSide || image.height > simcam::kMaxPpmSide ||
      int64_t{image.width} * image.height > simcam::kMaxPpmPixels) {
    return "an accepted PPM has a size out of range";
  }
  const size_t pixelBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
  if (image.pixels.size() != pixelBytes || size < pixelBytes + 2) return "an accepted PPM has the wrong pixel count";
  if (std::memcmp(image.pixels.data(), data + (size - pixelBytes), pixelBytes) != 0) {
    return "an accepted PPM's pixels are not the input's last bytes";
  }
  std::string written = simcam::ppmHeader(image.width, image.height);
  written.append(reinterpret_cast<const char*>(image.pixels.data()), image.pixels.size());
  simcam::RgbImage again;
  if (simcam::parsePpm(reinterpret_cast<const uint8_t*>(written.data()), written.size(), again) !=
          simcam::PpmProblem::None ||
      again.width != image.width || again.height != image.height || again.pixels != image.pixels) {
    return "an accepted PPM does not read back the same once written";
  }
  return nullptr;
}

inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool sameCalibration(const simcam::Calibration& a, const simcam::Calibration& b) {
  if (a.sensors != b.sensors) return false;
  // Every slot, used or not: a reader must not scribble on the unused one either.
  for (size_t i = 0; i < a.lens.size(); ++i) {
    const simcam::LensModel& x = a.lens[i];
    const simcam::LensModel& y = b.lens[i];
    if (!sameBits(x.k1, y.k1) || !sameBits(x.offsetX, y.offsetX) || !sameBits(x.offsetY, y.offsetY) ||
        !sameBits(x.disparity, y.disparity)) {
      return false;
    }
  }
  return true;
}

inline const char* checkCalibration(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  simcam::Calibration marker;
  marker.sensors = 9;
  marker.lens[0].k1 = 123.0;
  simcam::Calibration calibration = marker;
  const simcam::CalibrationProblem problem = simcam::parseCalibration(text, calibration);
  if (problem != simcam::CalibrationProblem::None) {
    return sameCalibration(calibration, marker) ? nullptr : "a refused calibration changed the output";
  }
  if (size > simcam::kMaxCalibrationBytes) return "an accepted calibration is longer than allowed";
  if (calibration.sensors < 2 || calibration.sensors > 3) return "an accepted calibration has a bad sensor count";
  for (int i = 0; i < calibration.sensors; ++i) {
    const simcam::LensModel& lens = calibration.lens[static_cast<size_t>(i)];
    if (!std::isfinite(lens.k1) || !std::isfinite(lens.offsetX) || !std::isfinite(lens.offsetY) ||
        !std::isfinite(lens.disparity)) {
      return "an accepted calibration holds a value that is not finite";
    }
  }
  simcam::Calibration again;
  if (simcam::parseCalibration(simcam::formatCalibration(calibration), again) != simcam::CalibrationProblem::None ||
      !sameCalibration(again, calibration)) {
    return "an accepted calibration does not read back the same once written";
  }
  return nullptr;
}

}  // namespace brimlet_fuzz

#endif
