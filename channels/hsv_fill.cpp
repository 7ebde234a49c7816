#include "channels/hsv_fill.h"

#include <cstddef>

#include "channels/fill_kernels.h"
#include "channels/rgb_to_hsv.h"

namespace brimlet {

void fillHsvPlanes(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  selectedFillKernels().hsv(colorImage, channelBuffer);
}

void fillHsvPlanesReference(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  // Pixels are addressed as rows of ncols packed pixels, so pixel (y, x) is
  // number y x cols + x whatever the image's row increment says.
  const std::size_t pixelCount = static_cast<std::size_t>(colorImage.nrows) * static_cast<std::size_t>(colorImage.ncols);
  const auto* pixel = reinterpret_cast<const unsigned char*>(colorImage.data);
  int32_t* hue = channelBuffer;
  int32_t* saturation = channelBuffer + pixelCount;
  int32_t* value = channelBuffer + 2 * pixelCount;
  for (std::size_t i = 0; i < pixelCount; ++i, pixel += 4) {
    const hsv converted = rgbToHsv(pixel[2], pixel[1], pixel[0]);
    hue[i] = converted.h;
    saturation[i] = converted.s;
    value[i] = converted.v;
  }
}

}  // namespace brimlet
