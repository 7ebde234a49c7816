// The simulated stereo camera behind the FlyCapture operations.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "flycapture_errors.h"
#include "frame.h"
#include "frame_cache.h"
#include "pgrflycapture.h"
#include "simcam/calibration.h"
#include "simcam/config.h"
#include "simcam/files.h"
#include "simcam_query.h"

using namespace simcam::fc;

struct FlyCaptureCameraContext {
  simcam::CameraConfig config;
  bool initialized = false;
  bool streaming = false;
  simcam::FrameFormat format{};
  // What this stream delivers, shared with every context streaming the same;
  // held until stop or destroy, which keeps the grabbed frame valid.
  std::shared_ptr<simcam::CachedFrame> frame;
  const unsigned char* grabbed = nullptr;  // the frame the last grab handed out
  std::string calibrationPath;
  uint64_t lastStampMicros = 0;
};

namespace {

constexpr uint32_t kStereoRegister = 0x1F28;
constexpr uint32_t kCustomImageMode = 3;

// What tests may ask through simcam_query.h; calls can come from any thread.
std::mutex gQueryMutex;
SimcamStreaming gLastStreaming{};
SimcamPreparation gLastPreparation{};

// Nothing may unwind into the JVM that calls us.
template <typename Operation>
FlyCaptureError guarded(Operation&& operation) noexcept {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kInternal;
  }
}

FlyCaptureError configError(simcam::ConfigProblem problem) {
  using simcam::ConfigProblem;
  switch (problem) {
    case ConfigProblem::None:
      return kOk;
    case ConfigProblem::FailUnknown:
      return kFailUnknown;
    case ConfigProblem::ModelInvalid:
      return kModelInvalid;
    case ConfigProblem::TypeInvalid:
      return kTypeInvalid;
    case ConfigProblem::RegisterInvalid:
      return kRegisterInvalid;
    case ConfigProblem::ImagesInvalid:
      return kImagesInvalid;
    case ConfigProblem::SceneUnreadable:
      return kSceneUnreadable;
    case ConfigProblem::SceneMalformed:
      return kSceneMalformed;
    case ConfigProblem::SceneTruncated:
      return kSceneTruncated;
    case ConfigProblem::SceneOversized:
      return kSceneOversized;
  }
  return kInternal;
}

// The checks every operation on an initialized camera starts with.
FlyCaptureError checkReady(FlyCaptureContext context, const char* operation) {
  if (context == nullptr) return kNullContext;
  if (context->config.fail.fails(operation)) return kInjectedFailure;
  if (!context->initialized) return kNotInitialized;
  return kOk;
}

uint64_t monotonicMicros() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

}  // namespace

extern "C" {

FlyCaptureError flycaptureCreateContext(FlyCaptureContext* pContext) {
  return guarded([&]() -> FlyCaptureError {
    if (pContext == nullptr) return kNullPointer;
    *pContext = nullptr;
    if (simcam::readFailInjection().fails("flycaptureCreateContext")) return kInjectedFailure;
    auto context = std::make_unique<FlyCaptureCameraContext>();
    context->config = simcam::readCameraConfig();
    *pContext = context.release();
    return kOk;
  });
}

FlyCaptureError flycaptureInitialize(FlyCaptureContext context, uint32_t busIndex) {
  return guarded([&]() -> FlyCaptureError {
    if (context == nullptr) return kNullContext;
    // A bad SIMCAM_* value is reported here, once, before anything else.
    if (context->config.problem != simcam::ConfigProblem::None) return configError(context->config.problem);
    if (context->config.fail.fails("flycaptureInitialize")) return kInjectedFailure;
    if (busIndex != 0) return kNoCameraOnBus;
    if (context->initialized) return kAlreadyInitialized;
    context->initialized = true;
    return kOk;
  });
}

FlyCaptureError flycaptureGetCalibrationFileFromCamera(FlyCaptureContext context, char** pszCalFile) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureGetCalibrationFileFromCamera")) return e;
    if (pszCalFile == nullptr) return kNullPointer;
    const simcam::CameraConfig& config = context->config;
    std::string path = simcam::calibrationPath(config.tempFolder, config.model, config.images);
    const std::string text = simcam::formatCalibration(simcam::builtinCalibration(config.model, config.images));
    // Usually the file is there from an earlier call; reading it is much
    // cheaper than replacing it.  Anything else (missing, different, not a
    // regular file) is replaced, atomically as always.
    std::string existing;
    const bool current = simcam::readSmallFile(path.c_str(), simcam::kMaxCalibrationBytes, existing) ==
                             simcam::ReadResult::Ok &&
                         existing == text;
    if (!current && simcam::writeFileAtomically(path, text) != 0) return kCalibrationNotWritten;
    // The path never changes for a context; keeping the first copy keeps
    // every pointer handed out valid until destroy.
    if (context->calibrationPath != path) context->calibrationPath = std::move(path);
    *pszCalFile = context->calibrationPath.data();
    return kOk;
  });
}

