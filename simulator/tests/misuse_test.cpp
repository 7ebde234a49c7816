// Wrong arguments and wrong order give a descriptive code, never a crash.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "flycapture_errors.h"
#include "support.h"
#include "triclops_errors.h"

namespace {

namespace fc = simcam::fc;
namespace tc = simcam::tc;

// Cameras and a stereo context in the states the cases need.
struct Rig {
  FlyCaptureContext fresh = nullptr;      // created only
  FlyCaptureContext ready = nullptr;      // initialized, not streaming
  FlyCaptureContext streaming = nullptr;  // streaming 640 x 480 RAW16, one frame grabbed
  FlyCaptureContext mono = nullptr;       // a mono camera, initialized
  TriclopsContext stereo = nullptr;
  FlyCaptureImage frame{};
  std::vector<unsigned char> buffer;
  FlyCaptureImage output{};
  TriclopsInput input{};

  Rig() {
    EXPECT_EQ(flycaptureCreateContext(&fresh), 0);
    EXPECT_EQ(flycaptureCreateContext(&ready), 0);
    EXPECT_EQ(flycaptureCreateContext(&streaming), 0);
    EXPECT_EQ(flycaptureInitialize(ready, 0), 0);
    EXPECT_EQ(flycaptureInitialize(streaming, 0), 0);
    char* calFile = nullptr;
    EXPECT_EQ(flycaptureGetCalibrationFileFromCamera(ready, &calFile), 0);
    EXPECT_EQ(triclopsGetDefaultContextFromFile(&stereo, calFile), TriclopsErrorOk);
    EXPECT_EQ(flycaptureStartCustomImage(streaming, 3, 0, 0, 640, 480, 100.0f, FLYCAPTURE_PIXEL_FORMAT_RAW16), 0);
    EXPECT_EQ(flycaptureGrabImage2(streaming, &frame), 0);
    buffer.assign(640 * 480 * 2 * 4, 0);
    output.pData = buffer.data();
    EXPECT_EQ(triclopsBuildPackedTriclopsInput(640, 480, 640 * 2 * 4, 0, 0, buffer.data(), &input), TriclopsErrorOk);
    ::setenv("SIMCAM_TYPE", "mono", 1);
    EXPECT_EQ(flycaptureCreateContext(&mono), 0);
    ::unsetenv("SIMCAM_TYPE");
    EXPECT_EQ(flycaptureInitialize(mono, 0), 0);
  }
  ~Rig() {
    for (FlyCaptureContext c : {fresh, ready, streaming, mono}) flycaptureDestroyContext(c);
    triclopsDestroyContext(stereo);
  }
};

struct Misuse {
  const char* what;
  std::function<int32_t(Rig&)> call;
  int32_t code;
  friend void PrintTo(const Misuse& row, std::ostream* out) { *out << row.what; }
};

class Misuses : public simtest::SimcamTest, public ::testing::WithParamInterface<Misuse> {};

TEST_P(Misuses, ReturnTheirCode) {
  Rig rig;
  EXPECT_EQ(GetParam().call(rig), GetParam().code) << GetParam().what;
}

uint32_t gValue;
FlyCaptureInfo gInfo;
char* gText;

FlyCaptureError start(FlyCaptureContext c, uint32_t mode, uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                      float bandwidth, int32_t format) {
  return flycaptureStartCustomImage(c, mode, left, top, width, height, bandwidth, format);
}

FlyCaptureError startModel11(uint32_t width, uint32_t height) {
  ::setenv("SIMCAM_MODEL", "11", 1);
  FlyCaptureContext camera = nullptr;
  FlyCaptureError code = flycaptureCreateContext(&camera);
  ::unsetenv("SIMCAM_MODEL");
  if (code == 0) code = flycaptureInitialize(camera, 0);
  if (code == 0) code = start(camera, 3, 0, 0, width, height, 100.0f, FLYCAPTURE_PIXEL_FORMAT_RAW16);
  flycaptureDestroyContext(camera);
  return code;
}

const float kNaN = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    Camera, Misuses,
    ::testing::Values(
        Misuse{"create into null", [](Rig&) { return flycaptureCreateContext(nullptr); }, fc::kNullPointer},
        Misuse{"initialize null", [](Rig&) { return flycaptureInitialize(nullptr, 0); }, fc::kNullContext},
        Misuse{"initialize bus 1", [](Rig& r) { return flycaptureInitialize(r.fresh, 1); }, fc::kNoCameraOnBus},
        Misuse{"initialize twice", [](Rig& r) { return flycaptureInitialize(r.ready, 0); }, fc::kAlreadyInitialized},
        Misuse{"calibration before initialize",
               [](Rig& r) { return flycaptureGetCalibrationFileFromCamera(r.fresh, &gText); }, fc::kNotInitialized},
        Misuse{"calibration into null", [](Rig& r) { return flycaptureGetCalibrationFileFromCamera(r.ready, nullptr); },
               fc::kNullPointer},
        Misuse{"info of null", [](Rig&) { return flycaptureGetCameraInfo(nullptr, &gInfo); }, fc::kNullContext},
        Misuse{"info into null", [](Rig& r) { return flycaptureGetCameraInfo(r.ready, nullptr); }, fc::kNullPointer},
        Misuse{"register before initialize", [](Rig& r) { return flycaptureGetCameraRegister(r.fresh, 0x1F28, &gValue); },
               fc::kNotInitialized},
        Misuse{"unknown register", [](Rig& r) { return flycaptureGetCameraRegister(r.ready, 0x1F2C, &gValue); },
               fc::kUnknownRegister},
        Misuse{"register into null", [](Rig& r) { return flycaptureGetCameraRegister(r.ready, 0x1F28, nullptr); },
               fc::kNullPointer},
        Misuse{"start before initialize", [](Rig& r) { return start(r.fresh, 3, 0, 0, 640, 480, 100, 1024); },
               fc::kNotInitialized},
        Misuse{"start twice", [](Rig& r) { return start(r.streaming, 3, 0, 0, 640, 480, 100, 1024); },
               fc::kAlreadyStreaming},
        Misuse{"mode 2", [](Rig& r) { return start(r.ready, 2, 0, 0, 640, 480, 100, 1024); }, fc::kUnsupportedMode},
        Misuse{"pixel format 8", [](Rig& r) { return start(r.ready, 3, 0, 0, 640, 480, 100, 8); },
               fc::kUnsupportedPixelFormat},
        Misuse{"Bayer from a mono camera", [](Rig& r) { return start(r.mono, 3, 0, 0, 640, 480, 100, 1024); },
               fc::kUnsupportedPixelFormat},
        Misuse{"left offset", [](Rig& r) { return start(r.ready, 3, 2, 0, 640, 480, 100, 1024); },
               fc::kUnsupportedGeometry},
        Misuse{"top offset", [](Rig& r) { return start(r.ready, 3, 0, 2, 640, 480, 100, 1024); },
               fc::kUnsupportedGeometry},
        Misuse{"zero width", [](Rig& r) { return start(r.ready, 3, 0, 0, 0, 480, 100, 1024); }, fc::kUnsupportedGeometry},
        Misuse{"zero height", [](Rig& r) { return start(r.ready, 3, 0, 0, 640, 0, 100, 32); }, fc::kUnsupportedGeometry},
        Misuse{"wider than the sensor", [](Rig& r) { return start(r.ready, 3, 0, 0, 1282, 960, 100, 1024); },
               fc::kUnsupportedGeometry},
        Misuse{"taller than the sensor", [](Rig& r) { return start(r.ready, 3, 0, 0, 1280, 962, 100, 32); },
               fc::kUnsupportedGeometry},
        Misuse{"odd width for Bayer", [](Rig& r) { return start(r.ready, 3, 0, 0, 641, 480, 100, 1024); },
               fc::kUnsupportedGeometry},
        Misuse{"odd size is fine for grey", [](Rig& r) { return start(r.ready, 3, 0, 0, 641, 481, 100, 32); }, fc::kOk},
        Misuse{"model 11 sensor is 1024 x 768", [](Rig&) { return startModel11(1280, 960); }, fc::kUnsupportedGeometry},
        Misuse{"model 11 full sensor", [](Rig&) { return startModel11(1024, 768); }, fc::kOk},
        Misuse{"zero bandwidth", [](Rig& r) { return start(r.ready, 3, 0, 0, 640, 480, 0.0f, 1024); }, fc::kBadBandwidth},
        Misuse{"NaN bandwidth", [](Rig& r) { return start(r.ready, 3, 0, 0, 640, 480, kNaN, 1024); }, fc::kBadBandwidth},
        Misuse{"grab before start", [](Rig& r) { return flycaptureGrabImage2(r.ready, &r.frame); }, fc::kNotStreaming},
        Misuse{"grab into null", [](Rig& r) { return flycaptureGrabImage2(r.streaming, nullptr); }, fc::kNullPointer},
        Misuse{"prepare without output buffer",
               [](Rig& r) {
                 r.output.pData = nullptr;
                 return flycapturePrepareStereoImage(r.streaming, r.frame, nullptr, &r.output);
               },
               fc::kNoOutputBuffer},
        Misuse{"prepare into null", [](Rig& r) { return flycapturePrepareStereoImage(r.streaming, r.frame, nullptr, nullptr); },
               fc::kNullPointer},
        Misuse{"prepare with a mono output",
               [](Rig& r) { return flycapturePrepareStereoImage(r.streaming, r.frame, &r.output, &r.output); },
               fc::kMonoOutputUnsupported},
        Misuse{"prepare a frame of another size",
               [](Rig& r) {
                 r.frame.iCols = 1280;
                 return flycapturePrepareStereoImage(r.streaming, r.frame, nullptr, &r.output);
               },
               fc::kFrameMismatch},
        Misuse{"prepare a frame without data",
               [](Rig& r) {
                 r.frame.pData = nullptr;
                 return flycapturePrepareStereoImage(r.streaming, r.frame, nullptr, &r.output);
               },
               fc::kFrameMismatch},
        Misuse{"prepare after stop",
               [](Rig& r) {
                 EXPECT_EQ(flycaptureStop(r.streaming), 0);
                 return flycapturePrepareStereoImage(r.streaming, r.frame, nullptr, &r.output);
               },
               fc::kNotStreaming},
        Misuse{"stop when not streaming", [](Rig& r) { return flycaptureStop(r.ready); }, fc::kNotStreaming},
        Misuse{"stop before initialize", [](Rig& r) { return flycaptureStop(r.fresh); }, fc::kNotInitialized},
        Misuse{"destroy null", [](Rig&) { return flycaptureDestroyContext(nullptr); }, fc::kNullContext}),
    simtest::NameFromWhat());

