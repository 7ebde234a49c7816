// A rectification map gives exactly the pixels that sampling each one
// through the lens gives, whichever kernel the CPU runs.
#include "simcam/rectify_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "simcam/lens.h"
#include "support.h"

namespace {

struct Case {
  const char* what;
  simcam::LensModel lens;
  simcam::RectifyGeometry geometry;
};

std::vector<uint8_t> noise(size_t bytes) {
  std::vector<uint8_t> data(bytes);
  uint32_t state = 12345;
  for (uint8_t& byte : data) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return data;
}

TEST(RectifyMap, GivesExactlyWhatSamplingEachPixelGives) {
  // Strong lenses push samples past every border, where they clamp.
  const simcam::LensModel strong{0.25, 0.1, -0.1, 0.0};
  const Case cases[] = {
      {"full frame", simcam::builtinLens(12, 0), {960, 1280, 1280 * 2 * 4, 240, 320}},
      {"second sensor, small", simcam::builtinLens(12, 1), {960, 1280, 1280 * 2 * 4, 120, 160}},
      {"padded rows", simcam::builtinLens(11, 2), {480, 640, 640 * 3 * 4 + 12, 120, 160}},
      {"strong lens", strong, {48, 64, 64 * 4, 37, 51}},
      {"enlarging a tiny input", strong, {3, 5, 5 * 4, 9, 11}},
      {"two by two", simcam::builtinLens(13, 0), {2, 2, 8, 7, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const simcam::RectifyGeometry& g = c.geometry;
    ASSERT_TRUE(simcam::mappable(g));
    const std::vector<uint8_t> input = noise(static_cast<size_t>(g.inRows) * g.inRowBytes);
    const size_t outBytes = static_cast<size_t>(g.outRows) * static_cast<size_t>(g.outCols) * 4;
    std::vector<uint8_t> direct(outBytes), mapped(outBytes), portable(outBytes);
    simcam::rectifyDirect(c.lens, g, input.data(), direct.data());
    const simcam::RectifyMap map = simcam::buildRectifyMap(c.lens, g);
    simcam::applyRectifyMap(input.data(), g.inRowBytes, map, mapped.data());
    simcam::applyRectifyMapPortable(input.data(), g.inRowBytes, map, portable.data());
    EXPECT_TRUE(mapped == direct);
    EXPECT_TRUE(portable == direct);
  }
}

TEST(RectifyMap, IsNotUsedWhereItCannotServe) {
  EXPECT_FALSE(simcam::mappable({1, 640, 2560, 240, 320}));        // no row below
  EXPECT_FALSE(simcam::mappable({480, 1, 4, 240, 320}));           // no column beside
  EXPECT_FALSE(simcam::mappable({70000, 8000, 32000, 240, 320}));  // past 2 GB
}

// Inputs a map cannot serve are rectified pixel by pixel through the same
// operation: a single grey pixel fills the whole output.
TEST(RectifyMap, SinglePixelInputsAreRectifiedToo) {
  simtest::TempFolder tmp;
  const std::string cal = tmp.file("pair.cal");
  simtest::writeFile(cal,
                     "simcam-stereo-calibration 1\nsensors 2\nsensor 0 0.02 0.001 -0.002 0\n"
                     "sensor 1 0.03 0 0 0.04\n");
  std::vector<uint8_t> pixel = {90, 80, 70, 0};
  FlyCaptureImage prepared{};
  prepared.iRows = 1;
  prepared.iCols = 1;
  prepared.iRowInc = 1;
  const simtest::Rectified rect = simtest::rectify(cal, prepared, pixel, 0, 0, 5, 6);
  ASSERT_EQ(rect.code, TriclopsErrorOk);
  ASSERT_EQ(rect.pixels.size(), 5u * 6u * 4u);
  for (size_t i = 0; i < rect.pixels.size(); i += 4) {
    EXPECT_EQ(rect.pixels[i], 90);
    EXPECT_EQ(rect.pixels[i + 1], 80);
    EXPECT_EQ(rect.pixels[i + 2], 70);
    EXPECT_EQ(rect.pixels[i + 3], 255);
  }
}

}  // namespace
