// AVX-512 (F, BW, VL) kernels: 16 pixels per block.  Compiled with
// -mavx512f -mavx512bw -mavx512vl; reached only through fill_kernels.cpp's
// CPU check.
// GCC 12's AVX-512 intrinsics start from a self-initialised "undefined"
// vector that -W(maybe-)uninitialized reports wherever they are inlined; the
// warning is about the header, so it is silenced for the header alone.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include "channels/fill_kernel_blocks.h"
#include "channels/fill_kernels_x86.h"

namespace brimlet {
namespace {

constexpr std::size_t kWidth = 16;

// In-lane byte shuffle moving byte `channel` of every 32-bit pixel to its low
// byte and zeroing the rest: one instruction widens a channel.  Each control
// dword is 0xFFFFFF00 plus a byte index within its 128-bit lane (0xFF bytes
// select zero).
template <int channel>
__m512i channelOf(__m512i pixels) {
  const __m512i control =
      _mm512_set4_epi32(-256 + 12 + channel, -256 + 8 + channel, -256 + 4 + channel, -256 + channel);
  return _mm512_shuffle_epi8(pixels, control);
}

void rgbBlock(const unsigned char* pixels, int32_t* red, int32_t* green, int32_t* blue) {
  const __m512i packed = _mm512_loadu_si512(pixels);
  _mm512_storeu_si512(red, channelOf<2>(packed));
  _mm512_storeu_si512(green, channelOf<1>(packed));
  _mm512_storeu_si512(blue, _mm512_and_si512(packed, _mm512_set1_epi32(0xff)));
}

void hsvBlock(const unsigned char* pixels, int32_t* hue, int32_t* saturation, int32_t* value) {
  const __m512i packed = _mm512_loadu_si512(pixels);
  const __m512i zero = _mm512_setzero_si512();
  const __m512i b = _mm512_and_si512(packed, _mm512_set1_epi32(0xff));
  const __m512i g = channelOf<1>(packed);
  const __m512i r = channelOf<2>(packed);
  const __m512i largest = _mm512_max_epi32(r, _mm512_max_epi32(g, b));
  const __m512i smallest = _mm512_min_epi32(r, _mm512_min_epi32(g, b));
  // In every case of rgbToHsv the divisor is largest - smallest.
  const __m512i d = _mm512_sub_epi32(largest, smallest);

  // rgbToHsv's case order: red only when strictly largest, then green when
  // above blue, else blue (which takes every grey).  The red case is applied
  // last, so the green mask need not exclude it.
  const __mmask16 redCase = _mm512_cmpgt_epi32_mask(r, g) & _mm512_cmpgt_epi32_mask(r, b);
  const __mmask16 greenAboveBlue = _mm512_cmpgt_epi32_mask(g, b);
  __m512i numerator = _mm512_mask_sub_epi32(_mm512_sub_epi32(r, g), greenAboveBlue, b, r);
  numerator = _mm512_mask_sub_epi32(numerator, redCase, g, b);
  __m512i offset = _mm512_mask_blend_epi32(greenAboveBlue, _mm512_set1_epi32(240), _mm512_set1_epi32(120));
  // Red's offset is 0, or 360 when blue is above green.
  offset = _mm512_mask_mov_epi32(offset, redCase, zero);
  const __mmask16 redWraps = _mm512_mask_cmplt_epi32_mask(redCase, numerator, zero);
  offset = _mm512_mask_mov_epi32(offset, redWraps, _mm512_set1_epi32(360));

  // |numerator x 60| < 2^14 and d <= 255 are exact floats and the division
  // rounds correctly; an exact quotient that is not whole lies at least 1/255
  // from the nearest whole number, far beyond the rounding error, so
  // truncating the float quotient gives the integer division.
  // Grey lanes (d == 0) are masked off, so no 0/0 is ever evaluated.
  const __mmask16 colour = _mm512_test_epi32_mask(d, d);
  const __m512 quotient = _mm512_maskz_div_ps(
      colour, _mm512_mul_ps(_mm512_cvtepi32_ps(numerator), _mm512_set1_ps(60.0f)), _mm512_cvtepi32_ps(d));
  const __m512i h = _mm512_maskz_add_epi32(colour, _mm512_cvttps_epi32(quotient), offset);
  // d / largest is 1 exactly when the smallest channel is 0 and the pixel
  // is not black.
  const __m512i s = _mm512_maskz_mov_epi32(_mm512_mask_cmpeq_epi32_mask(colour, smallest, zero), _mm512_set1_epi32(1));

  _mm512_storeu_si512(hue, h);
  _mm512_storeu_si512(saturation, s);
  _mm512_storeu_si512(value, largest);
}

}  // namespace

void fillRgbPlanesAvx512(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, rgbBlock);
}

void fillHsvPlanesAvx512(const TriclopsPackedColorImage& colorImage, int32_t* channelBuffer) noexcept {
  fillInBlocks<kWidth>(colorImage, channelBuffer, hsvBlock);
}

}  // namespace brimlet
