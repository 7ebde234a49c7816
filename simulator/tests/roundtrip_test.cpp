// Scene -> camera -> prepare -> rectify gives the scene back, through the
// public operations only.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "simcam/ppm.h"
#include "simcam/sampling.h"
#include "simcam/scene.h"
#include "support.h"

namespace {

using simtest::PipelineOptions;
using simtest::PipelineResult;
using simtest::SimcamTest;

using Colour = std::array<uint8_t, 3>;  // red, green, blue

Colour expectedPatch(size_t patch, bool grey) {
  const auto& c = simcam::kScenePatchColours[patch];
  if (!grey) return {c[0], c[1], c[2]};
  const uint8_t y = simcam::luma(c[0], c[1], c[2]);
  return {y, y, y};
}

struct RoundTrip {
  const char* what;
  const char* model;
  const char* type;
  const char* images;
  uint32_t width, height;
  int32_t pixelFormat;
  int32_t rectRows, rectCols;
  friend void PrintTo(const RoundTrip& row, std::ostream* out) { *out << row.what; }
};

class RoundTrips : public SimcamTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(RoundTrips, RectifiedPatchesKeepTheirExactColour) {
  const RoundTrip& c = GetParam();
  env_.set("SIMCAM_MODEL", c.model);
  env_.set("SIMCAM_TYPE", c.type);
  env_.set("SIMCAM_IMAGES", c.images);
  PipelineOptions options;
  options.width = c.width;
  options.height = c.height;
  options.pixelFormat = c.pixelFormat;
  options.rectRows = c.rectRows;
  options.rectCols = c.rectCols;
  const PipelineResult result = simtest::runPipeline(options, tmp_.path());
  ASSERT_TRUE(result.allSucceeded());
  const int images = std::atoi(c.images);
  const bool grey = c.pixelFormat == FLYCAPTURE_PIXEL_FORMAT_MONO16;

  // What streaming was started with, and what the frame says.
  SimcamStreaming streaming{};
  simcamLastStreaming(&streaming);
  EXPECT_EQ(streaming.started, 1);
  EXPECT_EQ(streaming.mode, 3u);
  EXPECT_EQ(streaming.width, c.width);
  EXPECT_EQ(streaming.height, c.height);
  EXPECT_EQ(streaming.bandwidth, 100.0f);
  EXPECT_EQ(streaming.pixelFormat, c.pixelFormat);
  EXPECT_EQ(result.grabbed.iCols, static_cast<int32_t>(c.width));
  EXPECT_EQ(result.grabbed.iRows, static_cast<int32_t>(c.height));
  EXPECT_EQ(result.grabbed.iNumImages, images);
  EXPECT_EQ(result.grabbed.iRowInc, static_cast<int32_t>(c.width) * images);
  EXPECT_EQ(result.grabbed.pixelFormat, c.pixelFormat);

  // The prepared buffer: described right, and every pixel of every image written.
  EXPECT_EQ(result.prepared.iCols, result.grabbed.iCols);
  EXPECT_EQ(result.prepared.iRows, result.grabbed.iRows);
  EXPECT_EQ(result.prepared.iNumImages, images);
  EXPECT_EQ(result.prepared.iRowInc, result.grabbed.iRowInc);
  EXPECT_EQ(result.prepared.timeStamp.ulSeconds, result.grabbed.timeStamp.ulSeconds);
  EXPECT_EQ(result.prepared.timeStamp.ulMicroSeconds, result.grabbed.timeStamp.ulMicroSeconds);
  SimcamPreparation preparation{};
  simcamLastPreparation(&preparation);
  EXPECT_EQ(preparation.prepared, 1);
  EXPECT_EQ(preparation.numImages, images);
  EXPECT_EQ(preparation.bytesWritten, result.buffer.size());
  size_t unwritten = 0;
  size_t colouredGrey = 0;
  for (size_t i = 0; i < result.buffer.size(); i += 4) {
    unwritten += result.buffer[i + 3] != 255;
    colouredGrey += grey && (result.buffer[i] != result.buffer[i + 1] || result.buffer[i] != result.buffer[i + 2]);
  }
  EXPECT_EQ(unwritten, 0u);
  EXPECT_EQ(colouredGrey, 0u);

