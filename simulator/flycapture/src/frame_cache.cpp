#include "frame_cache.h"

#include <sys/mman.h>

#include <array>
#include <new>

#include "simcam/lens.h"

namespace simcam {

namespace {

size_t rawBytes(const FrameFormat& format) {
  return static_cast<size_t>(format.width) * static_cast<size_t>(format.height) * static_cast<size_t>(format.images);
}

LruCache<FrameKey, CachedFrame>& frameCache() {
  // Never destroyed: contexts a host forgets to close may still hold frames at exit.
  static auto* cache = new LruCache<FrameKey, CachedFrame>(kFrameCacheCapacity);
  return *cache;
}

}  // namespace

bool FrameKey::operator==(const FrameKey& other) const {
  // Scenes read from a file are compared by content: the file may have been
  // rewritten in place within one timestamp tick, and an unchanged file read
  // again is the same scene.
  return model == other.model && format.width == other.format.width && format.height == other.format.height &&
         format.images == other.format.images && format.pixelFormat == other.format.pixelFormat &&
         (scene == other.scene || *scene == *other.scene);
}

ReadOnlyBytes::ReadOnlyBytes(size_t size) : size_(size) {
  void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(memory);
}

ReadOnlyBytes::ReadOnlyBytes(ReadOnlyBytes&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
}

ReadOnlyBytes::~ReadOnlyBytes() {
  if (data_ != nullptr) ::munmap(data_, size_);
}

void ReadOnlyBytes::seal() {
  // Only ever fails for a bad range; the pages then merely stay writable.
  (void)::mprotect(data_, size_, PROT_READ);
}

const uint8_t* CachedFrame::raw() {
  return raw_
      .get([this] {
        std::array<LensModel, 3> lenses{};
        for (int i = 0; i < key_.format.images; ++i) lenses[static_cast<size_t>(i)] = builtinLens(key_.model, i);
        ReadOnlyBytes bytes(rawBytes(key_.format));
        renderFrame(*key_.scene, lenses.data(), key_.format, bytes.data());
        bytes.seal();
        return bytes;
      })
      .data();
}

const uint8_t* CachedFrame::prepared() {
  const uint8_t* rawFrame = raw();
  return prepared_
      .get([&] {
        // Default-initialised: every byte is written by prepareFrame.
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[rawBytes(key_.format) * 4]);
        prepareFrame(rawFrame, key_.format.width * key_.format.images, key_.format, bytes.get());
        return bytes;
      })
      .get();
}

std::shared_ptr<CachedFrame> cachedFrame(const FrameKey& key) {
  return frameCache().get(key, [&key] { return std::make_shared<CachedFrame>(key); });
}

}  // namespace simcam

extern "C" size_t simcamCachedFrameCount(void) {
  try {
    return simcam::frameCache().size();
  } catch (...) {
    return 0;
  }
}
