// The frames a fixed camera delivers: the same scene through the same lenses
// gives the same raw frame on every grab and the same prepared frame on
// every preparation, so each is made once per process and shared.
#ifndef SIMCAM_FRAME_CACHE_H
#define SIMCAM_FRAME_CACHE_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "frame.h"
#include "simcam/cache.h"
#include "simcam/ppm.h"

namespace simcam {

// Everything a frame depends on.  The camera type is not part of it: a mono
// camera and a colour camera streaming grey render the same luma frame.
struct FrameKey {
  std::shared_ptr<const RgbImage> scene;
  int32_t model;  // gives the lenses
  FrameFormat format;

  bool operator==(const FrameKey& other) const;
};

// Bytes mapped read-only once written, so a caller that writes into the
// grabbed frame (which other contexts share) faults instead of corrupting it.
class ReadOnlyBytes {
 public:
  explicit ReadOnlyBytes(size_t size);  // writable until seal()
  ~ReadOnlyBytes();
  ReadOnlyBytes(ReadOnlyBytes&& other) noexcept;
  ReadOnlyBytes(const ReadOnlyBytes&) = delete;
  ReadOnlyBytes& operator=(const ReadOnlyBytes&) = delete;
  ReadOnlyBytes& operator=(ReadOnlyBytes&&) = delete;

  uint8_t* data() const { return data_; }
  void seal();

 private:
  uint8_t* data_;
  size_t size_;
};

class CachedFrame {
 public:
  explicit CachedFrame(FrameKey key) : key_(std::move(key)) {}

  // The raw frame as grabbed, rendered on first use: width x height x images
  // bytes, read-only.
  const uint8_t* raw();
  // The raw frame prepared into the 4-byte stereo layout, made on first use:
  // width x height x images x 4 bytes.
  const uint8_t* prepared();

 private:
  const FrameKey key_;
  Lazy<ReadOnlyBytes> raw_;
  Lazy<std::unique_ptr<uint8_t[]>> prepared_;
};

// The shared frame for `key`, from a cache of kFrameCacheCapacity entries.
std::shared_ptr<CachedFrame> cachedFrame(const FrameKey& key);

}  // namespace simcam

#endif
