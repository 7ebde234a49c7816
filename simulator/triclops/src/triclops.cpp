// The stereo stand-in: reads the simulated camera's calibration and
// rectifies its frames by undoing each sensor's lens.

#include "triclops.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "simcam/cache.h"
#include "simcam/calibration.h"
#include "simcam/files.h"
#include "simcam/operations.h"
#include "simcam/ppm.h"
#include "simcam/rectify_map.h"
#include "triclops_errors.h"

using namespace simcam::tc;

struct TriclopsRectifier {
  simcam::Calibration calibration;
  simcam::FailInjection fail;
  int rows = 240;  // until triclopsSetResolution says otherwise
  int cols = 320;
  // Pixels of the last rectified image; kept until the next rectification
  // reallocates it or the context is destroyed.
  std::unique_ptr<TriclopsPackedColorPixel[]> rectified;
  size_t rectifiedCapacity = 0;  // in pixels
};

namespace {

constexpr int kMaxSide = 4096;
// Packed rows must be addressable with int32 byte increments.
constexpr int64_t kMaxRowBytes = INT32_MAX;

// Nothing may unwind into the JVM that calls us.
template <typename Operation>
TriclopsError guarded(Operation&& operation) noexcept {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    return kInternal;
  }
}

// For the operations without a context, SIMCAM_FAIL is read when called.
TriclopsError checkInjection(const simcam::FailInjection& fail, const char* operation) {
  if (fail.unknown) return kFailUnknown;
  return fail.fails(operation) ? kInjectedFailure : kOk;
}

TriclopsError calibrationError(simcam::CalibrationProblem problem) {
  switch (problem) {
    case simcam::CalibrationProblem::None:
      return kOk;
    case simcam::CalibrationProblem::BadMagic:
      return kCalibrationBadMagic;
    case simcam::CalibrationProblem::Malformed:
      return kCalibrationMalformed;
    case simcam::CalibrationProblem::OutOfRange:
      return kCalibrationOutOfRange;
  }
  return kInternal;
}

bool validPackedImage(int64_t rows, int64_t cols, int64_t rowinc) {
  return rows > 0 && cols > 0 && rows <= kMaxRowBytes && cols <= kMaxRowBytes / 4 && rowinc >= cols * 4;
}

// Maps are kept for the sizes stereo_brimlet and its tests rectify to; a
// larger one (up to 4096 x 4096) would cost 8 bytes a pixel, so it is
// worked out pixel by pixel instead.
constexpr int64_t kMaxMappedPixels = 640 * 480;

// A map depends on the lens and the geometries only.  The disparity moves
// the scene, not the lens, so it plays no part.
struct MapKey {
  double k1, offsetX, offsetY;
  simcam::RectifyGeometry geometry;

  bool operator==(const MapKey& other) const {
    return k1 == other.k1 && offsetX == other.offsetX && offsetY == other.offsetY && geometry == other.geometry;
  }
};

class CachedMap {
 public:
  CachedMap(const simcam::LensModel& lens, const simcam::RectifyGeometry& geometry)
      : lens_(lens), geometry_(geometry) {}

  const simcam::RectifyMap& map() {
    return map_.get([this] { return simcam::buildRectifyMap(lens_, geometry_); });
  }

 private:
  const simcam::LensModel lens_;
  const simcam::RectifyGeometry geometry_;
  simcam::Lazy<simcam::RectifyMap> map_;
};

simcam::LruCache<MapKey, CachedMap>& mapCache() {
  // Never destroyed: a context a host forgets to close may still use it at exit.
  static auto* cache = new simcam::LruCache<MapKey, CachedMap>(simcam::kRectifyMapCacheCapacity);
  return *cache;
}

}  // namespace

