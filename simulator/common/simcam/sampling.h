// Bilinear sampling with integer weights.  The four weights of a tap add up
// to exactly 65536, so a uniform neighbourhood reproduces its value exactly
// however the sample point falls; float weights would drift by one.
#ifndef SIMCAM_SAMPLING_H
#define SIMCAM_SAMPLING_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace simcam {

struct Tap {
  size_t offset00, offset01, offset10, offset11;  // byte offsets of the four neighbours
  uint32_t wx, wy;                                // fractions in 1/256
};

// (x, y) in pixel coordinates of a width x height image whose pixels are
// `pixelBytes` apart and rows `rowBytes` apart; outside points are clamped
// to the border.
inline Tap makeTap(double x, double y, int width, int height, size_t pixelBytes, size_t rowBytes) {
  const double cx = std::clamp(x, 0.0, static_cast<double>(width - 1));
  const double cy = std::clamp(y, 0.0, static_cast<double>(height - 1));
  // Both are non-negative here, so truncation after adding a half rounds.
  const auto fx = static_cast<int64_t>(cx * 256.0 + 0.5);
  const auto fy = static_cast<int64_t>(cy * 256.0 + 0.5);
  const auto x0 = static_cast<int>(fx >> 8);
  const auto y0 = static_cast<int>(fy >> 8);
  const int x1 = std::min(x0 + 1, width - 1);
  const int y1 = std::min(y0 + 1, height - 1);
  Tap tap{};
  tap.offset00 = static_cast<size_t>(y0) * rowBytes + static_cast<size_t>(x0) * pixelBytes;
  tap.offset01 = static_cast<size_t>(y0) * rowBytes + static_cast<size_t>(x1) * pixelBytes;
  tap.offset10 = static_cast<size_t>(y1) * rowBytes + static_cast<size_t>(x0) * pixelBytes;
  tap.offset11 = static_cast<size_t>(y1) * rowBytes + static_cast<size_t>(x1) * pixelBytes;
  tap.wx = static_cast<uint32_t>(fx & 255);
  tap.wy = static_cast<uint32_t>(fy & 255);
  return tap;
}

// Byte `channel` of the pixel sampled at `tap`.
inline uint8_t sample(const uint8_t* image, const Tap& tap, size_t channel) {
  const uint32_t top = image[tap.offset00 + channel] * (256 - tap.wx) + image[tap.offset01 + channel] * tap.wx;
  const uint32_t bottom = image[tap.offset10 + channel] * (256 - tap.wx) + image[tap.offset11 + channel] * tap.wx;
  return static_cast<uint8_t>((top * (256 - tap.wy) + bottom * tap.wy + 32768) >> 16);
}

// Grey as a mono sensor sees it; the weights add up to 256 so grey stays grey.
inline uint8_t luma(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint8_t>((77u * red + 150u * green + 29u * blue + 128u) >> 8);
}

}  // namespace simcam

#endif
