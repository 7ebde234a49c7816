#include "frame.h"

#include <algorithm>
#include <vector>

#include "pgrflycapture.h"
#include "simcam/sampling.h"

namespace simcam {

namespace {

enum Channel : size_t { kRed = 0, kGreen = 1, kBlue = 2 };

// RGGB: red on even rows and columns, blue on odd ones, green elsewhere.
Channel bayerChannel(int row, int col) {
  if ((row & 1) == 0) return (col & 1) == 0 ? kRed : kGreen;
  return (col & 1) == 0 ? kGreen : kBlue;
}

// Mirrors an index across the border; with even sizes this keeps the Bayer parity.
int mirror(int i, int size) {
  if (i < 0) return -i;
  if (i >= size) return 2 * size - 2 - i;
  return i;
}

uint8_t average2(uint8_t a, uint8_t b) {
  return static_cast<uint8_t>((a + b + 1) >> 1);
}
uint8_t average4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return static_cast<uint8_t>((a + b + c + d + 2) >> 2);
}

void demosaicImage(const uint8_t* raw, int rowInc, const FrameFormat& format, int image, uint8_t* out,
                   size_t outRowBytes) {
  const int width = format.width;
  const int height = format.height;
  const int step = format.images;
  std::vector<size_t> left(static_cast<size_t>(width)), right(static_cast<size_t>(width)),
      here(static_cast<size_t>(width));
  for (int c = 0; c < width; ++c) {
    left[static_cast<size_t>(c)] = static_cast<size_t>(mirror(c - 1, width) * step + image);
    right[static_cast<size_t>(c)] = static_cast<size_t>(mirror(c + 1, width) * step + image);
    here[static_cast<size_t>(c)] = static_cast<size_t>(c * step + image);
  }
  for (int r = 0; r < height; ++r) {
    const uint8_t* up = raw + static_cast<size_t>(mirror(r - 1, height)) * static_cast<size_t>(rowInc);
    const uint8_t* mid = raw + static_cast<size_t>(r) * static_cast<size_t>(rowInc);
    const uint8_t* down = raw + static_cast<size_t>(mirror(r + 1, height)) * static_cast<size_t>(rowInc);
    uint8_t* dst =
        out + static_cast<size_t>(r) * outRowBytes + static_cast<size_t>(image) * static_cast<size_t>(width) * 4;
    for (int c = 0; c < width; ++c, dst += 4) {
      const size_t l = left[static_cast<size_t>(c)], m = here[static_cast<size_t>(c)],
                   rt = right[static_cast<size_t>(c)];
      const uint8_t own = mid[m];
      const uint8_t cross = average4(up[m], down[m], mid[l], mid[rt]);
      const uint8_t diagonal = average4(up[l], up[rt], down[l], down[rt]);
      const uint8_t horizontal = average2(mid[l], mid[rt]);
      const uint8_t vertical = average2(up[m], down[m]);
      uint8_t red, green, blue;
      switch (bayerChannel(r, c)) {
        case kRed:
          red = own;
          green = cross;
          blue = diagonal;
          break;
        case kBlue:
          blue = own;
          green = cross;
          red = diagonal;
          break;
        default:
          green = own;
          if ((r & 1) == 0) {  // green on a red row: red beside it, blue above and below
            red = horizontal;
            blue = vertical;
          } else {
            blue = horizontal;
            red = vertical;
          }
          break;
      }
      dst[0] = blue;
      dst[1] = green;
      dst[2] = red;
      dst[3] = 255;
    }
  }
}

}  // namespace

void renderFrame(const RgbImage& scene, const LensModel* lenses, const FrameFormat& format, uint8_t* out) {
  const int width = format.width;
  const int height = format.height;
  const size_t step = static_cast<size_t>(format.images);
  const size_t sceneRow = static_cast<size_t>(scene.width) * 3;
  const uint8_t* pixels = scene.pixels.data();
  const bool mosaic = format.pixelFormat == FLYCAPTURE_PIXEL_FORMAT_RAW16;
  std::vector<double> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) columns[static_cast<size_t>(x)] = normalisedCoordinate(x, width);
  std::vector<double> scale(static_cast<size_t>(width));

  // Scene pixel coordinate of an ideal normalised coordinate q: q * half + centre.
  const double halfWidth = 0.5 * scene.width;
  const double halfHeight = 0.5 * scene.height;
  const double centreY = halfHeight - 0.5;

  for (int i = 0; i < format.images; ++i) {
    const LensModel& lens = lenses[i];
    const double centreX = (1.0 + lens.disparity) * halfWidth - 0.5;
    std::vector<double> fromCentreX(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
      fromCentreX[static_cast<size_t>(x)] = columns[static_cast<size_t>(x)] - lens.offsetX;
    std::fill(scale.begin(), scale.end(), 1.0);
    for (int y = 0; y < height; ++y) {
      // Each raw pixel shows what the ideal (rectified) view has where the
      // lens bends it from: ideal = (raw - offset) / scale.  This sensor's
      // view is the scene shifted by its disparity.  The previous row's
      // scales are a close first guess.
      const double rawY = normalisedCoordinate(y, height);
      undistortRow(lens, columns.data(), rawY, width, scale.data());
      const double fromCentreY = rawY - lens.offsetY;
      uint8_t* dst = out + static_cast<size_t>(y) * static_cast<size_t>(width) * step + static_cast<size_t>(i);
      for (int x = 0; x < width; ++x, dst += step) {
        const double inverse = 1.0 / scale[static_cast<size_t>(x)];
        const Tap tap = makeTap(fromCentreX[static_cast<size_t>(x)] * inverse * halfWidth + centreX,
                                fromCentreY * inverse * halfHeight + centreY, scene.width, scene.height, 3, sceneRow);
        if (mosaic) {
          *dst = sample(pixels, tap, bayerChannel(y, x));
        } else {
          *dst = luma(sample(pixels, tap, kRed), sample(pixels, tap, kGreen), sample(pixels, tap, kBlue));
        }
      }
    }
  }
}

void prepareFrame(const uint8_t* raw, int rowInc, const FrameFormat& format, uint8_t* out) {
  const size_t outRowBytes = static_cast<size_t>(format.width) * static_cast<size_t>(format.images) * 4;
  if (format.pixelFormat == FLYCAPTURE_PIXEL_FORMAT_RAW16) {
    for (int i = 0; i < format.images; ++i) demosaicImage(raw, rowInc, format, i, out, outRowBytes);
    return;
  }
  for (int r = 0; r < format.height; ++r) {
    const uint8_t* src = raw + static_cast<size_t>(r) * static_cast<size_t>(rowInc);
    uint8_t* row = out + static_cast<size_t>(r) * outRowBytes;
    for (int i = 0; i < format.images; ++i) {
      uint8_t* dst = row + static_cast<size_t>(i) * static_cast<size_t>(format.width) * 4;
      for (int c = 0; c < format.width; ++c, dst += 4) {
        const uint8_t grey = src[static_cast<size_t>(c * format.images + i)];
        dst[0] = grey;
        dst[1] = grey;
        dst[2] = grey;
        dst[3] = 255;
      }
    }
  }
}

}  // namespace simcam