FlyCaptureError flycaptureGetCameraInfo(FlyCaptureContext context, FlyCaptureInfo* pInfo) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureGetCameraInfo")) return e;
    if (pInfo == nullptr) return kNullPointer;
    const simcam::CameraConfig& config = context->config;
    *pInfo = FlyCaptureInfo{};
    pInfo->cameraType = config.color ? FLYCAPTURE_CAMERA_TYPE_COLOR : FLYCAPTURE_CAMERA_TYPE_MONO;
    pInfo->cameraModel = config.model;
    pInfo->serialNumber =
        5000000u + static_cast<uint32_t>(config.model % 10000) * 10u + static_cast<uint32_t>(config.images);
    std::snprintf(pInfo->modelName, sizeof pInfo->modelName, "SimCam model %d %s", static_cast<int>(config.model),
                  config.color ? "color" : "mono");
    return kOk;
  });
}

FlyCaptureError flycaptureGetCameraRegister(FlyCaptureContext context, uint32_t ulRegister, uint32_t* pulValue) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureGetCameraRegister")) return e;
    if (pulValue == nullptr) return kNullPointer;
    if (ulRegister != kStereoRegister) return kUnknownRegister;
    *pulValue = context->config.register1F28;
    return kOk;
  });
}

FlyCaptureError flycaptureStartCustomImage(FlyCaptureContext context, uint32_t uiMode, uint32_t uiImagePosLeft,
                                           uint32_t uiImagePosTop, uint32_t uiWidth, uint32_t uiHeight,
                                           float fBandwidth, int32_t pixelFormat) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureStartCustomImage")) return e;
    if (context->streaming) return kAlreadyStreaming;
    if (uiMode != kCustomImageMode) return kUnsupportedMode;
    const bool raw = pixelFormat == FLYCAPTURE_PIXEL_FORMAT_RAW16;
    // A mono sensor has no colour filter to give a Bayer mosaic.
    if (!(pixelFormat == FLYCAPTURE_PIXEL_FORMAT_MONO16 || (raw && context->config.color))) {
      return kUnsupportedPixelFormat;
    }
    const auto sensorWidth = static_cast<uint32_t>(simcam::sensorWidth(context->config.model));
    const auto sensorHeight = static_cast<uint32_t>(simcam::sensorHeight(context->config.model));
    if (uiImagePosLeft != 0 || uiImagePosTop != 0 || uiWidth == 0 || uiHeight == 0 || uiWidth > sensorWidth ||
        uiHeight > sensorHeight || (raw && (uiWidth % 2 != 0 || uiHeight % 2 != 0))) {
      return kUnsupportedGeometry;
    }
    if (!(fBandwidth > 0.0f && fBandwidth <= 100.0f)) return kBadBandwidth;

    const simcam::FrameFormat format{static_cast<int>(uiWidth), static_cast<int>(uiHeight), context->config.images,
                                     pixelFormat};
    // Rendering waits for the first grab; finding the entry is cheap.
    context->frame = simcam::cachedFrame({context->config.scene, context->config.model, format});
    context->format = format;
    context->streaming = true;

    std::lock_guard<std::mutex> lock(gQueryMutex);
    gLastStreaming =
        SimcamStreaming{1, uiMode, uiImagePosLeft, uiImagePosTop, uiWidth, uiHeight, fBandwidth, pixelFormat};
    return kOk;
  });
}

