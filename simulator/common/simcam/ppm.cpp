#include "simcam/ppm.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "simcam/files.h"

namespace simcam {

namespace {

bool isSpace(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

class HeaderReader {
 public:
  HeaderReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool atEnd() const { return pos_ >= size_; }
  size_t position() const { return pos_; }

  // Whitespace and comments between header fields; at least one is required.
  PpmProblem skipSeparators() {
    bool separated = false;
    while (!atEnd()) {
      const uint8_t c = data_[pos_];
      if (isSpace(c)) {
        ++pos_;
      } else if (c == '#') {
        while (!atEnd() && data_[pos_] != '\n' && data_[pos_] != '\r') ++pos_;
      } else {
        break;
      }
      separated = true;
    }
    if (atEnd()) return PpmProblem::Truncated;
    return separated ? PpmProblem::None : PpmProblem::Malformed;
  }

  // A decimal field; values past `limit` are reported as Oversized.
  PpmProblem readNumber(int64_t limit, int64_t& value) {
    if (atEnd()) return PpmProblem::Truncated;
    if (!isDigit(data_[pos_])) return PpmProblem::Malformed;
    value = 0;
    bool tooBig = false;
    while (!atEnd() && isDigit(data_[pos_])) {
      if (!tooBig) {
        value = value * 10 + (data_[pos_] - '0');
        tooBig = value > limit;
      }
      ++pos_;
    }
    if (atEnd()) return PpmProblem::Truncated;
    // "12a" is no number; a separator must follow.
    if (!isSpace(data_[pos_]) && data_[pos_] != '#') return PpmProblem::Malformed;
    return tooBig ? PpmProblem::Oversized : PpmProblem::None;
  }

  void advance() { ++pos_; }
  uint8_t peek() const { return data_[pos_]; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

PpmProblem parsePpm(const uint8_t* data, size_t size, RgbImage& out) {
  if (size < 2) return size == 0 || data[0] == 'P' ? PpmProblem::Truncated : PpmProblem::Malformed;
  if (data[0] != 'P' || data[1] != '6') return PpmProblem::Malformed;
  HeaderReader reader(data + 2, size - 2);

  int64_t width = 0;
  int64_t height = 0;
  int64_t maxval = 0;
  for (auto [field, limit] : {std::pair{&width, int64_t{kMaxPpmSide}}, std::pair{&height, int64_t{kMaxPpmSide}},
                              std::pair{&maxval, int64_t{65535}}}) {
    if (PpmProblem p = reader.skipSeparators(); p != PpmProblem::None) return p;
    PpmProblem p = reader.readNumber(limit, *field);
    // An absurd maxval is a malformed file, not a large one.
    if (p == PpmProblem::Oversized && field == &maxval) return PpmProblem::Malformed;
    if (p != PpmProblem::None) return p;
  }
  if (width == 0 || height == 0 || maxval != 255) return PpmProblem::Malformed;
  if (width * height > kMaxPpmPixels) return PpmProblem::Oversized;

  // Exactly one whitespace byte ends the header; the pixels may start with any byte.
  if (!isSpace(reader.peek())) return PpmProblem::Malformed;
  reader.advance();

  const size_t start = 2 + reader.position();
  const size_t pixelBytes = static_cast<size_t>(width * height * 3);
  const size_t available = size - start;
  if (available < pixelBytes) return PpmProblem::Truncated;
  if (available > pixelBytes) return PpmProblem::Malformed;

  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels.assign(data + start, data + size);
  return PpmProblem::None;
}

PpmProblem readPpmFile(const char* path, RgbImage& out, FileStamp* stamp) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return PpmProblem::Unreadable;
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};

  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return PpmProblem::Unreadable;
  // Stamped before reading: what is read is this file or a later state of it.
  if (stamp != nullptr && !stampFile(fd, *stamp)) return PpmProblem::Unreadable;
  // Generous room for the header and its comments; anything larger cannot be a
  // scene we accept, so it is not read at all.
  const off_t limit = static_cast<off_t>(kMaxPpmPixels * 3 + 65536);
  if (info.st_size > limit) return PpmProblem::Oversized;

  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return PpmProblem::Unreadable;
    if (n == 0) break;  // the file shrank meanwhile: parse what is there
    done += static_cast<size_t>(n);
  }
  return parsePpm(bytes.data(), done, out);
}

std::string ppmHeader(int width, int height) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
}

}  // namespace simcam
