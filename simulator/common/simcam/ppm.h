// Binary PPM (P6, maxval 255): the scene the simulated camera sees and the
// format rectified images are saved in.
#ifndef SIMCAM_PPM_H
#define SIMCAM_PPM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simcam {

// Rows of red, green, blue bytes, no padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  const uint8_t* pixel(int x, int y) const {
    return pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  }

  bool operator==(const RgbImage& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};

enum class PpmProblem { None, Unreadable, Malformed, Truncated, Oversized };

// Large enough for any sensor, small enough that a stray file cannot exhaust memory.
inline constexpr int kMaxPpmSide = 8192;
inline constexpr int64_t kMaxPpmPixels = int64_t{32} * 1024 * 1024;

// Parses a whole P6 file held in memory: "P6", then width, height and a
// maxval of 255 separated by whitespace and # comments, exactly one
// whitespace byte, then width x height x 3 pixel bytes and nothing more.
// `out` is only written on success.
PpmProblem parsePpm(const uint8_t* data, size_t size, RgbImage& out);

struct FileStamp;
// `stamp`, if given, receives the stamp of the file read (on success).
PpmProblem readPpmFile(const char* path, RgbImage& out, FileStamp* stamp = nullptr);

// The header parsePpm accepts for a width x height image.
std::string ppmHeader(int width, int height);

}  // namespace simcam

#endif
