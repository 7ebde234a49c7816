#include "simcam/calibration.h"

#include <sys/stat.h>

#include <cmath>
#include <string>

#include "flycapture_errors.h"
#include "simcam/lens.h"
#include "support.h"
#include "triclops_errors.h"

namespace {

using simtest::SimcamTest;

TEST(LensModel, UndistortInvertsDistort) {
  for (int sensor = 0; sensor < 3; ++sensor) {
    const simcam::LensModel lens = simcam::builtinLens(11, sensor);
    for (double x = -1.0; x <= 1.0; x += 0.25) {
      for (double y = -1.0; y <= 1.0; y += 0.25) {
        const simcam::Point back = simcam::undistort(lens, simcam::distort(lens, {x, y}));
        EXPECT_NEAR(back.x, x, 1e-9);
        EXPECT_NEAR(back.y, y, 1e-9);
      }
    }
  }
}

TEST(LensModel, EverySensorHasItsOwnSmallLens) {
  for (int32_t model : {11, 12, 13}) {
    for (int a = 0; a < 3; ++a) {
      const simcam::LensModel lens = simcam::builtinLens(model, a);
      EXPECT_GE(lens.k1, 0.02);
      EXPECT_LE(lens.k1, 0.05);
      EXPECT_GT(std::fabs(lens.offsetX), 0.0);
      EXPECT_LT(std::fabs(lens.offsetX), 0.01);
      EXPECT_LT(std::fabs(lens.offsetY), 0.01);
      for (int b = a + 1; b < 3; ++b) {
        const simcam::LensModel other = simcam::builtinLens(model, b);
        EXPECT_NE(lens.k1, other.k1);
        EXPECT_NE(lens.offsetX, other.offsetX);
        EXPECT_NE(lens.disparity, other.disparity);
      }
    }
  }
}

class CalibrationFile : public SimcamTest {};

TEST_F(CalibrationFile, CameraWritesFixedFileThatParsesBackExactly) {
  struct Case {
    const char* model;
    const char* images;
  };
  for (const Case& c : {Case{"11", "2"}, Case{"12", "3"}, Case{"13", "2"}}) {
    SCOPED_TRACE(std::string("model ") + c.model + " images " + c.images);
    env_.set("SIMCAM_MODEL", c.model);
    env_.set("SIMCAM_IMAGES", c.images);
    FlyCaptureContext camera = nullptr;
    ASSERT_EQ(flycaptureCreateContext(&camera), 0);
    ASSERT_EQ(flycaptureInitialize(camera, 0), 0);
    char* first = nullptr;
    char* second = nullptr;
    ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &first), 0);
    ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &second), 0);

    const int32_t model = std::stoi(c.model);
    const int images = std::stoi(c.images);
    EXPECT_EQ(first, second);  // the same text, still valid, and the same file rewritten
    EXPECT_EQ(std::string(second), simcam::calibrationPath(tmp_.path(), model, images));

    simcam::Calibration parsed;
    ASSERT_EQ(simcam::parseCalibration(simtest::readFile(second), parsed), simcam::CalibrationProblem::None);
    ASSERT_EQ(parsed.sensors, images);
    for (int i = 0; i < images; ++i) {
      const simcam::LensModel expected = simcam::builtinLens(model, i);
      const simcam::LensModel& got = parsed.lens[static_cast<size_t>(i)];
      EXPECT_EQ(got.k1, expected.k1);
      EXPECT_EQ(got.offsetX, expected.offsetX);
      EXPECT_EQ(got.offsetY, expected.offsetY);
      EXPECT_EQ(got.disparity, expected.disparity);
    }
    TriclopsContext stereo = nullptr;
    EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, second), TriclopsErrorOk);
    EXPECT_EQ(triclopsDestroyContext(stereo), TriclopsErrorOk);
    EXPECT_EQ(flycaptureDestroyContext(camera), 0);
  }
  // One file per kind of camera and no temporaries left behind.
  EXPECT_EQ(tmp_.entries().size(), 3u);
  for (const std::string& name : tmp_.entries()) EXPECT_EQ(name.substr(name.size() - 4), ".cal") << name;
}

TEST_F(CalibrationFile, IsReplacedOnlyWhenItDoesNotHoldTheRightText) {
  FlyCaptureContext camera = nullptr;
  ASSERT_EQ(flycaptureCreateContext(&camera), 0);
  ASSERT_EQ(flycaptureInitialize(camera, 0), 0);
  char* path = nullptr;
  ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &path), 0);
  const std::string text = simtest::readFile(path);
  auto inode = [&path] {
    struct stat info {};
    EXPECT_EQ(::stat(path, &info), 0);
    return info.st_ino;
  };
  const auto first = inode();
  ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &path), 0);
  EXPECT_EQ(inode(), first);  // left alone: a replacement is a new file

  for (const std::string& wrong : {std::string("stale"), text.substr(0, text.size() - 1), text + "\n"}) {
    simtest::writeFile(path, wrong);  // in place: the same file
    ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &path), 0);
    EXPECT_EQ(simtest::readFile(path), text);
  }
  // The first replacement was made while the original still existed, so it
  // cannot have had its inode; later ones may reuse it.
  simtest::writeFile(path, "stale");
  const auto before = inode();
  ASSERT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &path), 0);
  EXPECT_NE(inode(), before);
  EXPECT_EQ(tmp_.entries().size(), 1u);  // no temporaries left
  EXPECT_EQ(flycaptureDestroyContext(camera), 0);
}

