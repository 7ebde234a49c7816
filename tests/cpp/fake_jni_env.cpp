#include "fake_jni_env.h"

#include <stdexcept>

namespace {
FakeJniEnv* current = nullptr;
}

FakeJniEnv::FakeJniEnv() {
  table_.GetArrayLength = &getArrayLength;
  table_.GetIntArrayRegion = &getIntArrayRegion;
  table_.NewIntArray = &newIntArray;
  table_.SetIntArrayRegion = &setIntArrayRegion;
  table_.ExceptionCheck = &exceptionCheck;
  table_.FindClass = &findClass;
  table_.ThrowNew = &throwNew;
  table_.DeleteLocalRef = &deleteLocalRef;
  env_.functions = &table_;
  current = this;
}

FakeJniEnv::~FakeJniEnv() { current = nullptr; }

FakeJniEnv& FakeJniEnv::of(JNIEnv* env) {
  if (current == nullptr || env != &current->env_) {
    throw std::logic_error("unknown JNIEnv");
  }
  return *current;
}

jintArray FakeJniEnv::newArray(std::vector<jint> contents) {
  arrays_.push_back(std::make_unique<std::vector<jint>>(std::move(contents)));
  return reinterpret_cast<jintArray>(arrays_.back().get());
}

const std::vector<jint>& FakeJniEnv::contents(jintArray array) const {
  return *reinterpret_cast<const std::vector<jint>*>(array);
}

void FakeJniEnv::noteCall(const char* name) {
  if (!pendingException.empty()) {
    callsWithExceptionPending.emplace_back(name);
  }
}

jsize JNICALL FakeJniEnv::getArrayLength(JNIEnv* env, jarray array) {
  FakeJniEnv& self = of(env);
  self.noteCall("GetArrayLength");
  return static_cast<jsize>(reinterpret_cast<std::vector<jint>*>(array)->size());
}

void JNICALL FakeJniEnv::getIntArrayRegion(JNIEnv* env, jintArray array, jsize start, jsize len, jint* buf) {
  FakeJniEnv& self = of(env);
  self.noteCall("GetIntArrayRegion");
  self.regionReadLengths.push_back(len);
  const auto& data = *reinterpret_cast<std::vector<jint>*>(array);
  if (start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > data.size()) {
    self.pendingException = "java/lang/ArrayIndexOutOfBoundsException";
    return;
  }
  for (jsize i = 0; i < len; ++i) {
    buf[i] = data[static_cast<std::size_t>(start + i)];
  }
}

jintArray JNICALL FakeJniEnv::newIntArray(JNIEnv* env, jsize len) {
  FakeJniEnv& self = of(env);
  self.noteCall("NewIntArray");
  ++self.newIntArrayCalls;
  if (self.failNewIntArray || len < 0) {
    self.pendingException = "java/lang/OutOfMemoryError";
    return nullptr;
  }
  return self.newArray(std::vector<jint>(static_cast<std::size_t>(len)));
}

void JNICALL FakeJniEnv::setIntArrayRegion(JNIEnv* env, jintArray array, jsize start, jsize len, const jint* buf) {
  FakeJniEnv& self = of(env);
  self.noteCall("SetIntArrayRegion");
  ++self.setIntArrayRegionCalls;
  if (array == nullptr) {
    self.nullArrayWrites++;  // the real JVM crashes here
    return;
  }
  auto& data = *reinterpret_cast<std::vector<jint>*>(array);
  if (start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > data.size()) {
    self.pendingException = "java/lang/ArrayIndexOutOfBoundsException";
    return;
  }
  for (jsize i = 0; i < len; ++i) {
    data[static_cast<std::size_t>(start + i)] = buf[i];
  }
}

jboolean JNICALL FakeJniEnv::exceptionCheck(JNIEnv* env) {
  return of(env).pendingException.empty() ? JNI_FALSE : JNI_TRUE;
}

jclass JNICALL FakeJniEnv::findClass(JNIEnv* env, const char* name) {
  FakeJniEnv& self = of(env);
  self.noteCall("FindClass");
  self.classes_.push_back(std::make_unique<std::string>(name));
  return reinterpret_cast<jclass>(self.classes_.back().get());
}

jint JNICALL FakeJniEnv::throwNew(JNIEnv* env, jclass clazz, const char* /*message*/) {
  FakeJniEnv& self = of(env);
  self.noteCall("ThrowNew");
  self.pendingException = *reinterpret_cast<std::string*>(clazz);
  return 0;
}

void JNICALL FakeJniEnv::deleteLocalRef(JNIEnv* env, jobject /*ref*/) {
  of(env);  // allowed with an exception pending
}
