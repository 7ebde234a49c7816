#ifndef BRIMLET_JNI_GRAB_CALL_H
#define BRIMLET_JNI_GRAB_CALL_H

#include <jni.h>

#include "jni/planar_channels.h"

namespace brimlet {

// One whole cppGrabImage call, in its fixed phase order: read the resolution
// argument, capture and rectify a frame, optionally snapshot it, fill the
// planar channel image (RGB for mode 1, HSV otherwise), copy it into a new
// Java int[] and release everything.  Returns null with a Java exception
// pending when the result cannot be allocated.  The allocator is a seam for
// tests; the entry point passes allocateChannelBuffer.
jintArray grabImage(JNIEnv* env, jintArray jResolutionArray, jboolean jSnapshot, jint jMode,
                    ChannelAllocator allocate) noexcept;

}  // namespace brimlet

#endif
