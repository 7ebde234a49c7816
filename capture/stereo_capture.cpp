#include "capture/stereo_capture.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>

#include "capture/step_failure.h"

namespace brimlet {
namespace {

constexpr unsigned int busIndex = 0;
constexpr uint32_t stereoModeRegister = 0x1F28;
constexpr uint32_t halfResolutionBit = 2;
constexpr int firstCamera = 0;

// Label for a row buffer that cannot be allocated; no library reports it, so
// it is named after the step in the style of the other labels.
constexpr const char* rowBufferLabel = "allocateRowBuffer()";

void checkFlycapture(FlyCaptureError error, const char* label) noexcept {
  if (error != FLYCAPTURE_OK) {
    reportStepFailure(label, flycaptureErrorToString(error));
  }
}

void checkTriclops(TriclopsError error, const char* label) noexcept {
  if (error != TriclopsErrorOk) {
    reportStepFailure(label, triclopsErrorToString(error));
  }
}

struct StreamingSetup {
  int width;
  int height;
  int pixelFormat;
};

// Colour cameras stream raw Bayer data, anything else grey; the geometry is
// the camera model's full stereo resolution (model 11 can be strapped to half
// resolution through a register).
StreamingSetup chooseStreaming(FlyCaptureContext flycapture, const FlyCaptureInfo& pInfo) noexcept {
  StreamingSetup setup{};
  setup.pixelFormat = pInfo.cameraType == FLYCAPTURE_CAMERA_TYPE_COLOR ? FLYCAPTURE_PIXEL_FORMAT_RAW16
                                                                      : FLYCAPTURE_PIXEL_FORMAT_MONO16;
  if (pInfo.cameraModel == 11) {
    // Deliberately unchecked: a failed read leaves ulValue 0, the full 1024 x 768.
    uint32_t ulValue = 0;
    (void)flycaptureGetCameraRegister(flycapture, stereoModeRegister, &ulValue);
    if ((ulValue & halfResolutionBit) == 0) {
      setup.width = 1024;
      setup.height = 768;
    } else {
      setup.width = 640;
      setup.height = 480;
    }
  } else if (pInfo.cameraModel == 12) {
    setup.width = 1280;
    setup.height = 960;
  } else {
    reportStepFailure("triclopsCheckCameraModel()", triclopsErrorToString(TriclopsErrorInvalidCamera));
  }
  return setup;
}

}  // namespace

std::size_t rowBufferBytes(const FlyCaptureImage& flycaptureImage) noexcept {
  if (flycaptureImage.iCols <= 0 || flycaptureImage.iRows <= 0 || flycaptureImage.iNumImages <= 0) {
    return 0;
  }
  const auto limit = std::numeric_limits<std::size_t>::max();
  std::size_t bytes = 4;
  for (int32_t factor : {flycaptureImage.iCols, flycaptureImage.iRows, flycaptureImage.iNumImages}) {
    const auto f = static_cast<std::size_t>(factor);
    if (bytes > limit / f) {
      return 0;
    }
    bytes *= f;
  }
  return bytes;
}

RectifiedFrame captureRectifiedFrame(int rectRows, int rectCols) noexcept {
  FlyCaptureContext flycapture = nullptr;
  checkFlycapture(flycaptureCreateContext(&flycapture), "flycaptureCreateContext()");
  checkFlycapture(flycaptureInitialize(flycapture, busIndex), "flycaptureInitialize()");

  char* szCalFile = nullptr;
  checkFlycapture(flycaptureGetCalibrationFileFromCamera(flycapture, &szCalFile),
                  "flycaptureGetCalibrationFileFromCamera()");

  TriclopsContext triclops = nullptr;
  checkTriclops(triclopsGetDefaultContextFromFile(&triclops, szCalFile), "triclopsGetDefaultContextFromFile()");

  FlyCaptureInfo pInfo{};
  checkFlycapture(flycaptureGetCameraInfo(flycapture, &pInfo), "flycatpureGetCameraInfo()");

  const StreamingSetup setup = chooseStreaming(flycapture, pInfo);
  checkFlycapture(flycaptureStartCustomImage(flycapture, 3, 0, 0, static_cast<unsigned>(setup.width),
                                             static_cast<unsigned>(setup.height), 100.0f, setup.pixelFormat),
                  "flycaptureStart()");

  checkTriclops(triclopsSetResolution(triclops, rectRows, rectCols), "triclopsSetResolution()");

  FlyCaptureImage flycaptureImage{};
  checkFlycapture(flycaptureGrabImage2(flycapture, &flycaptureImage), "flycaptureGrabImage()");

  const std::size_t rowBufferSize = rowBufferBytes(flycaptureImage);
  auto* rowBuffer = rowBufferSize == 0 ? nullptr : static_cast<unsigned char*>(std::malloc(rowBufferSize));
  if (rowBuffer == nullptr) {
    reportStepFailure(rowBufferLabel, "out of memory");
  }

  FlyCaptureImage tempImage{};
  tempImage.pData = rowBuffer;
  checkFlycapture(flycapturePrepareStereoImage(flycapture, flycaptureImage, nullptr, &tempImage),
                  "flycapturePrepareStereoImage()");

  TriclopsInput colorInput{};
  checkTriclops(triclopsBuildPackedTriclopsInput(flycaptureImage.iCols, flycaptureImage.iRows,
                                                 flycaptureImage.iRowInc * 4, flycaptureImage.timeStamp.ulSeconds,
                                                 flycaptureImage.timeStamp.ulMicroSeconds, rowBuffer, &colorInput),
                "triclopsBuildPackedTriclopsInput()");

  RectifiedFrame frame{triclops, {}};
  checkTriclops(triclopsRectifyPackedColorImage(triclops, firstCamera, &colorInput, &frame.colorImage),
                "triclopsRectifyPackedColorImage()");

  checkFlycapture(flycaptureStop(flycapture), "flycaptureStop()");
  std::free(rowBuffer);
  checkFlycapture(flycaptureDestroyContext(flycapture), "flycaptureDestroyContext()");
  return frame;
}

void releaseRectifier(TriclopsContext triclops) noexcept {
  checkTriclops(triclopsDestroyContext(triclops), "triclopsDestroyContext()");
}

}  // namespace brimlet
