#include <set>
#include <string>

#include "flycapture_errors.h"
#include "simcam/operations.h"
#include "support.h"
#include "triclops_errors.h"

namespace {

using simtest::SimcamTest;
namespace fc = simcam::fc;
namespace tc = simcam::tc;

struct BadSetting {
  const char* variable;
  std::string value;  // "@name" is a file of the test's temporary folder
  FlyCaptureError code;
  friend void PrintTo(const BadSetting& row, std::ostream* out) { *out << row.variable << "=" << row.value; }
};

const std::string kGoodPixel = std::string("\x10\x20\x30", 3);

// Scene files for the SIMCAM_SCENE cases, written before each case runs.
void writeSceneFiles(const simtest::TempFolder& tmp) {
  simtest::writeFile(tmp.file("ascii.ppm"), "P3\n1 1\n255\n1 2 3\n");
  simtest::writeFile(tmp.file("deep.ppm"), "P6\n1 1\n65535\n" + kGoodPixel + kGoodPixel);
  simtest::writeFile(tmp.file("short.ppm"), "P6\n4 4\n255\n" + kGoodPixel);
  simtest::writeFile(tmp.file("wide.ppm"), "P6\n9000 2\n255\n" + kGoodPixel);
}

class BadEnvironment : public SimcamTest, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(BadEnvironment, FailsInitializeWithItsOwnText) {
  writeSceneFiles(tmp_);
  const BadSetting& setting = GetParam();
  env_.set(setting.variable, setting.value[0] == '@' ? tmp_.file(setting.value.substr(1)) : setting.value);
  FlyCaptureContext camera = nullptr;
  ASSERT_EQ(flycaptureCreateContext(&camera), 0);
  EXPECT_EQ(flycaptureInitialize(camera, 0), setting.code);
  EXPECT_NE(std::string(flycaptureErrorToString(setting.code)).find(setting.variable), std::string::npos);
  // Nothing else works on a camera that was not set up.
  FlyCaptureInfo info{};
  EXPECT_EQ(flycaptureGetCameraInfo(camera, &info), fc::kNotInitialized);
  EXPECT_EQ(flycaptureDestroyContext(camera), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, BadEnvironment,
                         ::testing::Values(BadSetting{"SIMCAM_FAIL", "flycaptureExplode", fc::kFailUnknown},
                                           BadSetting{"SIMCAM_FAIL", "FLYCAPTUREINITIALIZE", fc::kFailUnknown},
                                           BadSetting{"SIMCAM_MODEL", "twelve", fc::kModelInvalid},
                                           BadSetting{"SIMCAM_MODEL", "-12", fc::kModelInvalid},
                                           BadSetting{"SIMCAM_MODEL", "12 ", fc::kModelInvalid},
                                           BadSetting{"SIMCAM_MODEL", "2147483648", fc::kModelInvalid},
                                           BadSetting{"SIMCAM_TYPE", "colour", fc::kTypeInvalid},
                                           BadSetting{"SIMCAM_TYPE", "Mono", fc::kTypeInvalid},
                                           BadSetting{"SIMCAM_REGISTER_1F28", "4294967296", fc::kRegisterInvalid},
                                           BadSetting{"SIMCAM_REGISTER_1F28", "0x100000000", fc::kRegisterInvalid},
                                           BadSetting{"SIMCAM_REGISTER_1F28", "0x", fc::kRegisterInvalid},
                                           BadSetting{"SIMCAM_REGISTER_1F28", "0x2g", fc::kRegisterInvalid},
                                           BadSetting{"SIMCAM_REGISTER_1F28", "-2", fc::kRegisterInvalid},
                                           BadSetting{"SIMCAM_IMAGES", "1", fc::kImagesInvalid},
                                           BadSetting{"SIMCAM_IMAGES", "4", fc::kImagesInvalid},
                                           BadSetting{"SIMCAM_IMAGES", "two", fc::kImagesInvalid},
                                           BadSetting{"SIMCAM_SCENE", "@missing.ppm", fc::kSceneUnreadable},
                                           BadSetting{"SIMCAM_SCENE", "@", fc::kSceneUnreadable},  // the folder itself
                                           BadSetting{"SIMCAM_SCENE", "@ascii.ppm", fc::kSceneMalformed},
                                           BadSetting{"SIMCAM_SCENE", "@deep.ppm", fc::kSceneMalformed},
                                           BadSetting{"SIMCAM_SCENE", "@short.ppm", fc::kSceneTruncated},
                                           BadSetting{"SIMCAM_SCENE", "@wide.ppm", fc::kSceneOversized}),
                         [](const auto& info) {
                           return simtest::testName(std::string(info.param.variable) + "_" +
                                                    std::to_string(info.index));
                         });

TEST(ErrorTexts, EveryKindOfBadSettingHasItsOwnText) {
  std::set<std::string> texts;
  const FlyCaptureError codes[] = {fc::kFailUnknown,     fc::kModelInvalid,   fc::kTypeInvalid,
                                   fc::kRegisterInvalid, fc::kImagesInvalid,  fc::kSceneUnreadable,
                                   fc::kSceneMalformed,  fc::kSceneTruncated, fc::kSceneOversized};
  for (FlyCaptureError code : codes) texts.insert(flycaptureErrorToString(code));
  EXPECT_EQ(texts.size(), std::size(codes));
  for (const char* generic : {flycaptureErrorToString(-1), flycaptureErrorToString(fc::kInternal),
                              flycaptureErrorToString(fc::kInjectedFailure)}) {
    EXPECT_EQ(texts.count(generic), 0u) << generic;
  }
}

TEST(ErrorTexts, EveryCodeHasItsOwnTextAndUnknownCodesSaySo) {
  std::set<std::string> camera;
  for (FlyCaptureError code = 0; code <= fc::kSceneOversized; ++code) camera.insert(flycaptureErrorToString(code));
  EXPECT_EQ(camera.size(), static_cast<size_t>(fc::kSceneOversized) + 1);
  std::set<std::string> stereo;
  for (TriclopsError code = 0; code <= tc::kFailUnknown; ++code) stereo.insert(triclopsErrorToString(code));
  EXPECT_EQ(stereo.size(), static_cast<size_t>(tc::kFailUnknown) + 1);
  for (FlyCaptureError unknown : {-1, fc::kSceneOversized + 1, 1000}) {
    EXPECT_STREQ(flycaptureErrorToString(unknown), "unknown FlyCapture error code");
  }
  for (TriclopsError unknown : {-1, tc::kFailUnknown + 1, 1000}) {
    EXPECT_STREQ(triclopsErrorToString(unknown), "unknown Triclops error code");
  }
  EXPECT_NE(std::string(triclopsErrorToString(TriclopsErrorInvalidCamera)).find("camera"), std::string::npos);
}

class GoodEnvironment : public SimcamTest {};

TEST_F(GoodEnvironment, SettingsReachTheCamera) {
  struct Case {
    const char* model;
    const char* type;
    const char* reg;
    int32_t expectedModel;
    int32_t expectedType;
    uint32_t expectedRegister;
  };
  const Case cases[] = {
      {"", "", "", 12, FLYCAPTURE_CAMERA_TYPE_COLOR, 0},  // empty counts as unset
      {"11", "mono", "0x2", 11, FLYCAPTURE_CAMERA_TYPE_MONO, 2},
      {"13", "color", "4294967295", 13, FLYCAPTURE_CAMERA_TYPE_COLOR, 0xFFFFFFFFu},
      {"0011", "mono", "0XfFfF0000", 11, FLYCAPTURE_CAMERA_TYPE_MONO, 0xFFFF0000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + "/" + c.type + "/" + c.reg);
    env_.set("SIMCAM_MODEL", c.model);
    env_.set("SIMCAM_TYPE", c.type);
    env_.set("SIMCAM_REGISTER_1F28", c.reg);
    FlyCaptureContext camera = nullptr;
    ASSERT_EQ(flycaptureCreateContext(&camera), 0);
    // Changes after creation do not reach a context.
    env_.set("SIMCAM_MODEL", "nonsense");
    ASSERT_EQ(flycaptureInitialize(camera, 0), 0);
    FlyCaptureInfo info{};
    uint32_t value = 12345;
    ASSERT_EQ(flycaptureGetCameraInfo(camera, &info), 0);
    ASSERT_EQ(flycaptureGetCameraRegister(camera, 0x1F28, &value), 0);
    EXPECT_EQ(info.cameraModel, c.expectedModel);
    EXPECT_EQ(info.cameraType, c.expectedType);
    EXPECT_EQ(value, c.expectedRegister);
    EXPECT_EQ(flycaptureDestroyContext(camera), 0);
  }
}

class FailureInjection : public SimcamTest, public ::testing::WithParamInterface<std::string_view> {};

TEST_F(FailureInjection, NoneInjectedEverythingSucceeds) {
  const simtest::PipelineResult result = simtest::runPipeline({}, tmp_.path());
  EXPECT_TRUE(result.allSucceeded());
  for (std::string_view name : simcam::kOperationNames) EXPECT_TRUE(result.code(name).has_value()) << name;
}

TEST_P(FailureInjection, OnlyTheNamedOperationFails) {
  const std::string operation(GetParam());
  env_.set("SIMCAM_FAIL", operation);
  const simtest::PipelineResult result = simtest::runPipeline({}, tmp_.path());
  const std::optional<int32_t> code = result.code(operation);
  ASSERT_TRUE(code.has_value()) << operation << " was not reached";
  const bool camera = operation.rfind("flycapture", 0) == 0;
  EXPECT_STREQ(camera ? flycaptureErrorToString(*code) : triclopsErrorToString(*code),
               "failure injected through SIMCAM_FAIL");
  for (const auto& [name, value] : result.codes) {
    if (name != operation) {
      EXPECT_EQ(value, 0) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FailureInjection, ::testing::ValuesIn(simcam::kOperationNames),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(FailureInjection, FailedCreateMakesNoContext) {
  env_.set("SIMCAM_FAIL", "flycaptureCreateContext");
  FlyCaptureContext camera = reinterpret_cast<FlyCaptureContext>(&camera);
  EXPECT_EQ(flycaptureCreateContext(&camera), fc::kInjectedFailure);
  EXPECT_EQ(camera, nullptr);
}

TEST_F(FailureInjection, StereoOperationsReportAnUnknownName) {
  env_.set("SIMCAM_FAIL", "triclopsExplode");
  TriclopsContext stereo = nullptr;
  EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, tmp_.file("any.cal").c_str()), tc::kFailUnknown);
  unsigned char pixel[4] = {1, 2, 3, 4};
  TriclopsInput input{};
  EXPECT_EQ(triclopsBuildPackedTriclopsInput(1, 1, 4, 0, 0, pixel, &input), tc::kFailUnknown);
  TriclopsPackedColorImage image{1, 1, 4, reinterpret_cast<TriclopsPackedColorPixel*>(pixel)};
  EXPECT_EQ(triclopsSavePackedColorImage(&image, tmp_.file("out.ppm").c_str()), tc::kFailUnknown);
  EXPECT_TRUE(tmp_.entries().empty());
  EXPECT_STREQ(triclopsErrorToString(tc::kFailUnknown), flycaptureErrorToString(fc::kFailUnknown));
}

}  // namespace