INSTANTIATE_TEST_SUITE_P(
    Stereo, Misuses,
    ::testing::Values(
        Misuse{"context into null", [](Rig&) { return triclopsGetDefaultContextFromFile(nullptr, "x"); },
               tc::kNullPointer},
        Misuse{"context from no file name",
               [](Rig&) {
                 TriclopsContext c = nullptr;
                 return triclopsGetDefaultContextFromFile(&c, nullptr);
               },
               tc::kNullPointer},
        Misuse{"resolution of null", [](Rig&) { return triclopsSetResolution(nullptr, 240, 320); }, tc::kNullContext},
        Misuse{"zero rows", [](Rig& r) { return triclopsSetResolution(r.stereo, 0, 320); }, tc::kBadResolution},
        Misuse{"negative cols", [](Rig& r) { return triclopsSetResolution(r.stereo, 240, -320); }, tc::kBadResolution},
        Misuse{"absurd rows", [](Rig& r) { return triclopsSetResolution(r.stereo, 4097, 320); }, tc::kBadResolution},
        Misuse{"largest resolution", [](Rig& r) { return triclopsSetResolution(r.stereo, 4096, 4096); }, tc::kOk},
        Misuse{"input without data",
               [](Rig& r) { return triclopsBuildPackedTriclopsInput(640, 480, 5120, 0, 0, nullptr, &r.input); },
               tc::kNullPointer},
        Misuse{"input into null",
               [](Rig& r) { return triclopsBuildPackedTriclopsInput(640, 480, 5120, 0, 0, r.buffer.data(), nullptr); },
               tc::kNullPointer},
        Misuse{"input row increment too small",
               [](Rig& r) { return triclopsBuildPackedTriclopsInput(640, 480, 2559, 0, 0, r.buffer.data(), &r.input); },
               tc::kBadInput},
        Misuse{"input of zero columns",
               [](Rig& r) { return triclopsBuildPackedTriclopsInput(0, 480, 5120, 0, 0, r.buffer.data(), &r.input); },
               tc::kBadInput},
        Misuse{"input of negative rows",
               [](Rig& r) { return triclopsBuildPackedTriclopsInput(640, -1, 5120, 0, 0, r.buffer.data(), &r.input); },
               tc::kBadInput},
        Misuse{"rectify with null context",
               [](Rig& r) {
                 TriclopsPackedColorImage out{};
                 return triclopsRectifyPackedColorImage(nullptr, 0, &r.input, &out);
               },
               tc::kNullContext},
        Misuse{"rectify into null",
               [](Rig& r) { return triclopsRectifyPackedColorImage(r.stereo, 0, &r.input, nullptr); },
               tc::kNullPointer},
        Misuse{"rectify camera 2 of a pair",
               [](Rig& r) {
                 TriclopsPackedColorImage out{};
                 return triclopsRectifyPackedColorImage(r.stereo, 2, &r.input, &out);
               },
               tc::kInvalidCamera},
        Misuse{"rectify camera -1",
               [](Rig& r) {
                 TriclopsPackedColorImage out{};
                 return triclopsRectifyPackedColorImage(r.stereo, -1, &r.input, &out);
               },
               tc::kInvalidCamera},
        Misuse{"rectify a damaged input",
               [](Rig& r) {
                 TriclopsPackedColorImage out{};
                 r.input.rowinc = 4;
                 return triclopsRectifyPackedColorImage(r.stereo, 0, &r.input, &out);
               },
               tc::kBadInput},
        Misuse{"destroy null", [](Rig&) { return triclopsDestroyContext(nullptr); }, tc::kNullContext}),
    simtest::NameFromWhat());

}  // namespace
