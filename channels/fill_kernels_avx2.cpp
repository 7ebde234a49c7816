// AVX2 kernels: 8 pixels per block.  Compiled with -mavx2; reached only
// through fill_kernels.cpp's CPU check.
#include <immintrin.h>

#include "channels/fill_kernel_blocks.h"
#include "channels/fill_kernels_x86.h"

namespace brimlet {
namespace {

constexpr std::size_t kWidth = 8;

// In-lane byte shuffle moving byte `channel` of every 32-bit pixel to its low
// byte and zeroing the rest: one instruction widens a channel.
template <int channel>
__m256i channelOf(__m256i pixels) {
  const __m128i control = _mm_setr_epi8(channel, -1, -1, -1, channel + 4, -1, -1, -1,  //
                                        channel + 8, -1, -1, -1, channel + 12, -1, -1, -1);
  return _mm256_shuffle_epi8(pixels, _mm256_broadcastsi128_si256(control));
}

void rgbBlock(const unsigned char* pixels, int32_t* red, int32_t* green, int32_t* blue) {
  const __m256i packed = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(red), channelOf<2>(packed));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(green), channelOf<1>(packed));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(blue), _mm256_and_si256(packed, _mm256_set1_epi32(0xff)));
}

void hsvBlock(const unsigned char* pixels, int32_t* hue, int32_t* saturation, int32_t* value) {
  const __m256i packed = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i b = _mm256_and_si256(packed, _mm256_set1_epi32(0xff));
  const __m256i g = channelOf<1>(packed);
  const __m256i r = channelOf<2>(packed);
  const __m256i largest = _mm256_max_epi32(r, _mm256_max_epi32(g, b));
  const __m256i smallest = _mm256_min_epi32(r, _mm256_min_epi32(g, b));
  // In every case of rgbToHsv the divisor is largest - smallest.
  const __m256i d = _mm256_sub_epi32(largest, smallest);

  // rgbToHsv's case order: red only when strictly largest, then green when
  // above blue, else blue (which takes every grey).  The red case is blended
  // in last, so the green mask need not exclude it.
  const __m256i redCase = _mm256_and_si256(_mm256_cmpgt_epi32(r, g), _mm256_cmpgt_epi32(r, b));
  const __m256i greenAboveBlue = _mm256_cmpgt_epi32(g, b);
  __m256i numerator = _mm256_blendv_epi8(_mm256_sub_epi32(r, g), _mm256_sub_epi32(b, r), greenAboveBlue);
  numerator = _mm256_blendv_epi8(numerator, _mm256_sub_epi32(g, b), redCase);
  // Red's offset is 0, or 360 when blue is above green.
  const __m256i redOffset = _mm256_and_si256(_mm256_cmpgt_epi32(b, g), _mm256_set1_epi32(360));
  __m256i offset = _mm256_blendv_epi8(_mm256_set1_epi32(240), _mm256_set1_epi32(120), greenAboveBlue);
  offset = _mm256_blendv_epi8(offset, redOffset, redCase);

  // |numerator x 60| < 2^14 and d <= 255 are exact floats and the division
  // rounds correctly; an exact quotient that is not whole lies at least 1/255
  // from the nearest whole number, far beyond the rounding error, so
  // truncating the float quotient gives the integer division.
  // Grey lanes (d == 0, numerator 0) divide 0 by 1 and are zeroed after.
  const __m256i grey = _mm256_cmpeq_epi32(d, zero);
  const __m256 quotient = _mm256_div_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(numerator), _mm256_set1_ps(60.0f)),
                                        _mm256_cvtepi32_ps(_mm256_max_epi32(d, one)));
  const __m256i h = _mm256_andnot_si256(grey, _mm256_add_epi32(_mm256_cvttps_epi32(quotient), offset));
  // d / largest is 1 exactly when the smallest channel is 0 and the pixel
  // is not black.
  const __m256i s = _mm256_andnot_si256(grey, _mm256_and_si256(_mm256_cmpeq_epi32(smallest, zero), one));

  _mm256_storeu_si256(reinterpret_cast<__m256i*>(hue), h);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(saturation), s);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(value), largest);
}

}  // namespace

void fillRgbPlanesAvx2(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, rgbBlock);
}

void fillHsvPlanesAvx2(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, hsvBlock);
}

}  // namespace brimlet
