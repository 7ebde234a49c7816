#include "simcam/rectify_map.h"

#include <limits>

#include "simcam/sampling.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SIMCAM_HAVE_AVX2_KERNEL 1
#else
#define SIMCAM_HAVE_AVX2_KERNEL 0
#endif

namespace simcam {

namespace {

// Where the lens puts rectified pixel (x, y), as a tap into the input.
class TapFinder {
 public:
  TapFinder(const LensModel& lens, const RectifyGeometry& geometry) : lens_(lens), geometry_(geometry) {
    columns_.resize(static_cast<size_t>(geometry.outCols));
    for (int x = 0; x < geometry.outCols; ++x) {
      columns_[static_cast<size_t>(x)] = normalisedCoordinate(x, geometry.outCols);
    }
  }

  Tap at(int x, double rowCoordinate) const {
    // The rectified pixel shows what the lens bent onto this raw point.
    const Point raw = distort(lens_, {columns_[static_cast<size_t>(x)], rowCoordinate});
    return makeTap(pixelCoordinate(raw.x, geometry_.inCols), pixelCoordinate(raw.y, geometry_.inRows), geometry_.inCols,
                   geometry_.inRows, 4, geometry_.inRowBytes);
  }

 private:
  const LensModel& lens_;
  const RectifyGeometry& geometry_;
  std::vector<double> columns_;
};

// sample() with its weights multiplied out: (256 - wx)(256 - wy), wx (256 - wy),
// (256 - wx) wy and wx wy add up to 65536 and the sums are the same integers.
// Blue and red share one 64-bit multiply in two 32-bit lanes; no lane can
// carry into the other, as 255 x 65536 + 32768 < 2^32.
void applyPortable(const uint8_t* input, size_t inRowBytes, const RectifyMap& map, size_t begin, size_t end,
                   uint8_t* out) {
  constexpr uint64_t kHalf = (uint64_t{1} << 15) | (uint64_t{1} << 47);
  auto blueRed = [](const uint8_t* p) { return uint64_t{p[0]} | (uint64_t{p[2]} << 32); };
  for (size_t i = begin; i < end; ++i) {
    const uint8_t* p00 = input + map.offsets[i];
    const uint8_t* p01 = p00 + 4;
    const uint8_t* p10 = p00 + inRowBytes;
    const uint8_t* p11 = p10 + 4;
    const uint32_t wx = map.weights[i] & 0xFFFF;
    const uint32_t wy = map.weights[i] >> 16;
    const uint32_t w11 = wx * wy;
    const uint32_t w01 = (wx << 8) - w11;
    const uint32_t w10 = (wy << 8) - w11;
    const uint32_t w00 = 65536 - w01 - w10 - w11;
    const uint64_t br = blueRed(p00) * w00 + blueRed(p01) * w01 + blueRed(p10) * w10 + blueRed(p11) * w11 + kHalf;
    const uint32_t g = p00[1] * w00 + p01[1] * w01 + p10[1] * w10 + p11[1] * w11 + 32768;
    uint8_t* pixel = out + i * 4;
    pixel[0] = static_cast<uint8_t>(br >> 16);
    pixel[1] = static_cast<uint8_t>(g >> 16);
    pixel[2] = static_cast<uint8_t>(br >> 48);
    pixel[3] = 255;
  }
}

#if SIMCAM_HAVE_AVX2_KERNEL

// Eight pixels at a time, with the arithmetic of sample() in two stages.
// Each pixel's left and right neighbours are adjacent, so one 8-byte load
// fetches both (plain loads beat gathers on the CPUs we measured).
// Horizontal: the byte pairs become 16-bit (left, right) pairs that pmaddwd
// weighs with (256 - wx, wx), giving each channel's row value (at most
// 65280) in a 32-bit lane.  Vertical: the two row values weighed with
// (256 - wy, wy), plus a half, shifted down by 16.  Same integers throughout.

// Two pixels' neighbour pairs in each 128-bit lane: [a b | c d].
__attribute__((target("avx2"))) inline __m256i loadPairs(const uint8_t* a, const uint8_t* b, const uint8_t* c,
                                                         const uint8_t* d) {
  const __m128i low = _mm_castps_si128(_mm_loadh_pi(
      _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a))), reinterpret_cast<const __m64*>(b)));
  const __m128i high = _mm_castps_si128(_mm_loadh_pi(
      _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(c))), reinterpret_cast<const __m64*>(d)));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// Rectified channels of four pixels, each lane holding [p q | r s] pairs:
