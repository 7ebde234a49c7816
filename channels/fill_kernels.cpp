#include "channels/fill_kernels.h"

#include "channels/hsv_fill.h"
#include "channels/rgb_fill.h"

#if BRIMLET_X86_KERNELS
#include "channels/fill_kernels_x86.h"
#endif

namespace brimlet {

namespace {

struct CandidateKernels {
  FillKernels kernels;
  bool (*supported)() noexcept;
};

bool always() noexcept { return true; }

#if BRIMLET_X86_KERNELS
// __builtin_cpu_supports also checks that the operating system saves the
// wider registers, so a kernel is never chosen where its state would be lost.
bool hasSse41() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse4.1");
}

bool hasAvx2() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

bool hasAvx512() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl");
}
#endif

// Slowest first: each later entry is faster wherever it runs.
constexpr CandidateKernels candidates[] = {
    {{"reference", fillRgbPlanesReference, fillHsvPlanesReference}, always},
#if BRIMLET_X86_KERNELS
    {{"sse4.1", fillRgbPlanesSse41, fillHsvPlanesSse41}, hasSse41},
    {{"avx2", fillRgbPlanesAvx2, fillHsvPlanesAvx2}, hasAvx2},
    {{"avx512", fillRgbPlanesAvx512, fillHsvPlanesAvx512}, hasAvx512},
#endif
};

const FillKernels& fastestSupported() noexcept {
  const CandidateKernels* chosen = &candidates[0];
  for (const CandidateKernels& candidate : candidates) {
    if (candidate.supported()) {
      chosen = &candidate;
    }
  }
  return chosen->kernels;
}

}  // namespace

std::vector<FillKernels> supportedFillKernels() {
  std::vector<FillKernels> supported;
  for (const CandidateKernels& candidate : candidates) {
    if (candidate.supported()) {
      supported.push_back(candidate.kernels);
    }
  }
  return supported;
}

const FillKernels& selectedFillKernels() noexcept {
  // A function-local static is initialised once even when the first grabs
  // race on several threads.
  static const FillKernels& selected = fastestSupported();
  return selected;
}

}  // namespace brimlet
