// A whole call through the JNI boundary, with a fake JNIEnv over the
// simulated camera: argument handling, modes and allocation failures.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "capture/stereo_capture.h"
#include "channels/hsv_fill.h"
#include "fake_jni_env.h"
#include "jni/build_variant.h"
#include "jni/grab_call.h"
#include "jni/planar_channels.h"
#include "scoped_environment.h"

namespace {

using brimlet::grabImage;

constexpr jint rgb = 1;
constexpr jint hsvMode = 0;

// The planes a call should return, from a capture of the same scene.
std::vector<jint> expectedPlanes(bool rgbPlanes) {
  const brimlet::RectifiedFrame frame = brimlet::captureRectifiedFrame(brimlet::rectRows, brimlet::rectCols);
  std::vector<jint> planes(static_cast<std::size_t>(brimlet::channelCount(frame.colorImage)));
  if (rgbPlanes) {
    brimlet::fillRgbPlanes(frame.colorImage, planes.data());
  } else {
    brimlet::fillHsvPlanes(frame.colorImage, planes.data());
  }
  brimlet::releaseRectifier(frame.triclops);
  return planes;
}

int32_t* noMemory(std::size_t) noexcept { return nullptr; }

class GrabCallTest : public ::testing::Test {
 protected:
  ScopedEnvironment simulatedCamera{{"SIMCAM_MODEL", nullptr}, {"SIMCAM_TYPE", nullptr},
                                    {"SIMCAM_SCENE", nullptr}, {"SIMCAM_IMAGES", nullptr},
                                    {"SIMCAM_FAIL", nullptr}};
  FakeJniEnv jni;
};

TEST_F(GrabCallTest, ReturnsThreePlanesOfTheVariantsSize) {
  jintArray result = grabImage(jni.env(), jni.newArray({0, 0}), JNI_FALSE, rgb, brimlet::allocateChannelBuffer);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(jni.contents(result).size(), std::size_t{3} * brimlet::rectRows * brimlet::rectCols);
  EXPECT_EQ(jni.newIntArrayCalls, 1);
  EXPECT_EQ(jni.setIntArrayRegionCalls, 1);
  EXPECT_TRUE(jni.pendingException.empty());
}

TEST_F(GrabCallTest, ModeOneGivesRgbAndEveryOtherModeHsv) {
  const std::vector<jint> rgbPlanes = expectedPlanes(true);
  const std::vector<jint> hsvPlanes = expectedPlanes(false);
  ASSERT_NE(rgbPlanes, hsvPlanes);
  for (jint mode : {rgb, hsvMode, 2, -1, INT_MIN, INT_MAX}) {
    jintArray result = grabImage(jni.env(), jni.newArray({0, 0}), JNI_FALSE, mode, brimlet::allocateChannelBuffer);
    ASSERT_NE(result, nullptr) << "mode " << mode;
    EXPECT_EQ(jni.contents(result), mode == rgb ? rgbPlanes : hsvPlanes) << "mode " << mode;
  }
}

TEST_F(GrabCallTest, TheResolutionArgumentIsReadAsFarAsItGoesAndChangesNothing) {
  const std::vector<jint> reference = expectedPlanes(true);
  struct Case {
    bool isNull;
    std::vector<jint> contents;
    jsize expectedRead;  // elements read, 0 for none
  };
  const Case cases[] = {
      {true, {}, 0}, {false, {}, 0}, {false, {7}, 1}, {false, {0, 0}, 2}, {false, {480, 640}, 2},
      {false, {1, 2, 3, 4, 5}, 2},
  };
  for (const Case& c : cases) {
    jni.regionReadLengths.clear();
    jintArray argument = c.isNull ? nullptr : jni.newArray(c.contents);
    jintArray result = grabImage(jni.env(), argument, JNI_FALSE, rgb, brimlet::allocateChannelBuffer);
    ASSERT_NE(result, nullptr) << c.contents.size();
    EXPECT_EQ(jni.contents(result), reference) << c.contents.size();
    if (c.expectedRead == 0) {
      EXPECT_TRUE(jni.regionReadLengths.empty());
    } else {
      EXPECT_EQ(jni.regionReadLengths, std::vector<jsize>{c.expectedRead});
    }
    EXPECT_TRUE(jni.pendingException.empty()) << jni.pendingException;
  }
  EXPECT_TRUE(jni.callsWithExceptionPending.empty());
}

TEST_F(GrabCallTest, AFailedJavaArrayLeavesTheJvmsErrorAndWritesNothing) {
  jni.failNewIntArray = true;
  jintArray result = grabImage(jni.env(), jni.newArray({0, 0}), JNI_FALSE, rgb, brimlet::allocateChannelBuffer);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(jni.pendingException, "java/lang/OutOfMemoryError");
  EXPECT_EQ(jni.setIntArrayRegionCalls, 0);
  EXPECT_EQ(jni.nullArrayWrites, 0);
  EXPECT_TRUE(jni.callsWithExceptionPending.empty());
}

TEST_F(GrabCallTest, AnUnallocatableChannelImageThrowsOutOfMemoryError) {
  jintArray result = grabImage(jni.env(), jni.newArray({0, 0}), JNI_FALSE, hsvMode, &noMemory);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(jni.pendingException, "java/lang/OutOfMemoryError");
  EXPECT_EQ(jni.newIntArrayCalls, 0);
  EXPECT_TRUE(jni.callsWithExceptionPending.empty());
}

}  // namespace
