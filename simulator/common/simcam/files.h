// Whole-file reads and all-or-nothing writes.
#ifndef SIMCAM_FILES_H
#define SIMCAM_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace simcam {

// Writes `bytes` to a fresh temporary file beside `path`, then renames it over
// `path`, so a reader sees the old file or the whole new one.  The temporary
// is removed on any failure.  Returns 0 or an errno value.
int writeFileAtomically(const std::string& path, std::string_view bytes);

enum class ReadResult { Ok, Unreadable, TooLarge };

// Reads a regular file of at most `maxBytes` bytes.
ReadResult readSmallFile(const char* path, size_t maxBytes, std::string& out);

// What any change to a file changes: which file a path names, its size and
// its modification and status change times, in nanoseconds.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;

  bool operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size && modifiedNs == other.modifiedNs &&
           changedNs == other.changedNs;
  }
};

// stat() of `path` (or fstat() of `fd`), as a stamp; false if it fails.
bool stampFile(const char* path, FileStamp& out);
bool stampFile(int fd, FileStamp& out);

// The wall clock file times are set from, in nanoseconds.
int64_t wallClockNs();

}  // namespace simcam

#endif