FlyCaptureError flycaptureGrabImage2(FlyCaptureContext context, FlyCaptureImage* pImage) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureGrabImage2")) return e;
    if (pImage == nullptr) return kNullPointer;
    if (!context->streaming) return kNotStreaming;
    const simcam::FrameFormat& format = context->format;
    context->grabbed = context->frame->raw();

    // Strictly increasing even if two grabs fall in the same microsecond.
    uint64_t stamp = monotonicMicros();
    if (stamp <= context->lastStampMicros) stamp = context->lastStampMicros + 1;
    context->lastStampMicros = stamp;

    *pImage = FlyCaptureImage{};
    pImage->iRows = format.height;
    pImage->iCols = format.width;
    pImage->iRowInc = format.width * format.images;
    pImage->iNumImages = format.images;
    pImage->pixelFormat = format.pixelFormat;
    // Read-only pages shared with other contexts; the type cannot say so.
    pImage->pData = const_cast<unsigned char*>(context->grabbed);
    pImage->timeStamp.ulSeconds = static_cast<uint32_t>(stamp / 1000000u);
    pImage->timeStamp.ulMicroSeconds = static_cast<uint32_t>(stamp % 1000000u);
    return kOk;
  });
}

FlyCaptureError flycapturePrepareStereoImage(FlyCaptureContext context, FlyCaptureImage image,
                                             FlyCaptureImage* pImageMono, FlyCaptureImage* pImageColor) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycapturePrepareStereoImage")) return e;
    if (pImageColor == nullptr) return kNullPointer;
    if (pImageMono != nullptr) return kMonoOutputUnsupported;
    if (!context->streaming) return kNotStreaming;
    const simcam::FrameFormat& format = context->format;
    if (image.pData == nullptr || image.iRows != format.height || image.iCols != format.width ||
        image.iNumImages != format.images || image.pixelFormat != format.pixelFormat ||
        image.iRowInc < format.width * format.images) {
      return kFrameMismatch;
    }
    if (pImageColor->pData == nullptr) return kNoOutputBuffer;

    const size_t bytes = static_cast<size_t>(format.width) * static_cast<size_t>(format.height) *
                         static_cast<size_t>(format.images) * 4;
    if (image.pData == context->grabbed && image.iRowInc == format.width * format.images) {
      // The frame this stream delivers, whose preparation is known.
      std::memcpy(pImageColor->pData, context->frame->prepared(), bytes);
    } else {
      // A frame the caller made or copied: prepared from what it holds.
      simcam::prepareFrame(image.pData, image.iRowInc, format, pImageColor->pData);
    }
    pImageColor->iRows = format.height;
    pImageColor->iCols = format.width;
    pImageColor->iRowInc = format.width * format.images;  // in pixels: a row is iRowInc x 4 bytes
    pImageColor->iNumImages = format.images;
    // There is no code for the 4-byte layout; the format says what the frame was grabbed as.
    pImageColor->pixelFormat = format.pixelFormat;
    pImageColor->timeStamp = image.timeStamp;

    std::lock_guard<std::mutex> lock(gQueryMutex);
    gLastPreparation = SimcamPreparation{1, format.images, bytes};
    return kOk;
  });
}

FlyCaptureError flycaptureStop(FlyCaptureContext context) {
  return guarded([&]() -> FlyCaptureError {
    if (FlyCaptureError e = checkReady(context, "flycaptureStop")) return e;
    if (!context->streaming) return kNotStreaming;
    context->streaming = false;
    context->frame.reset();
    context->grabbed = nullptr;
    return kOk;
  });
}