extern "C" {

TriclopsError triclopsGetDefaultContextFromFile(TriclopsContext* pContext, const char* fileName) {
  return guarded([&]() -> TriclopsError {
    if (pContext == nullptr) return kNullPointer;
    *pContext = nullptr;
    simcam::FailInjection fail = simcam::readFailInjection();
    if (TriclopsError e = checkInjection(fail, "triclopsGetDefaultContextFromFile")) return e;
    if (fileName == nullptr) return kNullPointer;

    std::string text;
    switch (simcam::readSmallFile(fileName, simcam::kMaxCalibrationBytes, text)) {
      case simcam::ReadResult::Ok:
        break;
      case simcam::ReadResult::Unreadable:
        return kCalibrationUnreadable;
      case simcam::ReadResult::TooLarge:
        return kCalibrationMalformed;
    }
    auto context = std::make_unique<TriclopsRectifier>();
    if (TriclopsError e = calibrationError(simcam::parseCalibration(text, context->calibration))) return e;
    context->fail = std::move(fail);
    *pContext = context.release();
    return kOk;
  });
}

TriclopsError triclopsSetResolution(TriclopsContext context, int32_t rows, int32_t cols) {
  return guarded([&]() -> TriclopsError {
    if (context == nullptr) return kNullContext;
    if (context->fail.fails("triclopsSetResolution")) return kInjectedFailure;
    if (rows <= 0 || cols <= 0 || rows > kMaxSide || cols > kMaxSide) return kBadResolution;
    context->rows = rows;
    context->cols = cols;
    return kOk;
  });
}

TriclopsError triclopsBuildPackedTriclopsInput(int32_t cols, int32_t rows, int32_t rowinc, uint32_t timeStampSec,
                                               uint32_t timeStampUsec, void* data, TriclopsInput* pInput) {
  return guarded([&]() -> TriclopsError {
    if (TriclopsError e = checkInjection(simcam::readFailInjection(), "triclopsBuildPackedTriclopsInput")) return e;
    if (pInput == nullptr || data == nullptr) return kNullPointer;
    if (!validPackedImage(rows, cols, rowinc)) return kBadInput;
    *pInput = TriclopsInput{rows, cols, rowinc, timeStampSec, timeStampUsec, data};
    return kOk;
  });
}

TriclopsError triclopsRectifyPackedColorImage(TriclopsContext context, TriclopsCamera camera, TriclopsInput* pInput,
                                              TriclopsPackedColorImage* pOutput) {
  return guarded([&]() -> TriclopsError {
    if (context == nullptr) return kNullContext;
    if (context->fail.fails("triclopsRectifyPackedColorImage")) return kInjectedFailure;
    if (pInput == nullptr || pOutput == nullptr || pInput->data == nullptr) return kNullPointer;
    if (camera < 0 || camera >= context->calibration.sensors) return kInvalidCamera;
    if (!validPackedImage(pInput->nrows, pInput->ncols, pInput->rowinc)) return kBadInput;

    const simcam::LensModel& lens = context->calibration.lens[static_cast<size_t>(camera)];
    const int rows = context->rows;
    const int cols = context->cols;
    const size_t pixels = static_cast<size_t>(rows) * static_cast<size_t>(cols);
    if (pixels > context->rectifiedCapacity) {
      // Left uninitialised: every pixel is written below.
      context->rectified.reset();
      context->rectifiedCapacity = 0;
      context->rectified.reset(new TriclopsPackedColorPixel[pixels]);
      context->rectifiedCapacity = pixels;
    }
    const auto* input = static_cast<const uint8_t*>(pInput->data);
    auto* out = reinterpret_cast<uint8_t*>(context->rectified.get());
    const simcam::RectifyGeometry geometry{pInput->nrows, pInput->ncols, static_cast<size_t>(pInput->rowinc), rows,
                                           cols};
    if (int64_t{rows} * cols <= kMaxMappedPixels && simcam::mappable(geometry)) {
      const MapKey key{lens.k1, lens.offsetX, lens.offsetY, geometry};
      const std::shared_ptr<CachedMap> map =
          mapCache().get(key, [&] { return std::make_shared<CachedMap>(lens, geometry); });
      simcam::applyRectifyMap(input, geometry.inRowBytes, map->map(), out);
    } else {
      simcam::rectifyDirect(lens, geometry, input, out);
    }
    pOutput->nrows = rows;
    pOutput->ncols = cols;
    pOutput->rowinc = cols * 4;
    pOutput->data = context->rectified.get();
    return kOk;
  });
}

TriclopsError triclopsSavePackedColorImage(TriclopsPackedColorImage* pImage, const char* fileName) {
  return guarded([&]() -> TriclopsError {
    if (TriclopsError e = checkInjection(simcam::readFailInjection(), "triclopsSavePackedColorImage")) return e;
    if (pImage == nullptr || fileName == nullptr || pImage->data == nullptr) return kNullPointer;
    if (*fileName == '\0' || pImage->ncols > simcam::kMaxPpmSide || pImage->nrows > simcam::kMaxPpmSide ||
        !validPackedImage(pImage->nrows, pImage->ncols, pImage->rowinc)) {
      return kBadImage;
    }
    const auto rows = static_cast<size_t>(pImage->nrows);
    const auto cols = static_cast<size_t>(pImage->ncols);
    std::string bytes = simcam::ppmHeader(pImage->ncols, pImage->nrows);
    const size_t header = bytes.size();
    bytes.resize(header + rows * cols * 3);
    const auto* base = reinterpret_cast<const uint8_t*>(pImage->data);
    char* out = bytes.data() + header;
    for (size_t y = 0; y < rows; ++y) {
      const uint8_t* pixel = base + y * static_cast<size_t>(pImage->rowinc);
      for (size_t x = 0; x < cols; ++x, pixel += 4) {
        *out++ = static_cast<char>(pixel[2]);
        *out++ = static_cast<char>(pixel[1]);
        *out++ = static_cast<char>(pixel[0]);
      }
    }
    return simcam::writeFileAtomically(fileName, bytes) == 0 ? kOk : kSaveFailed;
  });
}

TriclopsError triclopsDestroyContext(TriclopsContext context) {
  return guarded([&]() -> TriclopsError {
    if (context == nullptr) return kNullContext;
    // Released even when a failure is injected, so the caller never leaks it.
    const bool injected = context->fail.fails("triclopsDestroyContext");
    delete context;
    return injected ? kInjectedFailure : kOk;
  });
}

const char* triclopsErrorToString(TriclopsError error) {
  switch (error) {
    case kOk:
      return "success";
    case kNullPointer:
      return "a required pointer argument is null";
    case kNullContext:
      return "the stereo context is null";
    case kCalibrationUnreadable:
      return "the calibration file cannot be read";
    case kInvalidCamera:
      return "invalid camera: not a stereo camera or image this library supports";
    case kCalibrationBadMagic:
      return "the calibration file is not a simulated stereo camera calibration (wrong first line)";
    case kCalibrationMalformed:
      return "the calibration file is malformed (a missing, extra or non-numeric field, or too long)";
    case kCalibrationOutOfRange:
      return "the calibration file holds a value out of range";
    case kBadResolution:
      return "invalid resolution (rows and columns must be between 1 and 4096)";
    case kBadInput:
      return "invalid input image (sizes must be positive and each row must hold its 4-byte pixels)";
    case kBadImage:
      return "invalid image or file name to save (sizes between 1 and 8192, rows holding their 4-byte pixels)";
    case kSaveFailed:
      return "the image cannot be written to that file";
    case kOutOfMemory:
      return "out of memory";
    case kInternal:
      return "internal error in the stereo library";
    case kInjectedFailure:
      return "failure injected through SIMCAM_FAIL";
    case kFailUnknown:
      return "SIMCAM_FAIL names no camera or stereo operation";
  }
  return "unknown Triclops error code";
}

size_t simcamCachedRectifyMapCount(void) {
  try {
    return mapCache().size();
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
