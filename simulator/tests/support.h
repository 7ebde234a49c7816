// Fixtures shared by the simulator tests: a private temporary folder, a
// clean SIMCAM_* environment, and a runner that drives the two stand-ins the
// way stereo_brimlet does.
#ifndef SIMCAM_TEST_SUPPORT_H
#define SIMCAM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pgrflycapture.h"
#include "simcam_query.h"
#include "triclops.h"

namespace simtest {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  std::vector<std::string> entries() const;  // sorted names

 private:
  std::string path_;
};

// Sets variables for one test and puts the previous values back.
class Environment {
 public:
  ~Environment();
  void set(const char* name, const std::string& value);
  void unset(const char* name);

 private:
  void remember(const char* name);
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Every test starts without SIMCAM_* settings and with TMPDIR in its own folder.
class SimcamTest : public ::testing::Test {
 protected:
  SimcamTest();
  TempFolder tmp_;
  Environment env_;
};

// Names parameterised tests after their table row's description.
std::string testName(std::string_view description);
struct NameFromWhat {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return testName(info.param.what);
  }
};

void writeFile(const std::string& path, std::string_view bytes);
std::string readFile(const std::string& path);

struct PipelineOptions {
  uint32_t width = 1280;
  uint32_t height = 960;
  int32_t pixelFormat = FLYCAPTURE_PIXEL_FORMAT_RAW16;
  int32_t rectRows = 240;
  int32_t rectCols = 320;
  std::string savePath;  // empty: the image is saved into the temporary folder
};

struct Rectified {
  TriclopsError code = TriclopsErrorOk;
  int32_t rows = 0;
  int32_t cols = 0;
  int32_t rowinc = 0;
  std::vector<uint8_t> pixels;  // rows x rowinc bytes

  const uint8_t* at(int x, int y) const {
    return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(rowinc) + static_cast<size_t>(x) * 4;
  }
};

struct PipelineResult {
  std::vector<std::pair<std::string, int32_t>> codes;  // each operation run, in order, with its result
  std::string calFile;
  FlyCaptureInfo info{};
  uint32_t register1F28 = 0;
  FlyCaptureImage grabbed{};
  std::vector<uint8_t> raw;  // copy of the grabbed frame
  FlyCaptureImage prepared{};
  std::vector<uint8_t> buffer;  // the row buffer as prepare left it
  Rectified rectified;

  std::optional<int32_t> code(std::string_view operation) const;
  bool allSucceeded() const;
};

// create, initialize, calibration, stereo context, info, register, start,
// resolution, grab, prepare, build input, rectify, save; then stop and the
// two destroys.  A failure ends the chain; clean-up always runs.
PipelineResult runPipeline(const PipelineOptions& options, const std::string& saveFolder);

// Rectifies image `image` of a prepared buffer with the lens of sensor `camera`.
Rectified rectify(const std::string& calFile, const FlyCaptureImage& prepared, std::vector<uint8_t>& buffer, int image,
                  TriclopsCamera camera, int32_t rows, int32_t cols);

}  // namespace simtest

#endif
