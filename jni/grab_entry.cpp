// The library's one exported symbol: the JNI implementation of
// stereo.brimlet.cppGrabImage(int[], boolean, int).
#include <jni.h>

#include <mutex>

#include "jni/grab_call.h"
#include "jni/java_exceptions.h"

namespace {

// Every call opens camera 0 on the bus; two at once would fight over it and
// end the process.  Calls take turns, each with the camera to itself.
std::mutex cameraInUse;

}  // namespace

extern "C" JNIEXPORT jintArray JNICALL Java_stereo_brimlet_cppGrabImage(JNIEnv* env, jobject /*receiver*/,
                                                                       jintArray jResolution, jboolean jSnapshot,
                                                                       jint jMode) {
  // No C++ exception may unwind into the JVM; locking is the only thing here
  // that can throw.
  try {
    std::lock_guard<std::mutex> lock(cameraInUse);
    return brimlet::grabImage(env, jResolution, jSnapshot, jMode, brimlet::allocateChannelBuffer);
  } catch (...) {
    brimlet::throwIllegalStateException(env, "stereo_brimlet: the camera lock could not be taken");
    return nullptr;
  }
}
