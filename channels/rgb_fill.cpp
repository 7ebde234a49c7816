#include "channels/rgb_fill.h"

#include <cstddef>

#include "channels/fill_kernels.h"

namespace brimlet {

void fillRgbPlanes(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  selectedFillKernels().rgb(colorImage, channelBuffer);
}

void fillRgbPlanesReference(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  // Pixel (y, x) is number y x cols + x: the row increment is not consulted.
  const std::size_t pixelCount = static_cast<std::size_t>(colorImage.nrows) * static_cast<std::size_t>(colorImage.ncols);
  const auto* pixel = reinterpret_cast<const unsigned char*>(colorImage.data);
  int32_t* red = channelBuffer;
  int32_t* green = channelBuffer + pixelCount;
  int32_t* blue = channelBuffer + 2 * pixelCount;
  for (std::size_t i = 0; i < pixelCount; ++i, pixel += 4) {
    red[i] = pixel[2];
    green[i] = pixel[1];
    blue[i] = pixel[0];
  }
}

}  // namespace brimlet