TEST_F(CalibrationFile, UnwritableFolderFailsTheCamera) {
  env_.set("TMPDIR", tmp_.file("missing"));
  FlyCaptureContext camera = nullptr;
  ASSERT_EQ(flycaptureCreateContext(&camera), 0);
  ASSERT_EQ(flycaptureInitialize(camera, 0), 0);
  char* path = nullptr;
  EXPECT_EQ(flycaptureGetCalibrationFileFromCamera(camera, &path), simcam::fc::kCalibrationNotWritten);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(flycaptureDestroyContext(camera), 0);
}

struct BadCalibration {
  const char* what;
  std::string text;
  TriclopsError code;
  friend void PrintTo(const BadCalibration& row, std::ostream* out) { *out << row.what; }
};

class CalibrationRejects : public SimcamTest, public ::testing::WithParamInterface<BadCalibration> {};

TEST_P(CalibrationRejects, File) {
  const std::string path = tmp_.file("bad.cal");
  simtest::writeFile(path, GetParam().text);
  TriclopsContext stereo = reinterpret_cast<TriclopsContext>(&stereo);  // must be cleared on failure
  EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, path.c_str()), GetParam().code) << GetParam().what;
  EXPECT_EQ(stereo, nullptr);
}

const std::string kMagic = "simcam-stereo-calibration 1\n";
const std::string kSensor0 = "sensor 0 0.02 0.001 -0.002 0\n";
using namespace simcam::tc;

INSTANTIATE_TEST_SUITE_P(
    Table, CalibrationRejects,
    ::testing::Values(
        BadCalibration{"empty file", "", kCalibrationBadMagic},
        BadCalibration{"wrong magic", "simcam-stereo-calibration 2\nsensors 2\n", kCalibrationBadMagic},
        BadCalibration{"windows line ends", "simcam-stereo-calibration 1\r\nsensors 2\r\n", kCalibrationBadMagic},
        BadCalibration{"magic only", kMagic, kCalibrationMalformed},
        BadCalibration{"sensor lines missing", kMagic + "sensors 2\n" + kSensor0, kCalibrationMalformed},
        BadCalibration{"extra sensor line", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 0 0.04\n" + kSensor0,
                       kCalibrationMalformed},
        BadCalibration{"blank line", kMagic + "sensors 2\n\n" + kSensor0 + "sensor 1 0.03 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"last line unterminated", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 0 0.04",
                       kCalibrationMalformed},
        BadCalibration{"missing field", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 0\n",
                       kCalibrationMalformed},
        BadCalibration{"extra field", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 0 0.04 7\n",
                       kCalibrationMalformed},
        BadCalibration{"double space", kMagic + "sensors 2\n" + kSensor0 + "sensor 1  0.03 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"sensors out of order", kMagic + "sensors 2\n" + kSensor0 + "sensor 2 0.03 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"not a number", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 abc 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"number with junk", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03x 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"plus sign", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 +0.03 0 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"nan", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 nan 0 0 0.04\n", kCalibrationMalformed},
        BadCalibration{"infinity", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 inf 0 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"overflowing number", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 1e999 0.04\n",
                       kCalibrationMalformed},
        BadCalibration{"sensor count not a number", kMagic + "sensors two\n", kCalibrationMalformed},
        BadCalibration{"too long", kMagic + "sensors 2\n" + std::string(5000, '#') + "\n", kCalibrationMalformed},
        BadCalibration{"one sensor", kMagic + "sensors 1\n" + kSensor0, kCalibrationOutOfRange},
        BadCalibration{"four sensors", kMagic + "sensors 4\n", kCalibrationOutOfRange},
        BadCalibration{"absurd k1", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 3.5 0 0 0.04\n",
                       kCalibrationOutOfRange},
        BadCalibration{"absurd offset", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 -0.5 0 0.04\n",
                       kCalibrationOutOfRange},
        BadCalibration{"absurd disparity", kMagic + "sensors 2\n" + kSensor0 + "sensor 1 0.03 0 0 40\n",
                       kCalibrationOutOfRange}),
    simtest::NameFromWhat());

TEST_F(CalibrationFile, MissingFileIsUnreadable) {
  TriclopsContext stereo = nullptr;
  EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, tmp_.file("none.cal").c_str()), kCalibrationUnreadable);
  EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, tmp_.path().c_str()), kCalibrationUnreadable);
  EXPECT_EQ(stereo, nullptr);
}

}  // namespace