// returns [p | r] and [q | s] as 32-bit channels (blue, green, red, alpha).
struct FourPixels {
  __m256i first;   // pixels p and r
  __m256i second;  // pixels q and s
};

__attribute__((target("avx2"))) inline FourPixels rowValues(__m256i pairs, __m256i weightsFirst,
                                                            __m256i weightsSecond) {
  // (b0 g0 r0 a0 b1 g1 r1 a1) -> (b0 b1 g0 g1 r0 r1 a0 a1) for each 8 bytes.
  const __m256i order = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5, 2, 6, 3, 7,
                                         8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i interleaved = _mm256_shuffle_epi8(pairs, order);
  return {_mm256_madd_epi16(_mm256_unpacklo_epi8(interleaved, zero), weightsFirst),
          _mm256_madd_epi16(_mm256_unpackhi_epi8(interleaved, zero), weightsSecond)};
}

__attribute__((target("avx2"))) inline __m256i columnValue(__m256i top, __m256i bottom, __m256i above, __m256i below) {
  const __m256i sum = _mm256_add_epi32(_mm256_mullo_epi32(top, above), _mm256_mullo_epi32(bottom, below));
  return _mm256_srli_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(32768)), 16);
}

__attribute__((target("avx2"))) void applyAvx2(const uint8_t* input, size_t inRowBytes, const RectifyMap& map,
                                               uint8_t* out) {
  const size_t count = map.offsets.size();
  const __m256i lowWord = _mm256_set1_epi32(0xFFFF);
  const __m256i whole = _mm256_set1_epi32(256);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  // Puts pixels 0 1 4 5 in the low lane and 2 3 6 7 in the high one, so an
  // in-lane broadcast gives the weights for [0 | 2], [1 | 3], [4 | 6], [5 | 7].
  const __m256i spread = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint32_t* o = map.offsets.data() + i;
    const uint8_t* p[8];
    for (int k = 0; k < 8; ++k) p[k] = input + o[k];
    const __m256i topA = loadPairs(p[0], p[1], p[2], p[3]);
    const __m256i bottomA = loadPairs(p[0] + inRowBytes, p[1] + inRowBytes, p[2] + inRowBytes, p[3] + inRowBytes);
    const __m256i topB = loadPairs(p[4], p[5], p[6], p[7]);
    const __m256i bottomB = loadPairs(p[4] + inRowBytes, p[5] + inRowBytes, p[6] + inRowBytes, p[7] + inRowBytes);

    const __m256i wxy = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map.weights.data() + i)), spread);
    const __m256i wx = _mm256_and_si256(wxy, lowWord);
    const __m256i wy = _mm256_srli_epi32(wxy, 16);
    const __m256i horizontal = _mm256_or_si256(_mm256_sub_epi32(whole, wx), _mm256_slli_epi32(wx, 16));
    const __m256i above = _mm256_sub_epi32(whole, wy);

    const FourPixels topRowsA =
        rowValues(topA, _mm256_shuffle_epi32(horizontal, 0x00), _mm256_shuffle_epi32(horizontal, 0x55));
    const FourPixels bottomRowsA =
        rowValues(bottomA, _mm256_shuffle_epi32(horizontal, 0x00), _mm256_shuffle_epi32(horizontal, 0x55));
    const FourPixels topRowsB =
        rowValues(topB, _mm256_shuffle_epi32(horizontal, 0xAA), _mm256_shuffle_epi32(horizontal, 0xFF));
    const FourPixels bottomRowsB =
        rowValues(bottomB, _mm256_shuffle_epi32(horizontal, 0xAA), _mm256_shuffle_epi32(horizontal, 0xFF));

    const __m256i p02 = columnValue(topRowsA.first, bottomRowsA.first, _mm256_shuffle_epi32(above, 0x00),
                                    _mm256_shuffle_epi32(wy, 0x00));
    const __m256i p13 = columnValue(topRowsA.second, bottomRowsA.second, _mm256_shuffle_epi32(above, 0x55),
                                    _mm256_shuffle_epi32(wy, 0x55));
    const __m256i p46 = columnValue(topRowsB.first, bottomRowsB.first, _mm256_shuffle_epi32(above, 0xAA),
                                    _mm256_shuffle_epi32(wy, 0xAA));
    const __m256i p57 = columnValue(topRowsB.second, bottomRowsB.second, _mm256_shuffle_epi32(above, 0xFF),
                                    _mm256_shuffle_epi32(wy, 0xFF));
    // [0 1 | 2 3] and [4 5 | 6 7] as 16-bit, then bytes [0 1 4 5 | 2 3 6 7], then in order.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(p02, p13), _mm256_packus_epi32(p46, p57));
    const __m256i pixels = _mm256_or_si256(_mm256_permute4x64_epi64(bytes, 0xD8), opaque);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i * 4), pixels);
  }
  applyPortable(input, inRowBytes, map, i, count, out);
}

