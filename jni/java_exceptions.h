#ifndef BRIMLET_JNI_JAVA_EXCEPTIONS_H
#define BRIMLET_JNI_JAVA_EXCEPTIONS_H

#include <jni.h>

namespace brimlet {

// One helper per Java exception the library raises.  Each leaves the
// exception pending; the caller returns to Java right after.
void throwOutOfMemoryError(JNIEnv* env, const char* message) noexcept;
void throwIllegalStateException(JNIEnv* env, const char* message) noexcept;

}  // namespace brimlet

#endif
