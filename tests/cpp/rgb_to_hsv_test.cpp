#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "channels/rgb_to_hsv.h"

namespace {

using brimlet::hsv;
using brimlet::rgbToHsv;

TEST(RgbToHsvTest, KnownColoursTiesAndTruncation) {
  struct Case {
    int32_t r, g, b;
    hsv expected;
  };
  const Case cases[] = {
      {255, 0, 0, {0, 1, 255}},
      {200, 0, 1, {360, 1, 200}},  // -60 / 200 truncates to 0: hue 360, not folded
      {0, 255, 0, {120, 1, 255}},
      {0, 0, 255, {240, 1, 255}},
      {200, 200, 100, {60, 0, 200}},   // red and green tie: green's case
      {100, 200, 200, {180, 0, 200}},  // green and blue tie: blue's case
      {200, 100, 200, {300, 0, 200}},  // red and blue tie: blue's case, d = b - g
      {150, 100, 50, {30, 0, 150}},
      {255, 255, 0, {60, 1, 255}},
      {0, 255, 255, {180, 1, 255}},
      {255, 0, 255, {300, 1, 255}},
      {30, 20, 10, {30, 0, 30}},
      {10, 20, 30, {210, 0, 30}},
      {1, 0, 0, {0, 1, 1}},
      {0, 0, 1, {240, 1, 1}},
  };
  for (const Case& c : cases) {
    const hsv got = rgbToHsv(c.r, c.g, c.b);
    EXPECT_EQ(got.h, c.expected.h) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(got.s, c.expected.s) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(got.v, c.expected.v) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(RgbToHsvTest, GreyLevelsGiveHueAndSaturationZero) {
  // All three channels equal would divide by zero: black, white and every grey.
  for (int32_t level = 0; level <= 255; ++level) {
    const hsv got = rgbToHsv(level, level, level);
    EXPECT_EQ(got.h, 0) << level;
    EXPECT_EQ(got.s, 0) << level;
    EXPECT_EQ(got.v, level) << level;
  }
}

TEST(RgbToHsvTest, RangesHoldForEveryColour) {
  // Hue 0..360 by case, saturation 1 exactly when the smallest channel is 0,
  // value the largest channel: over all 2^24 inputs.
  int failures = 0;
  for (int32_t r = 0; r <= 255 && failures < 10; ++r) {
    for (int32_t g = 0; g <= 255; ++g) {
      for (int32_t b = 0; b <= 255; ++b) {
        if (r == g && g == b) {
          continue;
        }
        const hsv got = rgbToHsv(r, g, b);
        const int32_t largest = std::max({r, g, b});
        const int32_t smallest = std::min({r, g, b});
        bool hueInCase;
        if (r > g && r > b) {
          hueInCase = (got.h >= 0 && got.h <= 59) || (got.h >= 301 && got.h <= 360);
        } else if (g > b) {
          hueInCase = got.h >= 60 && got.h <= 179;
        } else {
          hueInCase = got.h >= 180 && got.h <= 300;
        }
        if (!hueInCase || got.v != largest || got.s != (smallest == 0 ? 1 : 0)) {
          ADD_FAILURE() << r << "," << g << "," << b << " -> " << got.h << "," << got.s << "," << got.v;
          ++failures;
        }
      }
    }
  }
}

}  // namespace
