// Every failing step prints its one line on stdout and ends the process with
// status 1; nothing else reaches stdout.
#include <gtest/gtest.h>

#include <string>

#include <pgrflycapture.h>
#include <triclops.h>

#include "capture/step_failure.h"
#include "capture/stereo_capture.h"
#include "child_process.h"
#include "scoped_environment.h"

namespace {

// What the simulated libraries say for a failure injected with SIMCAM_FAIL.
const std::string injectedCameraText = "failure injected through SIMCAM_FAIL";
const std::string injectedStereoText = "failure injected through SIMCAM_FAIL";

ChildOutcome captureAndRelease() {
  return runInChild([] {
    const brimlet::RectifiedFrame frame = brimlet::captureRectifiedFrame(240, 320);
    brimlet::releaseRectifier(frame.triclops);
  });
}

TEST(ReportStepFailureTest, PrintsTheLineAndExitsWithStatusOne) {
  const ChildOutcome outcome = runInChild([] { brimlet::reportStepFailure("someStep()", "some reason"); });
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.out, "ERROR: someStep() reported some reason.\n");
}

struct FailureCase {
  const char* operation;
  const char* label;
  bool camera;  // the camera library's text, else the stereo library's
};

class InjectedFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(InjectedFailureTest, PrintsItsLabelAndTheLibrarysTextThenExitsWithOne) {
  const FailureCase& c = GetParam();
  ScopedEnvironment env{{"SIMCAM_FAIL", c.operation}, {"SIMCAM_MODEL", "12"}, {"SIMCAM_SCENE", nullptr}};
  const ChildOutcome outcome = captureAndRelease();
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exitStatus, 1);
  const std::string& text = c.camera ? injectedCameraText : injectedStereoText;
  EXPECT_EQ(outcome.out, "ERROR: " + std::string(c.label) + " reported " + text + ".\n");
}

INSTANTIATE_TEST_SUITE_P(
    EveryCheckedOperation, InjectedFailureTest,
    ::testing::Values(FailureCase{"flycaptureCreateContext", "flycaptureCreateContext()", true},
                      FailureCase{"flycaptureInitialize", "flycaptureInitialize()", true},
                      FailureCase{"flycaptureGetCalibrationFileFromCamera",
                                  "flycaptureGetCalibrationFileFromCamera()", true},
                      FailureCase{"triclopsGetDefaultContextFromFile", "triclopsGetDefaultContextFromFile()", false},
                      FailureCase{"flycaptureGetCameraInfo", "flycatpureGetCameraInfo()", true},
                      FailureCase{"flycaptureStartCustomImage", "flycaptureStart()", true},
                      FailureCase{"triclopsSetResolution", "triclopsSetResolution()", false},
                      FailureCase{"flycaptureGrabImage2", "flycaptureGrabImage()", true},
                      FailureCase{"flycapturePrepareStereoImage", "flycapturePrepareStereoImage()", true},
                      FailureCase{"triclopsBuildPackedTriclopsInput", "triclopsBuildPackedTriclopsInput()", false},
                      FailureCase{"triclopsRectifyPackedColorImage", "triclopsRectifyPackedColorImage()", false},
                      FailureCase{"flycaptureStop", "flycaptureStop()", true},
                      FailureCase{"flycaptureDestroyContext", "flycaptureDestroyContext()", true},
                      FailureCase{"triclopsDestroyContext", "triclopsDestroyContext()", false}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.operation); });

TEST(CameraModelCheckTest, AnUnknownModelEndsTheCallBeforeStreaming) {
  ScopedEnvironment env{{"SIMCAM_MODEL", "13"}, {"SIMCAM_FAIL", nullptr}};
  const ChildOutcome outcome = captureAndRelease();
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.out, "ERROR: triclopsCheckCameraModel() reported " +
                             std::string(triclopsErrorToString(TriclopsErrorInvalidCamera)) + ".\n");
}

TEST(SimulatedCameraSetupTest, ABadSettingIsOneClearInitializeFailure) {
  ScopedEnvironment env{{"SIMCAM_MODEL", "twelve"}, {"SIMCAM_FAIL", nullptr}};
  const ChildOutcome outcome = captureAndRelease();
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(outcome.out.rfind("ERROR: flycaptureInitialize() reported ", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find("SIMCAM_MODEL"), std::string::npos) << outcome.out;
  EXPECT_EQ(outcome.out.back(), '\n');
  EXPECT_EQ(outcome.out.find('\n'), outcome.out.size() - 1) << "exactly one line";
}

}  // namespace
