// The camera and rectifier sequence against the simulated camera.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include <simcam_query.h>

#include "capture/stereo_capture.h"
#include "child_process.h"
#include "scoped_environment.h"

namespace {

using brimlet::captureRectifiedFrame;
using brimlet::releaseRectifier;

struct StreamingCase {
  const char* model;
  const char* type;
  const char* register1F28;
  uint32_t width;
  uint32_t height;
  int32_t pixelFormat;
};

class StreamingSetupTest : public ::testing::TestWithParam<StreamingCase> {};

TEST_P(StreamingSetupTest, StreamsTheModelsGeometryInTheTypesPixelFormat) {
  const StreamingCase& c = GetParam();
  ScopedEnvironment env{{"SIMCAM_MODEL", c.model}, {"SIMCAM_TYPE", c.type}, {"SIMCAM_REGISTER_1F28", c.register1F28},
                        {"SIMCAM_IMAGES", nullptr}, {"SIMCAM_SCENE", nullptr}, {"SIMCAM_FAIL", nullptr}};

  const brimlet::RectifiedFrame frame = captureRectifiedFrame(240, 320);
  SimcamStreaming streaming{};
  simcamLastStreaming(&streaming);
  releaseRectifier(frame.triclops);

  ASSERT_TRUE(streaming.started);
  EXPECT_EQ(streaming.mode, 3u);
  EXPECT_EQ(streaming.left, 0u);
  EXPECT_EQ(streaming.top, 0u);
  EXPECT_EQ(streaming.width, c.width);
  EXPECT_EQ(streaming.height, c.height);
  EXPECT_EQ(streaming.bandwidth, 100.0f);
  EXPECT_EQ(streaming.pixelFormat, c.pixelFormat);
}

INSTANTIATE_TEST_SUITE_P(
    Models, StreamingSetupTest,
    ::testing::Values(StreamingCase{"12", "color", nullptr, 1280, 960, 1024},
                      StreamingCase{"12", "mono", nullptr, 1280, 960, 32},
                      // Model 12 has no strap: the register must not matter.
                      StreamingCase{"12", "color", "2", 1280, 960, 1024},
                      StreamingCase{"11", "color", "0", 1024, 768, 1024},
                      StreamingCase{"11", "color", "1", 1024, 768, 1024},
                      StreamingCase{"11", "color", "0xFFFFFFFD", 1024, 768, 1024},
                      StreamingCase{"11", "color", "2", 640, 480, 1024},
                      StreamingCase{"11", "mono", "0x3", 640, 480, 32},
                      StreamingCase{"11", "mono", "0", 1024, 768, 32}));

TEST(CaptureSequenceTest, RectifiesToTheRequestedSizeRowsFirst) {
  ScopedEnvironment env{{"SIMCAM_MODEL", nullptr}, {"SIMCAM_FAIL", nullptr}, {"SIMCAM_SCENE", nullptr}};
  for (const auto& [rows, cols] : {std::pair{240, 320}, std::pair{120, 160}}) {
    const brimlet::RectifiedFrame frame = captureRectifiedFrame(rows, cols);
    EXPECT_EQ(frame.colorImage.nrows, rows);
    EXPECT_EQ(frame.colorImage.ncols, cols);
    EXPECT_EQ(frame.colorImage.rowinc, cols * 4);
    EXPECT_NE(frame.colorImage.data, nullptr);
    releaseRectifier(frame.triclops);
  }
}

TEST(CaptureSequenceTest, PreparesEveryImageOfTheFrameIntoTheRowBuffer) {
  for (const auto& [images, count] : {std::pair{"2", 2}, std::pair{"3", 3}}) {
    ScopedEnvironment env{{"SIMCAM_MODEL", "12"}, {"SIMCAM_IMAGES", images}, {"SIMCAM_FAIL", nullptr}};
    const brimlet::RectifiedFrame frame = captureRectifiedFrame(120, 160);
    SimcamPreparation preparation{};
    simcamLastPreparation(&preparation);
    releaseRectifier(frame.triclops);
    EXPECT_EQ(preparation.numImages, count);
    EXPECT_EQ(preparation.bytesWritten, std::size_t{1280} * 960 * static_cast<std::size_t>(count) * 4);
  }
}

TEST(CaptureSequenceTest, IgnoresAFailingRegisterRead) {
  // The register read is the one unchecked step: model 11 then streams its
  // full resolution instead of ending the process.
  ScopedEnvironment env{{"SIMCAM_MODEL", "11"}, {"SIMCAM_REGISTER_1F28", "2"},
                        {"SIMCAM_FAIL", "flycaptureGetCameraRegister"}};
  const brimlet::RectifiedFrame frame = captureRectifiedFrame(240, 320);
  SimcamStreaming streaming{};
  simcamLastStreaming(&streaming);
  releaseRectifier(frame.triclops);
  EXPECT_EQ(streaming.width, 1024u);
  EXPECT_EQ(streaming.height, 768u);
}

TEST(RowBufferBytesTest, IsColsTimesRowsTimesImagesTimesFour) {
  struct Case {
    int32_t cols, rows, images;
    std::size_t bytes;
  };
  const Case cases[] = {
      {1280, 960, 2, std::size_t{1280} * 960 * 2 * 4},
      {1280, 960, 3, std::size_t{1280} * 960 * 3 * 4},
      {640, 480, 2, std::size_t{640} * 480 * 2 * 4},
      {0, 960, 2, 0},
      {1280, -1, 2, 0},
      {1280, 960, 0, 0},
  };
  for (const Case& c : cases) {
    FlyCaptureImage image{};
    image.iCols = c.cols;
    image.iRows = c.rows;
    image.iNumImages = c.images;
    image.iRowInc = c.cols * c.images;
    EXPECT_EQ(brimlet::rowBufferBytes(image), c.bytes) << c.cols << " x " << c.rows << " x " << c.images;
  }
}

}  // namespace
