// The RGB and HSV fills of the planar channel image from a rectified frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "channels/hsv_fill.h"
#include "channels/rgb_to_hsv.h"
#include "jni/planar_channels.h"

namespace {

constexpr int32_t untouched = -12345;

// A rows x cols frame whose pixel (y, x) has distinct blue, green and red.
struct Frame {
  int rows, cols;
  std::vector<TriclopsPackedColorPixel> pixels;
  TriclopsPackedColorImage image() {
    return {rows, cols, cols * 4, pixels.data()};
  }
};

Frame patternFrame(int rows, int cols) {
  Frame frame{rows, cols, std::vector<TriclopsPackedColorPixel>(static_cast<std::size_t>(rows * cols))};
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      auto& p = frame.pixels[static_cast<std::size_t>(y * cols + x)].value;
      p[0] = static_cast<unsigned char>(7 * y + 3 * x);    // blue
      p[1] = static_cast<unsigned char>(11 * x + y * y);   // green
      p[2] = static_cast<unsigned char>(200 - 5 * x + y);  // red
      p[3] = 0xA5;                                          // never read
    }
  }
  return frame;
}

TEST(RgbFillTest, PlanesHoldRedGreenBlueInRowMajorOrder) {
  Frame frame = patternFrame(3, 5);
  // Top-left stored blue 10, green 20, red 30.
  frame.pixels[0].value[0] = 10;
  frame.pixels[0].value[1] = 20;
  frame.pixels[0].value[2] = 30;
  // High bytes must not sign-extend.
  frame.pixels[5].value[2] = 255;

  const std::size_t n = 3 * 5;
  std::vector<int32_t> planes(3 * n, untouched);
  brimlet::fillRgbPlanes(frame.image(), planes.data());

  EXPECT_EQ(planes[0], 30);
  EXPECT_EQ(planes[n], 20);
  EXPECT_EQ(planes[2 * n], 10);
  EXPECT_EQ(planes[5], 255) << "element C is the first pixel of the second row";
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const auto& p = frame.pixels[static_cast<std::size_t>(y * 5 + x)].value;
      const std::size_t i = static_cast<std::size_t>(y * 5 + x);
      EXPECT_EQ(planes[i], p[2]);
      EXPECT_EQ(planes[n + i], p[1]);
      EXPECT_EQ(planes[2 * n + i], p[0]);
    }
  }
}

TEST(HsvFillTest, EveryElementIsTheConversionOfItsPixel) {
  Frame frame = patternFrame(7, 9);
  // A grey and a black pixel among the colours.
  for (auto& v : frame.pixels[4].value) v = 128;
  for (auto& v : frame.pixels[10].value) v = 0;

  const std::size_t n = 7 * 9;
  std::vector<int32_t> planes(3 * n, untouched);
  brimlet::fillHsvPlanes(frame.image(), planes.data());

  for (std::size_t i = 0; i < n; ++i) {
    const auto& p = frame.pixels[i].value;
    const brimlet::hsv expected = brimlet::rgbToHsv(p[2], p[1], p[0]);
    EXPECT_EQ(planes[i], expected.h) << i;
    EXPECT_EQ(planes[n + i], expected.s) << i;
    EXPECT_EQ(planes[2 * n + i], expected.v) << i;
  }
  EXPECT_EQ(planes[4], 0);
  EXPECT_EQ(planes[2 * n + 4], 128);
}

TEST(ChannelCountTest, ThreePlanesOrMinusOneWhenNotAJavaArray) {
  EXPECT_EQ(brimlet::channelCount({240, 320, 1280, nullptr}), 3 * 240 * 320);
  EXPECT_EQ(brimlet::channelCount({120, 160, 640, nullptr}), 3 * 120 * 160);
  EXPECT_EQ(brimlet::channelCount({0, 160, 640, nullptr}), 0);
  EXPECT_EQ(brimlet::channelCount({-1, 160, 640, nullptr}), -1);
  EXPECT_EQ(brimlet::channelCount({40000, 40000, 160000, nullptr}), -1);
}

}  // namespace
