// Lens model shared by the camera (which renders through it) and the stereo
// library (which undoes it).  Coordinates are centred and normalised per
// axis: q = 2 (pixel + 0.5) / size - 1, so [-1, 1] spans the image.
#ifndef SIMCAM_LENS_H
#define SIMCAM_LENS_H

#include <cstdint>

namespace simcam {

struct LensModel {
  double k1 = 0.0;       // radial distortion: raw = q (1 + k1 |q|^2) + offset
  double offsetX = 0.0;  // principal point shift
  double offsetY = 0.0;
  double disparity = 0.0;  // horizontal shift of the scene as this sensor sees it
};

struct Point {
  double x;
  double y;
};

// Deterministic per model and sensor, and different for every sensor, so a
// test that rectifies with the wrong sensor's lens notices.
LensModel builtinLens(int32_t model, int sensor);

Point distort(const LensModel& lens, Point ideal);
// Inverse of distort by iteration, converged far below 1/256 pixel.
Point undistort(const LensModel& lens, Point raw);

// undistort for a row of `count` raw points sharing the normalised row
// coordinate `rawY`.  The points are iterated together so that their
// divisions overlap instead of waiting on each other.  `scale` holds the
// starting guess for each point (1.0, or the neighbouring row's result) and
// receives the converged scale s with ideal = (raw - offset) / s.
void undistortRow(const LensModel& lens, const double* rawX, double rawY, int count, double* scale);

inline double normalisedCoordinate(int pixel, int size) {
  return 2.0 * (pixel + 0.5) / size - 1.0;
}
inline double pixelCoordinate(double normalised, int size) {
  return (normalised + 1.0) * 0.5 * size - 0.5;
}

}  // namespace simcam

#endif
