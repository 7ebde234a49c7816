// Process-wide caches of the two stand-ins.  A simulated camera sees the same
// scene through the same lenses on every call, so what a call derives from
// them (the scene read from its file, the raw frame, the prepared frame, the
// rectification map) is made once and shared by every context that needs it.  Each cache holds a few
// entries at most, so memory stays bounded however many calls run.
#ifndef SIMCAM_CACHE_H
#define SIMCAM_CACHE_H

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace simcam {

inline constexpr size_t kSceneFileCacheCapacity = 4;   // camera: scenes read from SIMCAM_SCENE files
inline constexpr size_t kFrameCacheCapacity = 4;       // camera: raw and prepared frames
inline constexpr size_t kRectifyMapCacheCapacity = 8;  // stereo: rectification maps

// At most `capacity` entries; the least recently used one goes first.  An
// entry is handed out as a shared pointer, so one dropped while a context
// still uses it lives on until that context lets go.  Lookups are linear,
// which is the fastest way through a handful of entries.
template <typename Key, typename Entry>
class LruCache {
 public:
  explicit LruCache(size_t capacity) : capacity_(capacity) {}
  LruCache(const LruCache&) = delete;
  LruCache& operator=(const LruCache&) = delete;

  // The entry for `key`, made by `make()` when there is none.  make runs
  // under the cache's lock, so it only sets an entry up; the expensive
  // filling belongs in the entry itself (see Lazy), outside this lock.
  template <typename Make>
  std::shared_ptr<Entry> get(const Key& key, Make&& make) {
    std::shared_ptr<Entry> dropped;  // released after the lock, so a large entry is freed outside it
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::shared_ptr<Entry> entry = findLocked(key)) return entry;
    std::shared_ptr<Entry> entry = make();
    dropped = insertLocked(key, entry);
    return entry;
  }

  // The entry for `key`, or null.
  std::shared_ptr<Entry> find(const Key& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return findLocked(key);
  }

  // Adds the entry for `key`, or replaces the one there is.
  void put(const Key& key, std::shared_ptr<Entry> entry) {
    std::shared_ptr<Entry> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    if (findLocked(key)) {
      dropped = std::move(entries_.front().second);
      entries_.front().second = std::move(entry);
    } else {
      dropped = insertLocked(key, std::move(entry));
    }
  }

  size_t size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
  }

 private:
  // Moves a match to the front.
  std::shared_ptr<Entry> findLocked(const Key& key) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].first == key) {
        std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(i),
                    entries_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return entries_.front().second;
      }
    }
    return nullptr;
  }

  // Returns the entry pushed out, if any.
  std::shared_ptr<Entry> insertLocked(const Key& key, std::shared_ptr<Entry> entry) {
    std::shared_ptr<Entry> dropped;
    if (entries_.capacity() < capacity_) entries_.reserve(capacity_);
    if (entries_.size() >= capacity_) {
      dropped = std::move(entries_.back().second);
      entries_.pop_back();
    }
    entries_.emplace(entries_.begin(), key, std::move(entry));
    return dropped;
  }

  mutable std::mutex mutex_;
  const size_t capacity_;
  std::vector<std::pair<Key, std::shared_ptr<Entry>>> entries_;  // most recently used first
};

// A value made on first use by whichever caller needs it first; callers
// arriving meanwhile wait for it instead of making it again.  A make that
// throws leaves it unmade, for the next caller to try again.
template <typename T>
class Lazy {
 public:
  template <typename Make>
  const T& get(Make&& make) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!value_) value_.emplace(make());
    return *value_;
  }

 private:
  std::mutex mutex_;
  std::optional<T> value_;
};

}  // namespace simcam

// For the tests: how many entries the caches hold.  Each library exports its
// own next to its operations; they are not part of the public headers.
extern "C" {
__attribute__((visibility("default"))) size_t simcamCachedFrameCount(void);       // libPGRFlyCapture
__attribute__((visibility("default"))) size_t simcamCachedRectifyMapCount(void);  // libtriclops
}

#endif
