#include "simcam/lens.h"

#include <algorithm>
#include <cmath>

namespace simcam {

LensModel builtinLens(int32_t model, int sensor) {
  // Small modulo terms give each model its own lenses while keeping every
  // parameter in the range a real stereo head would show.
  const auto m = static_cast<int64_t>(model);
  LensModel lens;
  lens.k1 = 0.020 + 0.008 * sensor + 0.002 * static_cast<double>(m % 5);
  lens.offsetX = 0.001 * static_cast<double>(1 + (m + sensor) % 4) * (sensor % 2 == 0 ? 1.0 : -1.0);
  lens.offsetY = 0.001 * static_cast<double>(1 + (m * 3 + sensor) % 3) * ((m + sensor) % 2 == 0 ? -1.0 : 1.0);
  lens.disparity = 0.04 * sensor;
  return lens;
}

Point distort(const LensModel& lens, Point ideal) {
  const double scale = 1.0 + lens.k1 * (ideal.x * ideal.x + ideal.y * ideal.y);
  return {ideal.x * scale + lens.offsetX, ideal.y * scale + lens.offsetY};
}

void undistortRow(const LensModel& lens, const double* rawX, double rawY, int count, double* scale) {
  // raw - offset = q s with s = 1 + k1 |q|^2, so s = 1 + a / s^2 where
  // a = k1 |raw - offset|^2, i.e. s^3 - s^2 - a = 0.  Iterating Newton's map
  // on that cubic converges in two or three steps from the neighbouring
  // row's answer (the plain map s -> 1 + a / s^2 needs about nine), and
  // its slope 3s^2 - 2s stays near 1 for any real lens (s close to 1).
  // Convergence is quadratic: once a step is below 1e-7 the error left is
  // about its square, far below 1/256 of a pixel of any scene we accept.
  const double dy = rawY - lens.offsetY;
  for (int iteration = 0; iteration < 50; ++iteration) {
    double largestChange = 0.0;
    for (int i = 0; i < count; ++i) {
      const double dx = rawX[i] - lens.offsetX;
      const double a = lens.k1 * (dx * dx + dy * dy);
      const double s = scale[i];
      const double change = (s * s * s - s * s - a) / (3.0 * s * s - 2.0 * s);
      largestChange = std::max(largestChange, std::fabs(change));
      scale[i] = s - change;
    }
    if (largestChange < 1e-7) break;
  }
}

Point undistort(const LensModel& lens, Point raw) {
  double scale = 1.0;
  undistortRow(lens, &raw.x, raw.y, 1, &scale);
  return {(raw.x - lens.offsetX) / scale, (raw.y - lens.offsetY) / scale};
}

}  // namespace simcam
