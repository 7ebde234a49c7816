// SSE4.1 kernels: 4 pixels per block, for CPUs without AVX2.  Compiled with
// -msse4.1; reached only through fill_kernels.cpp's CPU check.
#include <immintrin.h>

#include "channels/fill_kernel_blocks.h"
#include "channels/fill_kernels_x86.h"

namespace brimlet {
namespace {

constexpr std::size_t kWidth = 4;

// In-lane byte shuffle moving byte `channel` of every 32-bit pixel to its low
// byte and zeroing the rest: one instruction widens a channel.
template <int channel>
__m128i channelOf(__m128i pixels) {
  const __m128i control = _mm_setr_epi8(channel, -1, -1, -1, channel + 4, -1, -1, -1,  //
                                        channel + 8, -1, -1, -1, channel + 12, -1, -1, -1);
  return _mm_shuffle_epi8(pixels, control);
}

void rgbBlock(const unsigned char* pixels, int32_t* red, int32_t* green, int32_t* blue) {
  const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(red), channelOf<2>(packed));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(green), channelOf<1>(packed));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(blue), _mm_and_si128(packed, _mm_set1_epi32(0xff)));
}

void hsvBlock(const unsigned char* pixels, int32_t* hue, int32_t* saturation, int32_t* value) {
  const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi32(1);
  const __m128i b = _mm_and_si128(packed, _mm_set1_epi32(0xff));
  const __m128i g = channelOf<1>(packed);
  const __m128i r = channelOf<2>(packed);
  const __m128i largest = _mm_max_epi32(r, _mm_max_epi32(g, b));
  const __m128i smallest = _mm_min_epi32(r, _mm_min_epi32(g, b));
  // In every case of rgbToHsv the divisor is largest - smallest.
  const __m128i d = _mm_sub_epi32(largest, smallest);

  // rgbToHsv's case order: red only when strictly largest, then green when
  // above blue, else blue (which takes every grey).  The red case is blended
  // in last, so the green mask need not exclude it.
  const __m128i redCase = _mm_and_si128(_mm_cmpgt_epi32(r, g), _mm_cmpgt_epi32(r, b));
  const __m128i greenAboveBlue = _mm_cmpgt_epi32(g, b);
  __m128i numerator = _mm_blendv_epi8(_mm_sub_epi32(r, g), _mm_sub_epi32(b, r), greenAboveBlue);
  numerator = _mm_blendv_epi8(numerator, _mm_sub_epi32(g, b), redCase);
  // Red's offset is 0, or 360 when blue is above green.
  const __m128i redOffset = _mm_and_si128(_mm_cmpgt_epi32(b, g), _mm_set1_epi32(360));
  __m128i offset = _mm_blendv_epi8(_mm_set1_epi32(240), _mm_set1_epi32(120), greenAboveBlue);
  offset = _mm_blendv_epi8(offset, redOffset, redCase);

  // |numerator x 60| < 2^14 and d <= 255 are exact floats and the division
  // rounds correctly; an exact quotient that is not whole lies at least 1/255
  // from the nearest whole number, far beyond the rounding error, so
  // truncating the float quotient gives the integer division.
  // Grey lanes (d == 0, numerator 0) divide 0 by 1 and are zeroed after.
  const __m128i grey = _mm_cmpeq_epi32(d, zero);
  const __m128 quotient = _mm_div_ps(_mm_mul_ps(_mm_cvtepi32_ps(numerator), _mm_set1_ps(60.0f)),
                                     _mm_cvtepi32_ps(_mm_max_epi32(d, one)));
  const __m128i h = _mm_andnot_si128(grey, _mm_add_epi32(_mm_cvttps_epi32(quotient), offset));
  // d / largest is 1 exactly when the smallest channel is 0 and the pixel
  // is not black.
  const __m128i s = _mm_andnot_si128(grey, _mm_and_si128(_mm_cmpeq_epi32(smallest, zero), one));

  _mm_storeu_si128(reinterpret_cast<__m128i*>(hue), h);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(saturation), s);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(value), largest);
}

}  // namespace

void fillRgbPlanesSse41(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, rgbBlock);
}

void fillHsvPlanesSse41(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, hsvBlock);
}

}  // namespace brimlet