FlyCaptureError flycaptureDestroyContext(FlyCaptureContext context) {
  return guarded([&]() -> FlyCaptureError {
    if (context == nullptr) return kNullContext;
    // The context goes even when a failure is injected: a caller cannot do
    // anything with a half-destroyed camera but leak it.
    const bool injected = context->config.fail.fails("flycaptureDestroyContext");
    delete context;
    return injected ? kInjectedFailure : kOk;
  });
}

const char* flycaptureErrorToString(FlyCaptureError error) {
  switch (error) {
    case kOk:
      return "success";
    case kNullPointer:
      return "a required pointer argument is null";
    case kNullContext:
      return "the camera context is null";
    case kNotInitialized:
      return "the camera is not initialized (flycaptureInitialize has not succeeded)";
    case kAlreadyInitialized:
      return "the camera is already initialized";
    case kNoCameraOnBus:
      return "no camera at that bus index (the simulated camera is the only one, at index 0)";
    case kNotStreaming:
      return "the camera is not streaming (flycaptureStartCustomImage has not succeeded)";
    case kAlreadyStreaming:
      return "the camera is already streaming (call flycaptureStop first)";
    case kUnsupportedMode:
      return "unsupported custom image mode (only mode 3 is available)";
    case kUnsupportedPixelFormat:
      return "unsupported pixel format (32 for any camera, 1024 for a colour camera)";
    case kUnsupportedGeometry:
      return "unsupported image geometry (offsets must be 0; the size must be non-zero, fit the sensor and be even "
             "for format 1024)";
    case kBadBandwidth:
      return "bandwidth must be above 0 and at most 100 percent";
    case kUnknownRegister:
      return "the simulated camera has no such register (only 0x1F28 is readable)";
    case kFrameMismatch:
      return "the image given does not describe a frame of the current stream";
    case kMonoOutputUnsupported:
      return "a separate mono output image is not supported (pass NULL)";
    case kNoOutputBuffer:
      return "the output image has no pixel buffer (pData is NULL)";
    case kCalibrationNotWritten:
      return "the calibration file cannot be written to the temporary folder (TMPDIR)";
    case kOutOfMemory:
      return "out of memory";
    case kInternal:
      return "internal error in the simulated camera";
    case kInjectedFailure:
      return "failure injected through SIMCAM_FAIL";
    case kFailUnknown:
      return "SIMCAM_FAIL names no camera or stereo operation";
    case kModelInvalid:
      return "SIMCAM_MODEL is not a number";
    case kTypeInvalid:
      return "SIMCAM_TYPE is neither color nor mono";
    case kRegisterInvalid:
      return "SIMCAM_REGISTER_1F28 is not a 32-bit unsigned number (decimal or 0x hex)";
    case kImagesInvalid:
      return "SIMCAM_IMAGES is neither 2 nor 3";
    case kSceneUnreadable:
      return "SIMCAM_SCENE cannot be read";
    case kSceneMalformed:
      return "SIMCAM_SCENE is not a binary PPM with maxval 255";
    case kSceneTruncated:
      return "SIMCAM_SCENE is truncated (the file ends before its last pixel)";
    case kSceneOversized:
      return "SIMCAM_SCENE is too large (at most 8192 pixels a side and 32M pixels)";
  }
  return "unknown FlyCapture error code";
}

void simcamLastStreaming(SimcamStreaming* pStreaming) {
  if (pStreaming == nullptr) return;
  guarded([&]() -> FlyCaptureError {
    std::lock_guard<std::mutex> lock(gQueryMutex);
    *pStreaming = gLastStreaming;
    return kOk;
  });
}

void simcamLastPreparation(SimcamPreparation* pPreparation) {
  if (pPreparation == nullptr) return;
  guarded([&]() -> FlyCaptureError {
    std::lock_guard<std::mutex> lock(gQueryMutex);
    *pPreparation = gLastPreparation;
    return kOk;
  });
}

}  // extern "C"
