#ifndef BRIMLET_CHANNELS_HSV_FILL_H
#define BRIMLET_CHANNELS_HSV_FILL_H

#include <cstdint>

#include <triclops.h>

namespace brimlet {

// Writes hue, saturation and value planes of every pixel of colorImage into
// channelBuffer (3 x rows x cols ints, plane-major, row-major; see
// planar_channels.h), each pixel as rgbToHsv converts it.  Runs the fastest
// kernel this CPU supports (see fill_kernels.h).
void fillHsvPlanes(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

// The same, calling rgbToHsv one pixel at a time: the output every kernel
// must reproduce.
void fillHsvPlanesReference(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

}  // namespace brimlet

#endif
