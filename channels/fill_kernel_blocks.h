#ifndef BRIMLET_CHANNELS_FILL_KERNEL_BLOCKS_H
#define BRIMLET_CHANNELS_FILL_KERNEL_BLOCKS_H

// The loop every vector kernel shares, for the per-instruction-set sources
// only.  It lives in an unnamed namespace on purpose: each source compiles
// its own copy with its own -m flags, and a copy with external linkage could
// be merged by the linker into code that runs on a CPU without them.  For
// the same reason the kernel sources call no inline function of another
// header.

#include <cstddef>
#include <cstdint>

#include <triclops.h>

namespace brimlet {
namespace {

// Calls block(pixels, plane0, plane1, plane2), which converts kWidth packed
// pixels into kWidth elements of each plane, until every pixel of colorImage
// is converted.
template <std::size_t kWidth, typename Block>
inline void fillInBlocks(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer, Block block) noexcept {
  const std::size_t pixelCount = static_cast<std::size_t>(colorImage.nrows) * static_cast<std::size_t>(colorImage.ncols);
  const auto* pixels = reinterpret_cast<const unsigned char*>(colorImage.data);
  int32_t* plane0 = channelBuffer;
  int32_t* plane1 = channelBuffer + pixelCount;
  int32_t* plane2 = channelBuffer + 2 * pixelCount;

  if (pixelCount < kWidth) {
    // Too few pixels for one block: convert a zero-padded copy so neither
    // the frame nor the planes are touched past their end.
    alignas(64) unsigned char paddedPixels[4 * kWidth] = {};
    alignas(64) int32_t paddedPlanes[3][kWidth];
    for (std::size_t i = 0; i < 4 * pixelCount; ++i) {
      paddedPixels[i] = pixels[i];
    }
    block(paddedPixels, paddedPlanes[0], paddedPlanes[1], paddedPlanes[2]);
    for (std::size_t i = 0; i < pixelCount; ++i) {
      plane0[i] = paddedPlanes[0][i];
      plane1[i] = paddedPlanes[1][i];
      plane2[i] = paddedPlanes[2][i];
    }
    return;
  }

  // Every pixel converts on its own, so blocks may overlap: the first block
  // covers the unaligned head, after which stores to plane 0 are whole
  // aligned vectors (planes 1 and 2 too when rows x cols x 4 is a multiple
  // of the vector size, as for both rectified sizes), and a last block
  // ending at the final pixel replaces a scalar tail.
  block(pixels, plane0, plane1, plane2);
  constexpr std::size_t vectorBytes = 4 * kWidth;
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(plane0) & (vectorBytes - 1);
  std::size_t i = ((vectorBytes - misalignment) & (vectorBytes - 1)) / 4;
  if (i == 0) {
    i = kWidth;
  }
  for (; i + kWidth <= pixelCount; i += kWidth) {
    block(pixels + 4 * i, plane0 + i, plane1 + i, plane2 + i);
  }
  if (i < pixelCount) {
    const std::size_t last = pixelCount - kWidth;
    block(pixels + 4 * last, plane0 + last, plane1 + last, plane2 + last);
  }
}

}  // namespace
}  // namespace brimlet

#endif
