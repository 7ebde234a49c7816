#include "jni/grab_call.h"

#include <cstdio>

#include "capture/stereo_capture.h"
#include "channels/hsv_fill.h"
#include "jni/build_variant.h"
#include "jni/java_exceptions.h"
#if BRIMLET_SNAPSHOT
#include "snapshot/rectified_snapshot.h"
#endif

namespace brimlet {
namespace {

constexpr jint rgbMode = 1;

// The first two elements are read and then play no part in the call; a null
// or short array is read as far as it goes rather than crashing the JVM.
void readResolution(JNIEnv* env, jintArray jResolutionArray, jint (&jResolution)[2]) noexcept {
  if (jResolutionArray == nullptr) {
    return;
  }
  const jsize length = env->GetArrayLength(jResolutionArray);
  const jsize count = length < 2 ? length : 2;
  if (count > 0) {
    env->GetIntArrayRegion(jResolutionArray, 0, count, jResolution);
  }
}

}  // namespace

jintArray grabImage(JNIEnv* env, jintArray jResolutionArray, jboolean jSnapshot, jint jMode,
                    ChannelAllocator allocate) noexcept {
  jint jResolution[2] = {0, 0};
  readResolution(env, jResolutionArray, jResolution);

  RectifiedFrame frame = captureRectifiedFrame(rectRows, rectCols);
  const TriclopsPackedColorImage& colorImage = frame.colorImage;

#if BRIMLET_SNAPSHOT
  saveRectifiedSnapshot(jSnapshot != JNI_FALSE, &frame.colorImage);
#else
  (void)jSnapshot;  // accepted and ignored in this variant
#endif

  const int64_t count = channelCount(colorImage);
  if (count < 0) {
    releaseRectifier(frame.triclops);
    char message[96];
    std::snprintf(message, sizeof message, "stereo_brimlet: a rectified frame of %d x %d pixels cannot be returned",
                  static_cast<int>(colorImage.nrows), static_cast<int>(colorImage.ncols));
    throwIllegalStateException(env, message);
    return nullptr;
  }
  int32_t* channelBuffer = allocate(static_cast<std::size_t>(count));
  if (channelBuffer == nullptr) {
    releaseRectifier(frame.triclops);
    throwOutOfMemoryError(env, "stereo_brimlet: no memory for the channel image");
    return nullptr;
  }

  if (jMode == rgbMode) {
    fillRgbPlanes(colorImage, channelBuffer);
  } else {
    fillHsvPlanes(colorImage, channelBuffer);
  }

  const auto length = static_cast<jsize>(count);
  jintArray result = env->NewIntArray(length);
  if (result != nullptr) {
    env->SetIntArrayRegion(result, 0, length, reinterpret_cast<const jint*>(channelBuffer));
  }
  // A null result leaves the JVM's OutOfMemoryError pending for the caller.
  freeChannelBuffer(channelBuffer);
  releaseRectifier(frame.triclops);
  return result;
}

}  // namespace brimlet
