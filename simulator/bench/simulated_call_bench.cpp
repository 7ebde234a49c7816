// One library call's worth of simulated camera and stereo work, next to a
// memcpy of the prepared row buffer: the prepare step has to write that much
// into the caller's buffer, so the memcpy is the floor a call is measured by.
//
// Runs against whatever SIMCAM_* and TMPDIR say (by default the built-in
// scene on a model 12 colour camera streaming 1280 x 960 Bayer).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pgrflycapture.h"
#include "triclops.h"

namespace {

constexpr size_t kRowBufferBytes = size_t{1280} * 960 * 2 * 4;

// The library's sequence, step for step (see capture/stereo_capture.cpp);
// returns the step that failed, or null.
const char* simulatedCall(int rectRows, int rectCols) {
  FlyCaptureContext camera = nullptr;
  if (flycaptureCreateContext(&camera) != FLYCAPTURE_OK) return "create";
  TriclopsContext stereo = nullptr;
  unsigned char* rowBuffer = nullptr;
  bool streaming = false;
  const char* failed = [&]() -> const char* {
    char* calFile = nullptr;
    if (flycaptureInitialize(camera, 0) != FLYCAPTURE_OK) return "initialize";
    if (flycaptureGetCalibrationFileFromCamera(camera, &calFile) != FLYCAPTURE_OK) return "calibration";
    if (triclopsGetDefaultContextFromFile(&stereo, calFile) != TriclopsErrorOk) return "stereo context";
    FlyCaptureInfo info{};
    if (flycaptureGetCameraInfo(camera, &info) != FLYCAPTURE_OK) return "info";
    uint32_t reg = 0;
    if (flycaptureGetCameraRegister(camera, 0x1F28, &reg) != FLYCAPTURE_OK) return "register";
    const bool model11 = info.cameraModel == 11;
    const int32_t format = info.cameraType == FLYCAPTURE_CAMERA_TYPE_COLOR ? FLYCAPTURE_PIXEL_FORMAT_RAW16
                                                                           : FLYCAPTURE_PIXEL_FORMAT_MONO16;
    if (flycaptureStartCustomImage(camera, 3, 0, 0, model11 ? 1024 : 1280, model11 ? 768 : 960, 100.0f, format) !=
        FLYCAPTURE_OK) {
      return "start";
    }
    streaming = true;
    if (triclopsSetResolution(stereo, rectRows, rectCols) != TriclopsErrorOk) return "resolution";
    FlyCaptureImage grabbed{};
    if (flycaptureGrabImage2(camera, &grabbed) != FLYCAPTURE_OK) return "grab";
    rowBuffer = static_cast<unsigned char*>(
        std::malloc(static_cast<size_t>(grabbed.iCols) * static_cast<size_t>(grabbed.iRows) *
                    static_cast<size_t>(grabbed.iNumImages) * 4));
    if (rowBuffer == nullptr) return "row buffer";
    FlyCaptureImage prepared{};
    prepared.pData = rowBuffer;
    if (flycapturePrepareStereoImage(camera, grabbed, nullptr, &prepared) != FLYCAPTURE_OK) return "prepare";
    TriclopsInput input{};
    if (triclopsBuildPackedTriclopsInput(grabbed.iCols, grabbed.iRows, grabbed.iRowInc * 4, grabbed.timeStamp.ulSeconds,
                                         grabbed.timeStamp.ulMicroSeconds, rowBuffer, &input) != TriclopsErrorOk) {
      return "input";
    }
    TriclopsPackedColorImage image{};
    if (triclopsRectifyPackedColorImage(stereo, 0, &input, &image) != TriclopsErrorOk) return "rectify";
    benchmark::DoNotOptimize(image.data);
    return nullptr;
  }();
  if (streaming && flycaptureStop(camera) != FLYCAPTURE_OK && failed == nullptr) failed = "stop";
  std::free(rowBuffer);
  if (flycaptureDestroyContext(camera) != FLYCAPTURE_OK && failed == nullptr) failed = "destroy";
  if (stereo != nullptr && triclopsDestroyContext(stereo) != TriclopsErrorOk && failed == nullptr) {
    failed = "stereo destroy";
  }
  return failed;
}

void BM_SimulatedCall(benchmark::State& state) {
  const auto rows = static_cast<int>(state.range(0));
  const auto cols = static_cast<int>(state.range(1));
  for (auto _ : state) {
    if (const char* failed = simulatedCall(rows, cols)) {
      state.SkipWithError((std::string("simulated call failed at ") + failed).c_str());
      break;
    }
  }
}
BENCHMARK(BM_SimulatedCall)
    ->Args({240, 320})
    ->Args({120, 160})
    ->ArgNames({"rows", "cols"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_MemcpyRowBuffer(benchmark::State& state) {
  // Both touched beforehand, so neither page faults nor zero pages flatter it.
  std::vector<unsigned char> from(kRowBufferBytes, 1);
  std::vector<unsigned char> to(kRowBufferBytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kRowBufferBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kRowBufferBytes));
}
BENCHMARK(BM_MemcpyRowBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
