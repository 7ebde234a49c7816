#ifndef BRIMLET_CHANNELS_FILL_KERNELS_H
#define BRIMLET_CHANNELS_FILL_KERNELS_H

#include <cstdint>
#include <vector>

#include <triclops.h>

namespace brimlet {

// One way of filling the planar channel image from a rectified frame.
using PlaneFill = void (*)(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

// An RGB and an HSV fill built for one instruction set.  Every kernel writes
// exactly what fillRgbPlanesReference and fillHsvPlanesReference write, for
// any pixel count and any buffer alignment.
struct FillKernels {
  const char* name;  // "reference", "sse4.1", "avx2" or "avx512"
  PlaneFill rgb;
  PlaneFill hsv;
};

// The kernels this CPU can run: the reference first, then each wider
// instruction set, so the last is the one fillRgbPlanes and fillHsvPlanes use.
// Only the reference exists when the library is built with BRIMLET_SIMD off
// or for a processor other than x86-64.
std::vector<FillKernels> supportedFillKernels();

// The kernels fillRgbPlanes and fillHsvPlanes run: the last of
// supportedFillKernels(), chosen on first use, once per process.
const FillKernels& selectedFillKernels() noexcept;

}  // namespace brimlet

#endif
