#ifndef BRIMLET_CHANNELS_FILL_KERNELS_X86_H
#define BRIMLET_CHANNELS_FILL_KERNELS_X86_H

// Kernels compiled only on x86-64, each source with its instruction set's
// flags: call one only after the CPU check of the same name in
// fill_kernels.cpp.

#include <cstdint>

#include <triclops.h>

namespace brimlet {

void fillRgbPlanesSse41(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;
void fillHsvPlanesSse41(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

void fillRgbPlanesAvx2(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;
void fillHsvPlanesAvx2(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

void fillRgbPlanesAvx512(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;
void fillHsvPlanesAvx512(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept;

}  // namespace brimlet

#endif
