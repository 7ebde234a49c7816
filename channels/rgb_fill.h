#ifndef BRIMLET_CHANNELS_RGB_FILL_H
#define BRIMLET_CHANNELS_RGB_FILL_H

#include <cstdint>

#include <triclops.h>

namespace brimlet {

// Writes the red, green and blue bytes of every pixel of colorImage, widened
// without sign extension, into channelBuffer (3 x rows x cols ints,
// plane-major, row-major; see jni/planar_channels.h).  Runs the fastest
// kernel this CPU supports (see fill_kernels.h).
void fillRgbPlanes(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

// The same, one pixel at a time: the output every kernel must reproduce.
void fillRgbPlanesReference(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

}  // namespace brimlet

#endif
