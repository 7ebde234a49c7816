#ifndef BRIMLET_JNI_PLANAR_CHANNELS_H
#define BRIMLET_JNI_PLANAR_CHANNELS_H

#include <cstddef>
#include <cstdint>

#include <triclops.h>

#include "channels/rgb_fill.h"

namespace brimlet {

// The planar channel image handed to Java: 3 x rows x cols ints, element
// (plane, row, col) at plane x rows x cols + row x cols + col; plane 0 is red
// or hue, plane 1 green or saturation, plane 2 blue or value.

// Element count 3 x rows x cols for colorImage, or -1 when that is negative
// or does not fit a Java array.
int64_t channelCount(const TriclopsPackedColorImage& colorImage) noexcept;

using ChannelAllocator = int32_t* (*)(std::size_t count) noexcept;

// Heap buffer for count elements (at least one), null when out of memory.
int32_t* allocateChannelBuffer(std::size_t count) noexcept;
void freeChannelBuffer(int32_t* channelBuffer) noexcept;

// fillRgbPlanes (channels/rgb_fill.h) writes the red, green and blue planes.

}  // namespace brimlet

#endif
