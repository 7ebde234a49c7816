#include "simcam/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace simcam {

namespace {

int64_t nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + static_cast<int64_t>(time.tv_nsec);
}

FileStamp stampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.device = static_cast<uint64_t>(info.st_dev);
  stamp.inode = static_cast<uint64_t>(info.st_ino);
  stamp.size = static_cast<int64_t>(info.st_size);
  stamp.modifiedNs = nanoseconds(info.st_mtim);
  stamp.changedNs = nanoseconds(info.st_ctim);
  return stamp;
}

bool writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::vector<char> temporary(path.begin(), path.end());
  for (char c : std::string_view(".tmpXXXXXX")) temporary.push_back(c);
  temporary.push_back('\0');
  // mkostemp makes the name unique and the file private; close-on-exec keeps
  // the descriptor out of any child the host process starts meanwhile.
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return errno != 0 ? errno : EIO;

  int error = 0;
  // Files we publish are ordinary data: readable like any file the user makes.
  // 0644 rather than the umask, which cannot be read without changing it.
  if (::fchmod(fd, 0644) != 0 || !writeAll(fd, bytes)) error = errno != 0 ? errno : EIO;
  if (::close(fd) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error == 0 && ::rename(temporary.data(), path.c_str()) != 0) error = errno != 0 ? errno : EIO;
  if (error != 0) ::unlink(temporary.data());
  return error;
}

ReadResult readSmallFile(const char* path, size_t maxBytes, std::string& out) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::Unreadable;
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return ReadResult::Unreadable;

  std::string text;
  char buffer[4096];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadResult::Unreadable;
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > maxBytes) return ReadResult::TooLarge;
  }
  out = std::move(text);
  return ReadResult::Ok;
}

bool stampFile(const char* path, FileStamp& out) {
  struct stat info {};
  if (::stat(path, &info) != 0) return false;
  out = stampOf(info);
  return true;
}

bool stampFile(int fd, FileStamp& out) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return false;
  out = stampOf(info);
  return true;
}

int64_t wallClockNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return nanoseconds(now);
}

}  // namespace simcam