bool haveAvx2() {
  static const bool have = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return have;
}

#endif

}  // namespace

bool mappable(const RectifyGeometry& geometry) {
  if (geometry.inRows < 2 || geometry.inCols < 2) return false;
  // The farthest byte a tap reaches is the last byte of the last pixel.
  const uint64_t extent =
      static_cast<uint64_t>(geometry.inRows - 1) * geometry.inRowBytes + static_cast<uint64_t>(geometry.inCols) * 4;
  return extent <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
}

RectifyMap buildRectifyMap(const LensModel& lens, const RectifyGeometry& geometry) {
  const size_t count = static_cast<size_t>(geometry.outRows) * static_cast<size_t>(geometry.outCols);
  RectifyMap map;
  map.offsets.resize(count);
  map.weights.resize(count);
  const TapFinder finder(lens, geometry);
  size_t i = 0;
  for (int y = 0; y < geometry.outRows; ++y) {
    const double rowCoordinate = normalisedCoordinate(y, geometry.outRows);
    for (int x = 0; x < geometry.outCols; ++x, ++i) {
      const Tap tap = finder.at(x, rowCoordinate);
      size_t offset = tap.offset00;
      uint32_t wx = tap.wx;
      uint32_t wy = tap.wy;
      // Clamped to the last column or row (where the fraction is 0): the
      // same pixel, seen as the neighbour of the one before it.
      if (tap.offset01 == tap.offset00) {
        offset -= 4;
        wx = 256;
      }
      if (tap.offset10 == tap.offset00) {
        offset -= geometry.inRowBytes;
        wy = 256;
      }
      map.offsets[i] = static_cast<uint32_t>(offset);
      map.weights[i] = wx | (wy << 16);
    }
  }
  return map;
}

void applyRectifyMap(const uint8_t* input, size_t inRowBytes, const RectifyMap& map, uint8_t* out) {
#if SIMCAM_HAVE_AVX2_KERNEL
  if (haveAvx2()) {
    applyAvx2(input, inRowBytes, map, out);
    return;
  }
#endif
  applyPortable(input, inRowBytes, map, 0, map.offsets.size(), out);
}

void applyRectifyMapPortable(const uint8_t* input, size_t inRowBytes, const RectifyMap& map, uint8_t* out) {
  applyPortable(input, inRowBytes, map, 0, map.offsets.size(), out);
}

void rectifyDirect(const LensModel& lens, const RectifyGeometry& geometry, const uint8_t* input, uint8_t* out) {
  const TapFinder finder(lens, geometry);
  for (int y = 0; y < geometry.outRows; ++y) {
    const double rowCoordinate = normalisedCoordinate(y, geometry.outRows);
    for (int x = 0; x < geometry.outCols; ++x, out += 4) {
      const Tap tap = finder.at(x, rowCoordinate);
      out[0] = sample(input, tap, 0);
      out[1] = sample(input, tap, 1);
      out[2] = sample(input, tap, 2);
      out[3] = 255;
    }
  }
}

}  // namespace simcam
