#ifndef BRIMLET_CHANNELS_RGB_TO_HSV_H
#define BRIMLET_CHANNELS_RGB_TO_HSV_H

#include <cstdint>

namespace brimlet {

struct hsv {
  int32_t h;
  int32_t s;
  int32_t v;
};

// Integer HSV as the Java side consumes it: hue 0..360 (360 is not folded to
// 0), saturation 1 exactly when the smallest channel is 0 and 0 otherwise,
// value the largest channel.  Divisions truncate toward zero; ties between
// red and green go to green, ties with blue go to blue.  Grey pixels (all
// three equal, black included) would divide by zero: they give hue 0 and
// saturation 0 without dividing.
constexpr hsv rgbToHsv(int32_t r, int32_t g, int32_t b) noexcept {
  if (r > g && r > b) {
    const int32_t d = g >= b ? r - b : r - g;
    const int32_t h = g >= b ? ((g - b) * 60) / d : ((g - b) * 60) / d + 360;
    return {h, d / r, r};
  }
  if (g > b) {
    const int32_t d = r > b ? g - b : g - r;
    return {((b - r) * 60) / d + 120, d / g, g};
  }
  const int32_t d = r > g ? b - g : b - r;
  if (d == 0) {
    return {0, 0, b};
  }
  return {((r - g) * 60) / d + 240, d / b, b};
}

}  // namespace brimlet

#endif
