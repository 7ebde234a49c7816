#ifndef BRIMLET_TESTS_FAKE_JNI_ENV_H
#define BRIMLET_TESTS_FAKE_JNI_ENV_H

#include <jni.h>

#include <memory>
#include <string>
#include <vector>

// A JNIEnv with only the functions the library uses, backed by plain vectors.
// It behaves as the JVM does where that matters (bounds checks leave an
// exception pending) and records every call made with an exception pending,
// which a real JVM under -Xcheck:jni reports.
class FakeJniEnv {
 public:
  FakeJniEnv();
  ~FakeJniEnv();
  FakeJniEnv(const FakeJniEnv&) = delete;
  FakeJniEnv& operator=(const FakeJniEnv&) = delete;

  JNIEnv* env() { return &env_; }

  jintArray newArray(std::vector<jint> contents);
  const std::vector<jint>& contents(jintArray array) const;

  // Makes the next NewIntArray fail as the JVM does when the heap is full.
  bool failNewIntArray = false;

  std::string pendingException;  // class name, empty when none
  std::vector<std::string> callsWithExceptionPending;
  int newIntArrayCalls = 0;
  int setIntArrayRegionCalls = 0;
  int nullArrayWrites = 0;
  std::vector<jsize> regionReadLengths;

 private:
  static FakeJniEnv& of(JNIEnv* env);
  void noteCall(const char* name);

  static jsize JNICALL getArrayLength(JNIEnv* env, jarray array);
  static void JNICALL getIntArrayRegion(JNIEnv* env, jintArray array, jsize start, jsize len, jint* buf);
  static jintArray JNICALL newIntArray(JNIEnv* env, jsize len);
  static void JNICALL setIntArrayRegion(JNIEnv* env, jintArray array, jsize start, jsize len, const jint* buf);
  static jboolean JNICALL exceptionCheck(JNIEnv* env);
  static jclass JNICALL findClass(JNIEnv* env, const char* name);
  static jint JNICALL throwNew(JNIEnv* env, jclass clazz, const char* message);
  static void JNICALL deleteLocalRef(JNIEnv* env, jobject ref);

  JNINativeInterface_ table_{};
  JNIEnv env_{};
  std::vector<std::unique_ptr<std::vector<jint>>> arrays_;
  std::vector<std::unique_ptr<std::string>> classes_;
};

#endif