  // The rectified frame: its size, and the central half of each patch exact.
  const simtest::Rectified& rect = result.rectified;
  ASSERT_EQ(rect.rows, c.rectRows);
  ASSERT_EQ(rect.cols, c.rectCols);
  ASSERT_EQ(rect.rowinc, c.rectCols * 4);
  const int patchW = c.rectCols / simcam::kScenePatchColumns;
  const int patchH = c.rectRows / simcam::kScenePatchRows;
  for (int py = 0; py < simcam::kScenePatchRows; ++py) {
    for (int px = 0; px < simcam::kScenePatchColumns; ++px) {
      const size_t patch = static_cast<size_t>(py * simcam::kScenePatchColumns + px);
      const Colour want = expectedPatch(patch, grey);
      size_t wrong = 0;
      for (int y = py * patchH + patchH / 4; y < py * patchH + 3 * patchH / 4; ++y) {
        for (int x = px * patchW + patchW / 4; x < px * patchW + 3 * patchW / 4; ++x) {
          const uint8_t* p = rect.at(x, y);
          wrong += p[2] != want[0] || p[1] != want[1] || p[0] != want[2] || p[3] != 255;
        }
      }
      const uint8_t* centre = rect.at(px * patchW + patchW / 2, py * patchH + patchH / 2);
      EXPECT_EQ(wrong, 0u) << "patch " << patch << ": centre has red " << int(centre[2]) << " green " << int(centre[1])
                           << " blue " << int(centre[0]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, RoundTrips,
                         ::testing::Values(RoundTrip{"full frame", "12", "color", "2", 1280, 960, 1024, 240, 320},
                                           RoundTrip{"full frame small", "12", "color", "2", 1280, 960, 1024, 120, 160},
                                           RoundTrip{"half frame", "12", "color", "2", 640, 480, 1024, 240, 320},
                                           RoundTrip{"half frame small", "12", "color", "2", 640, 480, 1024, 120, 160},
                                           RoundTrip{"three images", "12", "color", "3", 1280, 960, 1024, 240, 320},
                                           RoundTrip{"model 11", "11", "color", "2", 1024, 768, 1024, 240, 320},
                                           RoundTrip{"model 11 narrow", "11", "color", "3", 640, 480, 1024, 120, 160},
                                           RoundTrip{"mono camera", "12", "mono", "2", 1280, 960, 32, 240, 320},
                                           RoundTrip{"colour camera streaming grey", "12", "color", "3", 640, 480, 32,
                                                     120, 160}),
                         simtest::NameFromWhat());

class RawFrames : public SimcamTest {};

TEST_F(RawFrames, HoldAnRggbMosaicOrGreyPerImageInterleavedPixelByPixel) {
  env_.set("SIMCAM_IMAGES", "3");
  for (int32_t format : {FLYCAPTURE_PIXEL_FORMAT_RAW16, FLYCAPTURE_PIXEL_FORMAT_MONO16}) {
    PipelineOptions options;
    options.pixelFormat = format;
    const PipelineResult result = simtest::runPipeline(options, tmp_.path());
    ASSERT_TRUE(result.allSucceeded());
    // Deep inside the top-left patch (30, 20, 10) for all three sensors.
    const Colour patch = expectedPatch(0, false);
    const uint8_t grey = simcam::luma(patch[0], patch[1], patch[2]);
    for (int image = 0; image < 3; ++image) {
      for (int row = 100; row < 104; ++row) {
        for (int col = 100; col < 104; ++col) {
          const uint8_t value = result.raw[static_cast<size_t>(row * result.grabbed.iRowInc + col * 3 + image)];
          const size_t channel = (row % 2) + (col % 2);  // red, green, green, blue
          EXPECT_EQ(value, format == FLYCAPTURE_PIXEL_FORMAT_RAW16 ? patch[channel] : grey)
              << "image " << image << " row " << row << " col " << col;
        }
      }
    }
  }
}

TEST_F(RawFrames, TimestampsIncreaseFromGrabToGrab) {
  FlyCaptureContext camera = nullptr;
  ASSERT_EQ(flycaptureCreateContext(&camera), 0);
  ASSERT_EQ(flycaptureInitialize(camera, 0), 0);
  ASSERT_EQ(flycaptureStartCustomImage(camera, 3, 0, 0, 64, 48, 100.0f, FLYCAPTURE_PIXEL_FORMAT_RAW16), 0);
  uint64_t previous = 0;
  for (int i = 0; i < 5; ++i) {
    FlyCaptureImage image{};
    ASSERT_EQ(flycaptureGrabImage2(camera, &image), 0);
    ASSERT_LT(image.timeStamp.ulMicroSeconds, 1000000u);
    const uint64_t stamp = uint64_t{image.timeStamp.ulSeconds} * 1000000u + image.timeStamp.ulMicroSeconds;
    EXPECT_GT(stamp, previous);
    previous = stamp;
  }
  EXPECT_EQ(flycaptureStop(camera), 0);
  EXPECT_EQ(flycaptureDestroyContext(camera), 0);
}

// A camera streaming 64 x 48 Bayer, with one frame grabbed.
struct SmallStream {
  FlyCaptureContext camera = nullptr;
  FlyCaptureImage frame{};

  SmallStream() {
    EXPECT_EQ(flycaptureCreateContext(&camera), 0);
    EXPECT_EQ(flycaptureInitialize(camera, 0), 0);
    EXPECT_EQ(flycaptureStartCustomImage(camera, 3, 0, 0, 64, 48, 100.0f, FLYCAPTURE_PIXEL_FORMAT_RAW16), 0);
    EXPECT_EQ(flycaptureGrabImage2(camera, &frame), 0);
  }
  ~SmallStream() {
    EXPECT_EQ(flycaptureStop(camera), 0);
    EXPECT_EQ(flycaptureDestroyContext(camera), 0);
  }
  std::vector<uint8_t> prepare(unsigned char* raw) {
    FlyCaptureImage image = frame;
    image.pData = raw;
    std::vector<uint8_t> buffer(64 * 48 * 2 * 4, 0);
    FlyCaptureImage out{};
    out.pData = buffer.data();
    EXPECT_EQ(flycapturePrepareStereoImage(camera, image, nullptr, &out), 0);
    return buffer;
  }
};

TEST_F(RawFrames, PreparingACopyOfTheFramePreparesWhatTheCopyHolds) {
  SmallStream stream;
  ASSERT_NE(stream.frame.pData, nullptr);
  std::vector<uint8_t> copy(stream.frame.pData, stream.frame.pData + 64 * 48 * 2);
  // The grabbed frame and a copy of it prepare alike...
  EXPECT_EQ(stream.prepare(stream.frame.pData), stream.prepare(copy.data()));
  // ...and a changed copy gives what it now holds: a flat mosaic is flat grey.
  std::fill(copy.begin(), copy.end(), 77);
  const std::vector<uint8_t> flat = stream.prepare(copy.data());
  size_t wrong = 0;
  for (size_t i = 0; i < flat.size(); i += 4) {
    wrong += flat[i] != 77 || flat[i + 1] != 77 || flat[i + 2] != 77 || flat[i + 3] != 255;
  }
  EXPECT_EQ(wrong, 0u);
}

// Grabbed frames are shared by every camera streaming the same, so a write
// into one must not go through.
class GrabbedFrameDeathTest : public SimcamTest {};

TEST_F(GrabbedFrameDeathTest, IsReadOnly) {
  SmallStream stream;
  volatile unsigned char* data = stream.frame.pData;
  EXPECT_DEATH(data[0] = static_cast<unsigned char>(data[0] + 1), "");
}

// A smooth scene where every misplaced pixel shows: sines of 48 to 80 pixels.
double wave(double x, double y, int channel) {
  constexpr double kTwoPi = 6.283185307179586;
  switch (channel) {
    case 0:
      return 128.0 + 100.0 * std::sin(kTwoPi * x / 64.0);
    case 1:
      return 128.0 + 100.0 * std::sin(kTwoPi * y / 48.0);
    default:
      return 128.0 + 100.0 * std::sin(kTwoPi * (x + y) / 80.0);
  }
}

std::string waveScene() {
  std::string file = simcam::ppmHeader(simcam::kSceneWidth, simcam::kSceneHeight);
  for (int y = 0; y < simcam::kSceneHeight; ++y) {
    for (int x = 0; x < simcam::kSceneWidth; ++x) {
      for (int c = 0; c < 3; ++c) file += static_cast<char>(std::lround(wave(x, y, c)));
    }
  }
  return file;
}

// Largest difference between a rectified image (at scene size) and the scene
// shifted right by `shift` pixels, away from the borders where the view clamps.
double largestError(const simtest::Rectified& rect, double shift) {
  double worst = 0.0;
  for (int y = 16; y < rect.rows - 16; ++y) {
    for (int x = 16; x < rect.cols - 16; ++x) {
      if (x + shift > rect.cols - 16) continue;
      for (int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::fabs(rect.at(x, y)[2 - c] - wave(x + shift, y, c)));
      }
    }
  }
  return worst;
}

TEST_F(RawFrames, RectificationUndoesEachSensorsLensAndKeepsItsDisparity) {
  const std::string scene = tmp_.file("waves.ppm");
  simtest::writeFile(scene, waveScene());
  env_.set("SIMCAM_SCENE", scene);
  PipelineResult result = simtest::runPipeline({}, tmp_.path());
  ASSERT_TRUE(result.allSucceeded());
  const double disparityPixels = 0.04 * simcam::kSceneWidth / 2;  // sensor 1 sees the scene 6.4 pixels on

  // Rectified through its own lens, each sensor shows the scene (with its
  // disparity) up to interpolation.
  EXPECT_LE(largestError(result.rectified, 0.0), 2.5);
  const auto second = simtest::rectify(result.calFile, result.prepared, result.buffer, 1, 1, 240, 320);
  ASSERT_EQ(second.code, TriclopsErrorOk);
  EXPECT_LE(largestError(second, disparityPixels), 2.5);
  EXPECT_GT(largestError(second, 0.0), 30.0);

  // Through the other sensor's lens the picture is visibly off, so the lenses
  // are real and differ.
  const auto wrongLens = simtest::rectify(result.calFile, result.prepared, result.buffer, 0, 1, 240, 320);
  ASSERT_EQ(wrongLens.code, TriclopsErrorOk);
  EXPECT_GT(largestError(wrongLens, 0.0), 8.0);
}

TEST_F(RawFrames, SeparateContextsWorkFromSeparateThreads) {
  const PipelineResult alone = simtest::runPipeline({}, tmp_.path());
  ASSERT_TRUE(alone.allSucceeded());
  std::array<PipelineResult, 3> results;
  std::array<std::thread, 3> threads;
  for (size_t i = 0; i < threads.size(); ++i) {
    threads[i] = std::thread([&results, i, this] { results[i] = simtest::runPipeline({}, tmp_.path()); });
  }
  for (auto& thread : threads) thread.join();
  for (const PipelineResult& result : results) {
    EXPECT_TRUE(result.allSucceeded());
    EXPECT_EQ(result.rectified.pixels, alone.rectified.pixels);
  }
}

}  // namespace
