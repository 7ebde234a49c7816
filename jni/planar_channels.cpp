#include "jni/planar_channels.h"

#include <cstdlib>
#include <limits>

namespace brimlet {

int64_t channelCount(const TriclopsPackedColorImage& colorImage) noexcept {
  if (colorImage.nrows < 0 || colorImage.ncols < 0) {
    return -1;
  }
  const int64_t count = 3 * static_cast<int64_t>(colorImage.nrows) * static_cast<int64_t>(colorImage.ncols);
  return count <= std::numeric_limits<int32_t>::max() ? count : -1;
}

int32_t* allocateChannelBuffer(std::size_t count) noexcept {
  return static_cast<int32_t*>(std::malloc((count == 0 ? 1 : count) * sizeof(int32_t)));
}

void freeChannelBuffer(int32_t* channelBuffer) noexcept { std::free(channelBuffer); }

}  // namespace brimlet
