#include "jni/java_exceptions.h"

namespace brimlet {
namespace {

void throwNew(JNIEnv* env, const char* className, const char* message) noexcept {
  // An exception already pending (e.g. from a failed allocation in the JVM)
  // says more than ours would, and no JNI call may be made on top of it.
  if (env->ExceptionCheck()) {
    return;
  }
  jclass exceptionClass = env->FindClass(className);
  if (exceptionClass == nullptr) {
    return;  // FindClass left its own error pending.
  }
  env->ThrowNew(exceptionClass, message);
  env->DeleteLocalRef(exceptionClass);
}

}  // namespace

void throwOutOfMemoryError(JNIEnv* env, const char* message) noexcept {
  throwNew(env, "java/lang/OutOfMemoryError", message);
}

void throwIllegalStateException(JNIEnv* env, const char* message) noexcept {
  throwNew(env, "java/lang/IllegalStateException", message);
}

}  // namespace brimlet
