// Whole-file reads and all-or-nothing writes.
#ifndef SIMCAM_FILES_H
#define SIMCAM_FILES_H

#include <cstddef>
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

}  // namespace simcam

#endif
